// A Monitor log line is read back to the address of its packet: the number
// the line shows is the one the statistics give the packet.
#include "line_address.h"
#include "packet_kinds.h"
#include "recording_host.h"

#include <gtest/gtest.h>

TEST(LineAddress, TheNumberOfEveryLocomotiveAndSwitchLineIsThePackets) {
    const std::vector<std::vector<int>> packets = {
        {0x03, 0x3F, 0x85, 0xB9},       // short 3, 128 steps
        {0x6F, 0x90, 0xFF},             // short 111, function group
        {0xC4, 0xD2, 0x80, 0x96},       // long 1234
        {0xC0, 0x64, 0x3F, 0x85, 0x7E}, // long 100: a short number in long form
        {0xE7, 0xFF, 0x60, 0x78},       // long 10239
        {0x00, 0x3F, 0x85, 0xBA},       // address 0
        {0x81, 0xF9, 0x78},             // switch 1
        {0xBF, 0x8F, 0x30},             // decoder 511, pair 3: the high address bits
        {0xA0, 0xDA, 0x7A},
    };
    for (const bool prefixes : {false, true}) {
        TRecordingHost host;
        host.Check({TSwitch::cbx_lokbefehle_s, TSwitch::cbx_lokbefehle_f,
                    TSwitch::cbx_schaltbefehle, TSwitch::cbx_sonstige, TSwitch::cbx_time,
                    TSwitch::cbx_binaer},
                   true);
        host.Check({TSwitch::cbx_time, TSwitch::cbx_binaer}, prefixes);
        TStreamDecoder decoder(host);
        for (const std::vector<int>& p : packets) {
            SCOPED_TRACE(testing::PrintToString(p));
            host.Monitor.clear();
            std::string bits(14, '1');
            for (int b : p)
                bits += PacketBits({b}).substr(0, 9); // start or separator bit and the byte
            Feed(decoder, bits + "11");
            ASSERT_EQ(host.Monitor.size(), 1u);
            std::vector<uint8_t> bytes(p.begin(), p.end());
            const TPacketClass c =
                ClassifyPacket(bytes.data(), static_cast<int>(bytes.size()), false);
            const TLineAddress a = AddressOfMonitorLine(host.Monitor[0]);
            EXPECT_EQ(a.Kind, c.Address.IsLoco() ? TLineAddress::Loco : TLineAddress::Accessory)
                << host.Monitor[0];
            EXPECT_EQ(a.Number, c.Address.Number) << host.Monitor[0];
        }
    }
}

TEST(LineAddress, OtherLinesAreForNoAddress) {
    for (const char* line :
         {"Idle Packet", "RailCom NOP", "Broadcast Reset Packet", "Write CV 1 = 3 (0x3) ",
          "Pr\xE4"
          "ambel: 1111111111",
          "Schrott: <01010101>", "Lok 12", "Schalten 5 EIN ", "[12:00:00:000] Lok 0012",
          "Lok  abc ", "Lok       ", "Schalten:    17 ohne Klammer",
          "COM5 ge\xF6"
          "ffnet",
          ""})
        EXPECT_EQ(AddressOfMonitorLine(line).Kind, TLineAddress::None) << line;
}
