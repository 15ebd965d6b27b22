// The simulated layout's traffic, decoded by the real decoder: every packet
// and record the model says it sent must come out as its line, and nothing
// else may.
#include "headless_host.h"
#include "layout_traffic.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

struct TRun {
    std::vector<uint8_t> Bytes;
    std::vector<TTrafficPiece> Pieces;
    TTrafficCounts Counts;
    uint64_t Flipped = 0;
};

// The stream of `seconds` of device time, ended on a whole packet.
TRun Simulate(TSimMode mode, uint32_t seed, double seconds, double errors = 0) {
    TLayoutTraffic traffic(mode, seed, errors);
    TRun run;
    run.Counts = traffic.Counts();
    while (traffic.LineTime() < seconds) {
        TTrafficPiece piece = traffic.Next();
        // A Motorola piece may wait for its time; one that starts too late
        // is not part of the run. (A DCC piece always starts at LineTime.)
        if (piece.Start >= seconds)
            break;
        run.Counts = traffic.Counts();
        run.Bytes.insert(run.Bytes.end(), piece.Bytes.begin(), piece.Bytes.end());
        run.Pieces.push_back(std::move(piece));
    }
    const std::vector<uint8_t> tail = traffic.Flush();
    run.Bytes.insert(run.Bytes.end(), tail.begin(), tail.end());
    run.Flipped = traffic.FlippedBits();
    return run;
}

// Counts version texts, that is Device info records, as well as lines.
class TCountingHost : public THeadlessHost {
public:
    void SetVersionText(const std::string& text) override {
        THeadlessHost::SetVersionText(text);
        ++VersionTexts;
    }
    int VersionTexts = 0;
};

struct TDecoded {
    std::map<std::string, uint64_t> Lines; // by category
    std::vector<std::string> Unexpected;
    std::vector<std::size_t> PreambleLengths;
    int InfoRecords = 0;
    std::string Version;
    bool DccStreamChecked = false;
    bool MotChecked = false;
};

std::string Category(const std::string& line) {
    auto has = [&](const char* text) { return line.find(text) != std::string::npos; };
    if (line == "Idle Packet")
        return "idle";
    if (line == "Broadcast Reset Packet")
        return "reset";
    if (line.rfind("Lok ", 0) == 0 && has("(28 Step)"))
        return "speed28";
    if (line.rfind("Lok ", 0) == 0 && has("(128 Step)"))
        return "speed128";
    if (line.rfind("Lok ", 0) == 0 && has("F-Befehl: "))
        return "functions";
    if (line.rfind("Schalten: ", 0) == 0 && line.size() >= 4 &&
        line.compare(line.size() - 4, 4, "Ein ") == 0)
        return "accessory on";
    if (line.rfind("Schalten: ", 0) == 0 && line.size() >= 4 &&
        line.compare(line.size() - 4, 4, "Aus ") == 0)
        return "accessory off";
    if (line == "RailCom NOP")
        return "railcom";
    if (line.rfind("Write CV ", 0) == 0)
        return "cv write";
    if (line.rfind("Verify if CV ", 0) == 0)
        return "cv verify";
    if (line.rfind("CV ", 0) == 0 && has(" Manipulation: "))
        return "cv bit";
    if (line.rfind("Schalten ", 0) == 0 && has(" EIN "))
        return "mot switch on";
    if (line.rfind("Schalten ", 0) == 0 && has("  AUS "))
        return "mot switch off";
    if (line.rfind("Lok ", 0) == 0)
        return "mot loco";
    return "";
}

// Decodes as the window would with every kind of packet shown; the stream's
// own info records choose the mode.
TDecoded Decode(const std::vector<uint8_t>& stream) {
    TCountingHost host;
    const TSwitch on[] = {TSwitch::cbx_schrott,      TSwitch::cbx_schaltbefehle,
                          TSwitch::cbx_lokbefehle_s, TSwitch::cbx_lokbefehle_f,
                          TSwitch::cbx_railcom,      TSwitch::cbx_idle,
                          TSwitch::cbx_sonstige,     TSwitch::cbx_cv};
    for (TSwitch s : on)
        host.SetChecked(s, true);
    TDecoded out;
    const std::string preamble = "Pr\xE4"
                                 "ambel: ";
    host.OnMonitorLine = [&](const std::string& line) {
        if (line.rfind(preamble, 0) == 0) {
            out.PreambleLengths.push_back(line.size() - preamble.size());
            return;
        }
        const std::string c = Category(line);
        if (c.empty())
            out.Unexpected.push_back(line);
        else
            ++out.Lines[c];
    };
    TStreamDecoder decoder(host);
    TRxBuffer rx;
    CollectBytes(decoder, rx, stream.data(), stream.size());
    // Bytes still in the receive buffer are decoded only with the next chunk:
    // push them through with preamble bits (DCC) or bytes that are neither
    // record data nor a record end (Motorola: collected, never formatted).
    const std::vector<uint8_t> flush(RxChunkSize, host.IsChecked(TSwitch::cbx_mot) ? 0x00 : 0xFF);
    CollectBytes(decoder, rx, flush.data(), flush.size());
    out.InfoRecords = host.VersionTexts;
    out.Version = host.GetVersionText();
    out.DccStreamChecked = host.IsChecked(TSwitch::cbx_dcc_stream);
    out.MotChecked = host.IsChecked(TSwitch::cbx_mot);
    return out;
}

TEST(LayoutTraffic, SameSeedSameStreamOtherSeedOtherStream) {
    for (TSimMode mode : {TSimMode::Dcc, TSimMode::Motorola}) {
        const std::vector<uint8_t> a = GenerateTraffic(mode, 42, 30000);
        EXPECT_EQ(a.size(), 30000u);
        EXPECT_EQ(GenerateTraffic(mode, 42, 30000), a);
        EXPECT_NE(GenerateTraffic(mode, 43, 30000), a);
        // A shorter run is the start of the longer one.
        const std::vector<uint8_t> shorter = GenerateTraffic(mode, 42, 1000);
        EXPECT_TRUE(std::equal(shorter.begin(), shorter.end(), a.begin()));
    }
}

TEST(LayoutTraffic, DccMinuteDecodesToExactlyThePacketsSent) {
    const TRun run = Simulate(TSimMode::Dcc, 1, 60.0);
    // The line is full: 1920 bytes a second.
    EXPECT_NEAR(static_cast<double>(run.Bytes.size()), 60 * 1920.0, 16.0);
    const TDecoded d = Decode(run.Bytes);

    EXPECT_TRUE(d.Unexpected.empty()) << d.Unexpected.front();
    const TTrafficCounts& c = run.Counts;
    using K = TPacketKind;
    // The monitor's kinds of line and the kinds of packet they show.
    const std::pair<std::vector<const char*>, std::vector<TPacketKind>> expected[] = {
        {{"idle"}, {K::Idle}},
        {{"reset"}, {K::Reset}},
        {{"speed28"}, {K::Speed14or28}},
        {{"speed128"}, {K::Speed128}},
        {{"functions"}, {K::F0toF4, K::F5toF8, K::F9toF12, K::F13toF20, K::F21toF28}},
        {{"accessory on", "accessory off"}, {K::AccessoryBasic}},
        {{"railcom"}, {K::AccessoryNop}},
        {{"cv write", "cv verify", "cv bit"}, {K::ServiceDirect}},
    };
    uint64_t packets = 0;
    for (const auto& e : expected) {
        // Every kind occurs within the minute, and each packet gives a line.
        uint64_t sent = 0;
        for (TPacketKind k : e.second) {
            EXPECT_GT(c[k], 0u) << PacketKindName(k);
            sent += c[k];
        }
        uint64_t lines = 0;
        for (const char* category : e.first) {
            const auto it = d.Lines.find(category);
            EXPECT_TRUE(it != d.Lines.end()) << category;
            lines += it == d.Lines.end() ? 0u : it->second;
        }
        EXPECT_EQ(lines, sent) << e.first.front();
        packets += sent;
    }
    // No packet of another kind was sent.
    uint64_t all = 0;
    for (uint64_t n : c.Packets)
        all += n;
    EXPECT_EQ(all, packets);

    // Every packet was preceded by a clean preamble of 14 to 20 bits: no
    // "Schrott" line, one preamble line per packet.
    EXPECT_EQ(d.PreambleLengths.size(), packets);
    for (std::size_t n : d.PreambleLengths) {
        EXPECT_GE(n, 14u);
        EXPECT_LE(n, 20u);
    }
    EXPECT_EQ(*std::min_element(d.PreambleLengths.begin(), d.PreambleLengths.end()), 14u);
    EXPECT_EQ(*std::max_element(d.PreambleLengths.begin(), d.PreambleLengths.end()), 20u);

    // The info record at 0, 5, ... 55 s switched the decoder to DCC.
    EXPECT_EQ(c.DeviceInfoRecords, 12u);
    EXPECT_EQ(d.InfoRecords, 12);
    EXPECT_EQ(d.Version, "V 1.18");
    EXPECT_TRUE(d.DccStreamChecked);
    EXPECT_FALSE(d.MotChecked);
}

TEST(LayoutTraffic, DccInfoRecordsComeEveryFiveSecondsOfLineTime) {
    const TRun run = Simulate(TSimMode::Dcc, 9, 30.0);
    const std::vector<uint8_t> record = {0xAA, 0xAA, 0xAA, 118, 0, 'e'};
    std::vector<std::size_t> at;
    for (auto it = run.Bytes.begin();
         (it = std::search(it, run.Bytes.end(), record.begin(), record.end())) != run.Bytes.end();
         ++it)
        at.push_back(static_cast<std::size_t>(it - run.Bytes.begin()));
    ASSERT_EQ(at.size(), 6u);
    for (std::size_t k = 0; k < at.size(); ++k) {
        // At the first byte boundary after the due time, so after at most
        // one packet's bytes.
        EXPECT_GE(at[k], k * 9600);
        EXPECT_LT(at[k], k * 9600 + 16);
    }
}

TEST(LayoutTraffic, PiecesFollowOneAnotherOnTheLine) {
    for (TSimMode mode : {TSimMode::Dcc, TSimMode::Motorola}) {
        const TRun run = Simulate(mode, 5, 40.0);
        ASSERT_GT(run.Pieces.size(), 100u);
        double lineFree = 0;
        for (const TTrafficPiece& p : run.Pieces) {
            ASSERT_FALSE(p.Bytes.empty());
            if (mode == TSimMode::Dcc)
                EXPECT_NEAR(p.Start, lineFree, 1e-9); // the DCC line never pauses
            else
                EXPECT_GE(p.Start, lineFree - 1e-9);
            lineFree = p.Start + static_cast<double>(p.Bytes.size()) / LineBytesPerSecond;
        }
    }
}

TEST(LayoutTraffic, MotorolaMinuteDecodesToExactlyTheRecordsSent) {
    const TRun run = Simulate(TSimMode::Motorola, 1, 60.0);
    TDecoded d = Decode(run.Bytes);
    EXPECT_TRUE(d.Unexpected.empty()) << d.Unexpected.front();
    const TTrafficCounts& c = run.Counts;
    EXPECT_GT(c.MotorolaLocoRecords, 0u);
    EXPECT_GT(c.MotorolaSwitchOnRecords, 0u);
    EXPECT_EQ(c.MotorolaSwitchOnRecords, c.MotorolaSwitchOffRecords);
    EXPECT_EQ(d.Lines["mot loco"], c.MotorolaLocoRecords);
    EXPECT_EQ(d.Lines["mot switch on"], c.MotorolaSwitchOnRecords);
    EXPECT_EQ(d.Lines["mot switch off"], c.MotorolaSwitchOffRecords);
    EXPECT_EQ(d.Lines.size(), 3u);
    EXPECT_TRUE(d.PreambleLengths.empty());
    EXPECT_EQ(c.DeviceInfoRecords, 12u);
    EXPECT_EQ(d.InfoRecords, 12);
    EXPECT_TRUE(d.MotChecked);
    EXPECT_FALSE(d.DccStreamChecked);
    // No DCC packet in Motorola mode, nor the reverse.
    for (int k = 0; k < PacketKindCount; ++k)
        EXPECT_EQ(c[static_cast<TPacketKind>(k)], 0u)
            << PacketKindName(static_cast<TPacketKind>(k));
}

TEST(LayoutTraffic, MotorolaRecordsAreWellFormed) {
    const TRun run = Simulate(TSimMode::Motorola, 3, 60.0);
    for (const TTrafficPiece& p : run.Pieces) {
        const std::vector<uint8_t>& b = p.Bytes;
        if (b.size() == 6 && b[0] == 0xAA) {
            EXPECT_EQ(b[3], 118);
            EXPECT_EQ(b[5], 'm');
            // Locomotive records for the first 30 s, switch records after.
            EXPECT_EQ(b[4], p.Start < 30.0 ? 8 : 0) << p.Start;
            continue;
        }
        // Text, three raw bytes, the end mark: 6 to 9 bytes as the monitor
        // formats them; no other 0xFF and no 0xAA inside.
        ASSERT_GE(b.size(), 7u);
        ASSERT_LE(b.size(), 10u);
        EXPECT_EQ(b.back(), 0xFF);
        for (std::size_t i = 0; i + 1 < b.size(); ++i) {
            EXPECT_NE(b[i], 0xFF);
            EXPECT_NE(b[i], 0xAA);
        }
    }
}

TEST(LayoutTraffic, ErrorsFlipTrackBitsOnlyAtTheRateGiven) {
    const TRun clean = Simulate(TSimMode::Dcc, 11, 60.0);
    const TRun noisy = Simulate(TSimMode::Dcc, 11, 60.0, 1e-3);
    // The errors have their own generator: the traffic itself is the same.
    ASSERT_EQ(noisy.Bytes.size(), clean.Bytes.size());
    EXPECT_EQ(noisy.Counts, clean.Counts);
    uint64_t differing = 0;
    for (std::size_t i = 0; i < clean.Bytes.size(); ++i)
        differing += static_cast<uint64_t>(__builtin_popcount(clean.Bytes[i] ^ noisy.Bytes[i]));
    EXPECT_EQ(differing, noisy.Flipped);
    // About one bit in a thousand of 60 * 15360; deterministic for the seed.
    EXPECT_GT(noisy.Flipped, 700u);
    EXPECT_LT(noisy.Flipped, 1150u);
    // The info records are the device's own and stay intact.
    const std::vector<uint8_t> record = {0xAA, 0xAA, 0xAA, 118, 0, 'e'};
    std::size_t records = 0;
    for (auto it = noisy.Bytes.begin(); (it = std::search(it, noisy.Bytes.end(), record.begin(),
                                                          record.end())) != noisy.Bytes.end();
         ++it)
        ++records;
    EXPECT_EQ(records, 12u);
    // The monitor shows the damage.
    TCountingHost host;
    host.SetChecked(TSwitch::cbx_schrott, true);
    std::size_t garbage = 0;
    host.OnMonitorLine = [&](const std::string& line) {
        garbage += line.rfind("Schrott: ", 0) == 0;
    };
    TStreamDecoder decoder(host);
    TRxBuffer rx;
    CollectBytes(decoder, rx, noisy.Bytes.data(), noisy.Bytes.size());
    EXPECT_GT(garbage, 0u);

    const TRun motNoisy = Simulate(TSimMode::Motorola, 11, 60.0, 0.01);
    EXPECT_GT(motNoisy.Flipped, 0u);
    EXPECT_EQ(Simulate(TSimMode::Motorola, 11, 60.0).Counts, motNoisy.Counts);
}

} // namespace
