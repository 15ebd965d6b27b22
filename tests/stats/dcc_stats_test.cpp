// The counters on streams built here, errors put in on purpose, and on the
// simulated layout, whose own counts say what it sent.
#include "dcc_stats.h"
#include "layout_traffic.h"
#include "stats_report.h"
#include "stream_builder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Idle() {
    return {0xFF, 0x00};
}

TCount KindCount(const TDccStats& s, TPacketKind k) {
    return s.Kinds[static_cast<std::size_t>(k)];
}

// Feeds the stream, then enough preamble for every packet to be decoded.
void FeedAll(TDccStats& stats, TStreamBuilder& b) {
    b.Ones(8 * 100);
    const std::vector<uint8_t> bytes = b.Take();
    // In uneven pieces, as a port delivers them.
    std::size_t at = 0;
    for (std::size_t piece = 1; at < bytes.size(); piece = piece * 3 % 97 + 1) {
        const std::size_t n = std::min(piece, bytes.size() - at);
        stats.Feed(bytes.data() + at, n);
        at += n;
    }
}

} // namespace

TEST(DccStats, CountsKindsAddressesAndChecksumFailures) {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (int i = 0; i < 3; ++i)
        b.DccPacket(Idle());
    b.DccPacket({0x03, 0x3F, 0x85});     // loco 3, 4/126 forward
    b.DccPacket({0x03, 0x90});           // loco 3, F0 on
    b.Packet({0x03, 0x3F, 0x05, 0x00});  // bad checksum: would say reverse
    b.DccPacket({0xC4, 0xD2, 0x60}, 20); // long 1234, 28 steps
    b.DccPacket({0x81, 0xF8});           // switch 1 on
    b.Packet({0x81, 0xF8, 0x00});        // switch 1, bad checksum
    b.Packet({0xA5}, 12);                // one byte: no checksum at all
    b.Bits("0101");                      // after the end bit: no packet
    TDccStats stats;
    FeedAll(stats, b);

    EXPECT_EQ(stats.Packets, 10u);
    EXPECT_EQ(stats.ChecksumErrors, 2u);
    EXPECT_EQ(KindCount(stats, TPacketKind::Idle).Packets, 3u);
    EXPECT_EQ(KindCount(stats, TPacketKind::Speed128).Packets, 2u);
    EXPECT_EQ(KindCount(stats, TPacketKind::Speed128).ChecksumErrors, 1u);
    EXPECT_EQ(KindCount(stats, TPacketKind::AccessoryBasic).ChecksumErrors, 1u);
    EXPECT_EQ(KindCount(stats, TPacketKind::Unknown).Packets, 1u);
    EXPECT_EQ(stats.Addresses.at({TAddressSpace::Short, 3}).Packets, 3u);
    EXPECT_EQ(stats.Addresses.at({TAddressSpace::Short, 3}).ChecksumErrors, 1u);
    EXPECT_EQ(stats.Addresses.at({TAddressSpace::Long, 1234}).Packets, 1u);
    EXPECT_EQ(stats.Addresses.at({TAddressSpace::Accessory, 1}).Packets, 2u);

    // The bad packet does not change what loco 3 is known to do.
    const TLocoState& loco = stats.Locos.at({TAddressSpace::Short, 3});
    EXPECT_EQ(SpeedText(loco), "4/126");
    EXPECT_TRUE(loco.Forward);
    EXPECT_EQ(FunctionsText(loco), "F0");
    EXPECT_EQ(SpeedText(stats.Locos.at({TAddressSpace::Long, 1234})), "stop");

    EXPECT_EQ(stats.Preambles.at(14), 8u);
    EXPECT_EQ(stats.Preambles.at(20), 1u);
    EXPECT_EQ(stats.Preambles.at(12), 1u);
    EXPECT_EQ(stats.DeviceInfoRecords, 1u);
    EXPECT_EQ(stats.DccRecords, 1u);
    EXPECT_EQ(stats.LastVersion, "V 1.18");
    EXPECT_EQ(stats.UndecodablePackets, 1u);
}

TEST(DccStats, GapsWithZerosAreCountedWithTheirBits) {
    // Not idle packets: their last byte and end bit make nine ones, and the
    // next '0' would start a packet.
    TStreamBuilder b;
    b.DccPacket({0x03, 0x60});
    b.Bits("0110");
    b.DccPacket({0x03, 0x60});
    b.Bits("11101111 0");
    b.DccPacket({0x03, 0x60});
    TDccStats stats;
    FeedAll(stats, b);
    EXPECT_EQ(stats.Packets, 3u);
    EXPECT_EQ(stats.GarbageGaps, 2u);
    // Each gap: its bits and the 14 preamble ones after them.
    EXPECT_EQ(stats.GarbageBits, 4u + 14 + 9 + 14);
}

TEST(DccStats, OffsetIsTheByteHoldingTheEndBit) {
    TStreamBuilder b;
    std::vector<uint64_t> endBits;
    uint64_t bits = 0;
    for (int i = 0; i < 40; ++i) {
        const int preamble = 14 + i % 7;
        const std::vector<uint8_t> bytes = {static_cast<uint8_t>(1 + i), 0x60};
        b.DccPacket(bytes, preamble);
        bits += static_cast<uint64_t>(preamble) + 9 * 3 + 1;
        endBits.push_back(bits - 1);
    }
    TDccStats stats;
    std::vector<uint64_t> offsets;
    stats.OnPacket = [&](const TPacketEvent& e) { offsets.push_back(e.Offset); };
    FeedAll(stats, b);
    ASSERT_EQ(offsets.size(), endBits.size());
    for (std::size_t i = 0; i < offsets.size(); ++i)
        EXPECT_EQ(offsets[i], endBits[i] / 8) << i;
}

TEST(DccStats, PacketsPerSecondOfDeviceTime) {
    TStreamBuilder b;
    // Idle packets back to back: 14 + 28 bits each; three seconds of them.
    TDccStats stats;
    std::vector<uint8_t> all;
    for (int i = 0; i < 1400; ++i)
        b.DccPacket(Idle());
    all = b.Take();
    all.resize(3 * 1920 + 40, 0xFF);
    stats.Feed(all.data(), all.size());
    ASSERT_GE(stats.PerSecond.size(), 3u);
    for (int s = 0; s < 3; ++s) {
        const uint32_t idle = stats.PerSecond[s][static_cast<int>(TPacketKind::Idle)];
        // 1920 * 8 / 42 = 365.7 packets in each second.
        EXPECT_GE(idle, 365u) << s;
        EXPECT_LE(idle, 366u) << s;
    }
    const TPacketsPerSecond pps = PacketsPerSecond(stats);
    EXPECT_EQ(pps.Seconds, 3u);
    EXPECT_NEAR(pps.Mean, 1920.0 * 8 / 42, 1.0);
}

TEST(DccStats, ServiceModeFollowsResets) {
    TStreamBuilder b;
    const std::vector<uint8_t> write = {0x7C, 0x1C, 0x06};
    b.DccPacket(write); // on the main: loco 124
    for (int i = 0; i < 3; ++i)
        b.DccPacket({0x00, 0x00}, 20);
    for (int i = 0; i < 5; ++i)
        b.DccPacket(write, 20);
    b.DccPacket({0x03, 0x60});
    b.DccPacket(write); // the main again
    TDccStats stats;
    FeedAll(stats, b);
    EXPECT_EQ(KindCount(stats, TPacketKind::Reset).Packets, 3u);
    EXPECT_EQ(KindCount(stats, TPacketKind::ServiceDirect).Packets, 5u);
    EXPECT_EQ(stats.Addresses.at({TAddressSpace::Short, 124}).Packets, 2u);
}

TEST(DccStats, MotorolaRecordingHasNoDccPackets) {
    TStreamBuilder b;
    b.DeviceInfo(118, 8, 'm');
    for (int i = 0; i < 20; ++i)
        b.MotorolaRecord("12*", 0x55, 0x0F, 0xC3);
    b.DeviceInfo(118, 8, 'm');
    b.RawBytes(std::vector<uint8_t>(60, 0x00));
    TDccStats stats;
    const std::vector<uint8_t> bytes = b.Take();
    stats.Feed(bytes.data(), bytes.size());
    EXPECT_EQ(stats.Packets, 0u);
    EXPECT_EQ(stats.MotorolaRecords, 2u);
    EXPECT_GT(stats.MotorolaLines, 0u);
    EXPECT_FALSE(stats.DccDecoding());
    EXPECT_NE(SummaryText(stats, "x").find("No DCC packets: the recording is in Motorola mode"),
              std::string::npos);
}

TEST(DccStats, AnyBytesAreValidInput) {
    TDccStats stats;
    std::vector<uint8_t> noise(100000);
    uint32_t x = 12345;
    for (uint8_t& v : noise) {
        x = x * 1103515245 + 12345;
        v = static_cast<uint8_t>(x >> 24);
    }
    stats.Feed(noise.data(), noise.size());
    EXPECT_EQ(stats.Bytes, noise.size());
    uint64_t kinds = 0;
    for (const TCount& c : stats.Kinds)
        kinds += c.Packets;
    EXPECT_EQ(kinds, stats.Packets);
    EXPECT_FALSE(SummaryText(stats, "noise").empty());
}

TEST(DccStats, SimulatedMinuteCountsWhatTheLayoutSent) {
    TLayoutTraffic traffic(TSimMode::Dcc, 7);
    TDccStats stats;
    while (traffic.LineTime() < 60) {
        const TTrafficPiece piece = traffic.Next();
        stats.Feed(piece.Bytes.data(), piece.Bytes.size());
    }
    const std::vector<uint8_t> tail = traffic.Flush();
    stats.Feed(tail.data(), tail.size());
    const std::vector<uint8_t> pad(100, 0xFF);
    stats.Feed(pad.data(), pad.size());

    // The layout names each packet's kind as it builds it; the statistics
    // find it from the bytes alone.
    const TTrafficCounts& sent = traffic.Counts();
    EXPECT_EQ(stats.ChecksumErrors, 0u);
    EXPECT_EQ(sent[TPacketKind::Unknown], 0u);
    for (int k = 0; k < PacketKindCount; ++k) {
        const auto kind = static_cast<TPacketKind>(k);
        EXPECT_EQ(KindCount(stats, kind).Packets, sent[kind]) << PacketKindName(kind);
    }
    EXPECT_EQ(stats.DeviceInfoRecords, sent.DeviceInfoRecords);
    EXPECT_EQ(stats.GarbageGaps, 0u);
}
