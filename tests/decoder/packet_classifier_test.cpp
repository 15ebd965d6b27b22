#include "recording_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using S = TSwitch;

struct TPacketCase {
    const char* Name;
    std::vector<int> Bytes;
    std::vector<TSwitch> On;
    const char* Min;
    const char* Max;
    // The Monitor log line, or nullptr when none is expected.
    const char* Line;
};

std::vector<std::string> Decode(TRecordingHost& host, TStreamDecoder& d,
                                const std::vector<int>& bytes) {
    std::string text = "<";
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        for (int i = 7; i >= 0; --i)
            text += ((bytes[k] >> i) & 1) ? '1' : '0';
        text += k + 1 < bytes.size() ? ' ' : '>';
    }
    host.Monitor.clear();
    d.DecodePacket(text, static_cast<int>(bytes.size()));
    return host.Monitor;
}

const TPacketCase Cases[] = {
    {"Speed28",
     {0x03, 0x75, 0x76},
     {S::cbx_lokbefehle_s},
     "0",
     "9999",
     "Lok     3 (28 Step) Vorw.  Speed   8 "},
    {"LongFunctionGroup",
     {0xC4, 0xD2, 0x80, 0x96},
     {S::cbx_lokbefehle_f},
     "0",
     "9999",
     "Lok  1234 F-Befehl: "},
    {"IdleWithPrefixes",
     {0xFF, 0x00, 0xFF},
     {S::cbx_idle, S::cbx_time, S::cbx_binaer},
     "0",
     "9999",
     "12:34:56:789  3 Bytes  <11111111 00000000 11111111> Idle Packet"},
    {"CvSetBitHigh",
     {0x78, 0x1C, 0xF9, 0x9D},
     {S::cbx_cv},
     "0",
     "9999",
     "CV 29 Manipulation: Set Bit 1 to HIGH"},
    {"CvSetBitLow",
     {0x78, 0x1C, 0xF1, 0x95},
     {S::cbx_cv},
     "0",
     "9999",
     "CV 29 Manipulation: Set Bit 1 to LOW"},
    {"CvVerifyBitHigh",
     {0x7B, 0xFF, 0xEF, 0x00},
     {S::cbx_cv},
     "0",
     "9999",
     "CV 256 Manipulation: Verify if Bit 7 is HIGH"},
    {"CvVerifyBitLow",
     {0x78, 0x00, 0xE0, 0x98},
     {S::cbx_cv},
     "0",
     "9999",
     "CV 1 Manipulation: Verify if Bit 0 is LOW"},
    {"CvWrite", {0x7C, 0x00, 0x03, 0x7F}, {S::cbx_cv}, "0", "9999", "Write CV 1 = 3 (0x3) "},
    {"CvVerify",
     {0x74, 0x05, 0xAB, 0xDA},
     {S::cbx_cv},
     "0",
     "9999",
     "Verify if CV 6 = 171 (0xab) "},
    {"CvOffDrops", {0x7C, 0x00, 0x03, 0x7F}, {S::cbx_sonstige}, "0", "9999", nullptr},
    {"ResetNeedsSonstige", {0x00, 0x00, 0x00}, {S::cbx_idle}, "0", "9999", nullptr},
    {"ResetIgnoresTheFilter",
     {0x00, 0x00, 0x00},
     {S::cbx_sonstige, S::cbx_filter},
     "5",
     "10",
     "Broadcast Reset Packet"},
    {"IdleIgnoresTheFilter",
     {0xFF, 0x00, 0xFF},
     {S::cbx_idle, S::cbx_filter},
     "500",
     "600",
     "Idle Packet"},
    {"CvIgnoresTheFilter",
     {0x7C, 0x00, 0x03, 0x7F},
     {S::cbx_cv, S::cbx_filter},
     "500",
     "600",
     "Write CV 1 = 3 (0x3) "},
    {"LocoAtLowerBound",
     {0x03, 0x60, 0x63},
     {S::cbx_lokbefehle_s, S::cbx_filter},
     "3",
     "10",
     "Lok     3 (28 Step) Vorw.  Halt   0 "},
    {"LocoAtUpperBound",
     {0x0A, 0x60, 0x6A},
     {S::cbx_lokbefehle_s, S::cbx_filter},
     "3",
     "10",
     "Lok    10 (28 Step) Vorw.  Halt   0 "},
    {"LocoAboveUpperBound",
     {0x0B, 0x60, 0x6B},
     {S::cbx_lokbefehle_s, S::cbx_filter},
     "3",
     "10",
     nullptr},
    {"LocoBelowLowerBound",
     {0x02, 0x60, 0x62},
     {S::cbx_lokbefehle_s, S::cbx_filter},
     "3",
     "10",
     nullptr},
    {"FilterBoundsReversed",
     {0x05, 0x60, 0x65},
     {S::cbx_lokbefehle_s, S::cbx_filter},
     "10",
     "3",
     nullptr},
    {"LongAddressInFilter",
     {0xC4, 0xD2, 0x3F, 0x85, 0x00},
     {S::cbx_lokbefehle_s, S::cbx_filter},
     "$4D2",
     "1234",
     "Lok  1234 (128 Step) Vorw.  Speed   4 "},
    {"UnclassifiedNoPrefixNoLine", {0xC5, 0x12, 0xD7}, {S::cbx_sonstige}, "0", "9999", nullptr},
    {"UnclassifiedBitsOnly",
     {0xC5, 0x12, 0xD7},
     {S::cbx_sonstige, S::cbx_binaer},
     "0",
     "9999",
     " 3 Bytes  <11000101 00010010 11010111> "},
    {"FourByteAccessoryIsUnclassified",
     {0x81, 0xF9, 0x00, 0x78},
     {S::cbx_sonstige, S::cbx_binaer, S::cbx_schaltbefehle},
     "0",
     "9999",
     " 4 Bytes  <10000001 11111001 00000000 01111000> "},
    {"UnclassifiedNeedsSonstige", {0xC5, 0x12, 0xD7}, {S::cbx_binaer}, "0", "9999", nullptr},
    {"RailComNop",
     {0x81, 0x70, 0xF1},
     {S::cbx_schaltbefehle, S::cbx_railcom},
     "0",
     "9999",
     "RailCom NOP"},
    {"RailComNopNeedsRailCom", {0x81, 0x70, 0xF1}, {S::cbx_schaltbefehle}, "0", "9999", nullptr},
    {"RailComNopNeedsSwitchCommands",
     {0x81, 0x70, 0xF1},
     {S::cbx_railcom, S::cbx_sonstige},
     "0",
     "9999",
     nullptr},
    {"Accessory",
     {0x81, 0xF9, 0x78},
     {S::cbx_schaltbefehle},
     "0",
     "9999",
     "Schalten:     1 [Dekoder=1 Ausgang=1] G Ein "},
    {"AccessoryOutsideFilter",
     {0x81, 0xF9, 0x78},
     {S::cbx_schaltbefehle, S::cbx_filter},
     "2",
     "9",
     nullptr},
    {"AccessoryOffWithNurOnTimeOnly",
     {0x81, 0xF1, 0x70},
     {S::cbx_schaltbefehle, S::cbx_nur_ON, S::cbx_time},
     "0",
     "9999",
     "12:34:56:789 "},
    {"AccessoryOffWithNurOnNoPrefix",
     {0x81, 0xF1, 0x70},
     {S::cbx_schaltbefehle, S::cbx_nur_ON},
     "0",
     "9999",
     nullptr},
    {"LongF13to20",
     {0xC4, 0xD2, 0xDE, 0x05, 0x00},
     {S::cbx_lokbefehle_f},
     "0",
     "9999",
     "Lok  1234 F-Befehl: F13 F15 "},
    {"LongF21to28",
     {0xC4, 0xD2, 0xDF, 0x81, 0x00},
     {S::cbx_lokbefehle_f},
     "0",
     "9999",
     "Lok  1234 F-Befehl: F21 F28 "},
    {"F13NeedsFunctionSwitch",
     {0xC4, 0xD2, 0xDE, 0x05, 0x00},
     {S::cbx_sonstige},
     "0",
     "9999",
     nullptr},
    {"ShortOtherInstruction", {0x03, 0xE4, 0xE7}, {S::cbx_sonstige}, "0", "9999", "Lok     3 "},
    {"ShortOtherInstructionNeedsSonstige",
     {0x03, 0xE4, 0xE7},
     {S::cbx_lokbefehle_s},
     "0",
     "9999",
     nullptr},
    {"TwoByteSpeed128ReadsMissingByteAsZero",
     {0x03, 0x3F},
     {S::cbx_lokbefehle_s},
     "0",
     "9999",
     "Lok     3 (128 Step) R\xFC"
     "ckw. Halt   0 "},
    {"TwoByteCvWriteReadsMissingByteAsZero",
     {0x7C, 0x05},
     {S::cbx_cv},
     "0",
     "9999",
     "Write CV 6 = 0 (0x0) "},
    {"Address112IsALocomotive",
     {0x70, 0x60, 0x10},
     {S::cbx_lokbefehle_s},
     "0",
     "9999",
     "Lok   112 (28 Step) Vorw.  Halt   0 "},
    {"FirstByte0x77IsCvVerify",
     {0x77, 0x60, 0x10, 0x07},
     {S::cbx_cv},
     "0",
     "9999",
     "Verify if CV 97 = 16 (0x10) "},
    {"AddressZeroLocomotive",
     {0x00, 0x60, 0x60},
     {S::cbx_lokbefehle_s},
     "0",
     "9999",
     "Lok     0 (28 Step) Vorw.  Halt   0 "},
    {"HighestLongAddress",
     {0xE7, 0xFF, 0x3F, 0x80, 0x00},
     {S::cbx_lokbefehle_s},
     "0",
     "99999",
     "Lok 10239 (128 Step) Vorw.  Halt   0 "},
    {"ThreeByteLongAddressIsUnclassified",
     {0xC4, 0xD2, 0x3F},
     {S::cbx_sonstige, S::cbx_binaer},
     "0",
     "9999",
     " 3 Bytes  <11000100 11010010 00111111> "},
    {"TenBytesAreDecoded",
     {0x03, 0x75, 0, 0, 0, 0, 0, 0, 0, 0x76},
     {S::cbx_lokbefehle_s},
     "0",
     "9999",
     "Lok     3 (28 Step) Vorw.  Speed   8 "},
};

class PacketClassifier : public ::testing::TestWithParam<TPacketCase> {};

} // namespace

TEST_P(PacketClassifier, ComposesTheExpectedLine) {
    const TPacketCase& c = GetParam();
    TRecordingHost host;
    for (TSwitch s : c.On)
        host.SetChecked(s, true);
    host.SetMinText(c.Min);
    host.SetMaxText(c.Max);
    TStreamDecoder decoder(host);
    const std::vector<std::string> lines = Decode(host, decoder, c.Bytes);
    if (c.Line) {
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0], c.Line);
    } else {
        EXPECT_TRUE(lines.empty()) << lines[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PacketClassifier, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST(PacketClassifierGarbage, TooShortOrTooLongGoesToShowGarbage) {
    TRecordingHost host;
    host.Check({S::cbx_schrott, S::cbx_sonstige, S::cbx_binaer, S::cbx_only_once});
    TStreamDecoder decoder(host);
    std::vector<int> eleven(11, 0x0F);
    std::vector<std::string> lines = Decode(host, decoder, eleven);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 19), "Schrott: <00001111 ");
    EXPECT_EQ(lines[0].size(), 9u + 11 * 9 + 1);
    EXPECT_EQ(decoder.LastPacket, "");
    // Not subject to repeat suppression: shown again.
    EXPECT_EQ(Decode(host, decoder, eleven).size(), 1u);

    host.Monitor.clear();
    decoder.DecodePacket("<11111111>", 1);
    EXPECT_EQ(host.Monitor, (std::vector<std::string>{"Pr\xE4"
                                                      "ambel: <11111111>"}));
    // A text too short for its count.
    host.Monitor.clear();
    decoder.DecodePacket("<00000011 01100000>", 3);
    EXPECT_EQ(host.Monitor, (std::vector<std::string>{"Schrott: <00000011 01100000>"}));
}

TEST(PacketClassifierRepeats, OnlyShownPacketsCountAsLast) {
    TRecordingHost host;
    host.Check({S::cbx_only_once, S::cbx_lokbefehle_s, S::cbx_filter});
    host.SetMinText("0");
    host.SetMaxText("10");
    TStreamDecoder decoder(host);
    const std::vector<int> loco3 = {0x03, 0x75, 0x76};
    const std::vector<int> loco50 = {0x32, 0x75, 0x47};
    EXPECT_EQ(Decode(host, decoder, loco3).size(), 1u);
    EXPECT_EQ(Decode(host, decoder, loco3).size(), 0u) << "repeat suppressed";

    // Held back by the filter, yet it counts as the last shown packet.
    EXPECT_EQ(Decode(host, decoder, loco50).size(), 0u);
    host.SetMaxText("100");
    EXPECT_EQ(Decode(host, decoder, loco50).size(), 0u);
    EXPECT_EQ(Decode(host, decoder, loco3).size(), 1u);

    // Dropped by a display gate: not remembered, judged again next time.
    host.SetChecked(S::cbx_lokbefehle_s, false);
    EXPECT_EQ(Decode(host, decoder, loco50).size(), 0u);
    host.SetChecked(S::cbx_lokbefehle_s, true);
    EXPECT_EQ(Decode(host, decoder, loco50).size(), 1u);

    // Without the switch, repeats are shown.
    host.SetChecked(S::cbx_only_once, false);
    EXPECT_EQ(Decode(host, decoder, loco50).size(), 1u);
}
