// The statistics of a reception while it runs: fed in the pieces a receive
// loop reads, they report what fennox-stats reports on the same bytes; the
// trace keeps the newest packets of its address.
#include "layout_traffic.h"
#include "live_stats.h"
#include "run_program.h"
#include "stats_html.h"
#include "stats_report.h"
#include "stream_builder.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// A minute of a busy layout with bit errors, and a little more.
std::vector<uint8_t> ErroneousMinute() {
    TLayoutTraffic traffic(TSimMode::Dcc, 7, 1e-3);
    std::vector<uint8_t> bytes;
    while (bytes.size() < 61 * 1920) {
        const TTrafficPiece piece = traffic.Next();
        bytes.insert(bytes.end(), piece.Bytes.begin(), piece.Bytes.end());
    }
    return bytes;
}

// Feeds bytes as a receive loop reads them: pieces of 0 to 255 bytes.
void FeedInTicks(TLiveStats& live, const std::vector<uint8_t>& bytes, const char* time) {
    std::mt19937 random(5);
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t n = std::min<std::size_t>(random() % 256, bytes.size() - at);
        live.Feed(bytes.data() + at, n, time);
        at += n;
    }
}

std::vector<uint8_t> Bytes(std::initializer_list<std::vector<uint8_t>> packets, int trailing = 80) {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (const std::vector<uint8_t>& p : packets)
        b.Packet(p, 16);
    b.RawBytes(std::vector<uint8_t>(static_cast<std::size_t>(trailing), 0xFF));
    return b.Take();
}

} // namespace

TEST(LiveStats, ReportsWhatFennoxStatsReportsOnTheSameBytes) {
    const std::vector<uint8_t> bytes = ErroneousMinute();
    const std::string path = TempPath("live.bin");
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    const std::string html = TempPath("live.html");
    const TProgramResult r = RunProgram({FENNOX_STATS, "--json", "--html", html, path});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;

    TLiveStats live;
    FeedInTicks(live, bytes, "12:00:00:000");
    EXPECT_GT(live.Stats().ChecksumErrors, 10u) << "the stream has errors to count";
    EXPECT_EQ(JsonReport(live.Stats(), path), r.Out);
    EXPECT_EQ(HtmlReport(live.Stats(), path), ReadFile(html));
}

TEST(LiveStats, PacketsOfTheLastWholeSecondAndOfTheBusiest) {
    const std::vector<uint8_t> bytes = ErroneousMinute();
    TLiveStats live;
    live.Feed(bytes.data(), 1919, "t");
    EXPECT_EQ(live.PacketsLastSecond(), 0u) << "no second is whole yet";
    live.Feed(bytes.data() + 1919, bytes.size() - 1919, "t");
    const TPacketsPerSecond pps = PacketsPerSecond(live.Stats());
    EXPECT_EQ(static_cast<double>(live.MostPacketsPerSecond()), pps.Max);
    uint64_t last = 0;
    for (uint32_t n : live.Stats().PerSecond[bytes.size() / 1920 - 1])
        last += n;
    EXPECT_EQ(live.PacketsLastSecond(), last);
    EXPECT_GT(last, 200u);
}

TEST(LiveStats, WhenEachAddressWasLastSeenAndTheAccessoriesLastState) {
    TLiveStats live;
    // Output 1 (decoder 1, pair 0): coil 1 on, then coil 0 off; a bad
    // packet changes nothing but the time. Extended output 5: aspect 7.
    live.Feed(Bytes({{0x81, 0xF9, 0x78}, {0x03, 0x3F, 0x85, 0xB9}}).data(), 50, "10:00:00:000");
    const std::vector<uint8_t> more =
        Bytes({{0x81, 0xF0, 0x71}, {0x81, 0xF9, 0x00}, {0x82, 0x71, 0x07, 0xF4}});
    live.Feed(more.data(), more.size(), "10:00:01:500");
    const auto& seen = live.Seen();
    const TAddressSeen& output = seen.at({TAddressSpace::Accessory, 1});
    EXPECT_EQ(output.Time, "10:00:01:500");
    EXPECT_TRUE(output.Accessory.Known);
    EXPECT_EQ(output.Accessory.Coil, 0);
    EXPECT_FALSE(output.Accessory.On);
    const TAddressSeen& extended = seen.at({TAddressSpace::ExtAccessory, 5});
    EXPECT_TRUE(extended.Accessory.Extended);
    EXPECT_EQ(extended.Accessory.Aspect, 7);
    EXPECT_FALSE(seen.at({TAddressSpace::Short, 3}).Accessory.Known);
}

TEST(LiveStats, TheTraceKeepsTheNewestPacketsOfItsAddress) {
    TLiveStats live(3);
    live.Trace({TAddressSpace::Short, 3});
    // Five packets to loco 3 between others; the fourth has a wrong byte.
    const std::vector<uint8_t> bytes = Bytes({{0x03, 0x3F, 0x81, 0xBD},
                                              {0xFF, 0x00, 0xFF},
                                              {0x03, 0x3F, 0x82, 0xBE},
                                              {0x04, 0x3F, 0x82, 0xB9},
                                              {0x03, 0x3F, 0x83, 0xBF},
                                              {0x03, 0x3F, 0x84, 0x00},
                                              {0x03, 0x90, 0x93}});
    live.Feed(bytes.data(), bytes.size(), "08:15:00:250");
    const std::deque<TTraceEntry>& trace = live.TraceEntries();
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0].Bytes, (std::vector<uint8_t>{0x03, 0x3F, 0x83, 0xBF}));
    EXPECT_EQ(trace[1].Bytes, (std::vector<uint8_t>{0x03, 0x3F, 0x84, 0x00}));
    EXPECT_TRUE(trace[1].ChecksumFailed);
    EXPECT_FALSE(trace[2].ChecksumFailed);
    EXPECT_EQ(trace[2].Kind, TPacketKind::F0toF4);
    EXPECT_EQ(trace[0].Time, "08:15:00:250");
    EXPECT_EQ(trace[0].Text, "Lok     3 (128 Step) Vorw.  Speed   2 ");
    EXPECT_EQ(trace[2].Text, "Lok     3 F-Befehl: F ");
    EXPECT_LT(trace[0].Offset, trace[1].Offset);

    // Another address starts an empty trace; the old one's packets are gone.
    live.Trace({TAddressSpace::Short, 4});
    EXPECT_TRUE(live.TraceEntries().empty());
}

TEST(LiveStats, ResetEmptiesTheCountsAndTheTraceButKeepsItsAddress) {
    TLiveStats live;
    live.Trace({TAddressSpace::Short, 3});
    const std::vector<uint8_t> bytes = Bytes({{0x03, 0x3F, 0x81, 0xBD}, {0xFF, 0x00, 0xFF}});
    live.Feed(bytes.data(), bytes.size(), "t");
    ASSERT_EQ(live.Stats().Packets, 2u);
    live.Reset();
    EXPECT_EQ(live.Stats().Packets, 0u);
    EXPECT_EQ(live.Stats().Bytes, 0u);
    EXPECT_TRUE(live.Seen().empty());
    EXPECT_TRUE(live.TraceEntries().empty());
    EXPECT_TRUE(live.Tracing());
    // Counting goes on from the bytes after the reset, as fennox-stats would
    // count a recording that began there.
    live.Feed(bytes.data(), bytes.size(), "t");
    EXPECT_EQ(live.Stats().Packets, 2u);
    EXPECT_EQ(live.TraceEntries().size(), 1u);
}

TEST(PacketTextComposer, TheMonitorLogsTextOfAPacket) {
    TPacketTextComposer composer;
    const struct {
        std::vector<uint8_t> Bytes;
        const char* Text;
    } cases[] = {
        {{0xFF, 0x00, 0xFF}, "Idle Packet"},
        {{0xC4, 0xD2, 0x80, 0x96}, "Lok  1234 F-Befehl: "},
        {{0x81, 0xF0, 0x71}, "Schalten:     1 [Dekoder=1 Ausgang=1] R Aus "},
        {{0x7C, 0x00, 0x03, 0x7F}, "Write CV 1 = 3 (0x3) "},
        {{0xC1, 0x00, 0xC1}, ""}, // unclassified: no text of its own
        {{0x55}, "Schrott: <01010101>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(composer.Text(c.Bytes.data(), static_cast<int>(c.Bytes.size())), c.Text);
}
