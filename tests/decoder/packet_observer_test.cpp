// The packet observer sees every completed packet with its byte values, the
// preamble before it and where in the chunk's bits it ended, every gap
// between packets and every packet too short or long to decode.
#include "recording_host.h"
#include "rx_collector.h"
#include "stream_builder.h"

#include <gtest/gtest.h>

namespace {

struct TSeen {
    std::vector<uint8_t> Bytes;
    int32_t Preamble;
    std::size_t BitsAfter;
};

struct TObserver : TPacketObserver {
    std::vector<TSeen> Seen;
    // Every call in order, as text.
    std::vector<std::string> Events;
    void PacketAssembled(const uint8_t* bytes, int count, int32_t preambleOnes,
                         std::size_t bitsAfter) override {
        Seen.push_back({std::vector<uint8_t>(bytes, bytes + count), preambleOnes, bitsAfter});
        Events.push_back("packet of " + std::to_string(count));
    }
    void GapBeforePacket(std::size_t bits, bool holdsZero) override {
        Events.push_back("gap of " + std::to_string(bits) + (holdsZero ? " with a 0" : " ones"));
    }
    void PacketNotDecoded(std::string_view packetText, int byteCount) override {
        Events.push_back("not decoded " + std::string(packetText) + " " +
                         std::to_string(byteCount));
    }
};

struct PacketObserver : ::testing::Test {
    TRecordingHost host;
    TStreamDecoder decoder{host};
    TObserver observer;
    PacketObserver() { decoder.PacketObserver = &observer; }
};

} // namespace

TEST_F(PacketObserver, GetsBytesPreambleAndTheBitsAfterTheEndBit) {
    // Nothing is shown on the monitor (all switches off), yet all is seen.
    Feed(decoder, std::string(14, '1') + PacketBits({0xFF, 0x00, 0xFF}) + std::string(11, '1') +
                      PacketBits({0x03, 0x3F, 0x85, 0xB9}) + "11");
    ASSERT_EQ(observer.Seen.size(), 2u);
    EXPECT_EQ(observer.Seen[0].Bytes, (std::vector<uint8_t>{0xFF, 0x00, 0xFF}));
    EXPECT_EQ(observer.Seen[0].Preamble, 14);
    EXPECT_EQ(observer.Seen[1].Bytes, (std::vector<uint8_t>{0x03, 0x3F, 0x85, 0xB9}));
    // The end bit of the idle packet and its last eight ones do not count.
    EXPECT_EQ(observer.Seen[1].Preamble, 11);
    // Bit by bit, each call is a pass of one character.
    EXPECT_EQ(observer.Seen[1].BitsAfter, 0u);
    EXPECT_TRUE(host.Monitor.empty());
}

TEST_F(PacketObserver, PacketsOfAnyLengthAreSeen) {
    Feed(decoder, std::string(12, '1') + PacketBits({0xA5}) + std::string(10, '1') +
                      PacketBits({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    ASSERT_EQ(observer.Seen.size(), 2u);
    EXPECT_EQ(observer.Seen[0].Bytes, (std::vector<uint8_t>{0xA5}));
    EXPECT_EQ(observer.Seen[1].Bytes.size(), 12u);
    EXPECT_EQ(observer.Seen[1].Bytes[11], 12);
}

TEST_F(PacketObserver, BitsAfterCountsTheRestOfTheChunk) {
    TStreamBuilder b;
    b.DccPacket({0x03, 0x60}, 14);
    b.Ones(8 * 60);
    const std::vector<uint8_t> bytes = b.Take();
    host.Check({TSwitch::cbx_dcc_stream});
    TRxBuffer rx;
    CollectBytes(decoder, rx, bytes.data(), 50);
    ASSERT_EQ(observer.Seen.size(), 1u);
    // 14 ones, then 28 bits from the start bit to the end bit, of 400.
    EXPECT_EQ(observer.Seen[0].BitsAfter, 400u - 14 - 28);
    EXPECT_EQ(observer.Seen[0].Preamble, 14);
}

TEST_F(PacketObserver, NoObserverNoCall) {
    decoder.PacketObserver = nullptr;
    Feed(decoder, std::string(14, '1') + PacketBits({0xFF, 0x00, 0xFF}));
    EXPECT_TRUE(observer.Seen.empty());
    EXPECT_EQ(decoder.PreambleOnes, 14);
}

namespace {

// A clean preamble, a gap with a 0, a packet too short to decode, and one
// whose bits are all ones.
const std::string GapsAndShortPackets =
    std::string(12, '1') + PacketBits({0x03, 0x3F, 0x85, 0xB9}) + "0110" + std::string(10, '1') +
    PacketBits({0xA5}) + std::string(9, '1') + PacketBits({0xFF}) + std::string(10, '1') +
    PacketBits({0x03, 0x60, 0x63});

const std::vector<std::string> GapsAndShortPacketsEvents = {
    "gap of 12 ones", "packet of 4",   "gap of 14 with a 0",       "not decoded <10100101> 1",
    "packet of 1",    "gap of 9 ones", "not decoded <11111111> 1", "packet of 1",
    "gap of 10 ones", "packet of 3",
};

} // namespace

TEST_F(PacketObserver, GapsAndUndecodablePacketsAreToldWhetherShownOrNot) {
    for (bool schrott : {false, true}) {
        TRecordingHost h;
        h.Check({TSwitch::cbx_schrott}, schrott);
        TStreamDecoder d(h);
        TObserver o;
        d.PacketObserver = &o;
        Feed(d, GapsAndShortPackets);
        EXPECT_EQ(o.Events, GapsAndShortPacketsEvents) << "cbx_schrott " << schrott;
        EXPECT_EQ(h.Monitor.size(), schrott ? 6u : 0u);
    }
}

TEST_F(PacketObserver, GapsAndUndecodablePacketsAreToldFromWholeBytesAlike) {
    // The same bits as received bytes, which the assembler takes eight at a
    // time; ones fill the last byte and push the last chunk through.
    std::string bits = GapsAndShortPackets + std::string(400, '1');
    bits.resize((bits.size() + 7) / 8 * 8, '1');
    std::vector<uint8_t> bytes;
    for (std::size_t k = 0; k < bits.size(); k += 8)
        bytes.push_back(static_cast<uint8_t>(std::stoi(bits.substr(k, 8), nullptr, 2)));
    host.Check({TSwitch::cbx_dcc_stream});
    TRxBuffer rx;
    CollectBytes(decoder, rx, bytes.data(), bytes.size());
    EXPECT_EQ(observer.Events, GapsAndShortPacketsEvents);
    EXPECT_TRUE(host.Monitor.empty());
}
