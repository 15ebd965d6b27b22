// A host that wants them gets each packet's line with what the line does not
// show: whether the error byte is right and how long the preamble was. Other
// hosts get the very same lines as ever.
#include "recording_host.h"
#include "rx_collector.h"
#include "stream_builder.h"

#include <gtest/gtest.h>

namespace {

struct TFactsHost : TRecordingHost {
    struct TLine {
        std::string Text;
        bool ChecksumOk;
        int32_t PreambleOnes;
    };
    std::vector<TLine> Lines;
    bool WantsPacketFacts() const override { return true; }
    void AppendPacketLine(std::string_view line, const TPacketFacts& facts) override {
        Lines.push_back({std::string(line), facts.ChecksumOk, facts.PreambleOnes});
    }
};

struct PacketFacts : ::testing::Test {
    TFactsHost host;
    TStreamDecoder decoder{host};
    PacketFacts() {
        host.Check({TSwitch::cbx_dcc_stream, TSwitch::cbx_idle, TSwitch::cbx_lokbefehle_s,
                    TSwitch::cbx_schaltbefehle});
    }
    // Through the receive loop's collection step, 50 bytes a chunk.
    void Receive(const std::vector<uint8_t>& bytes) {
        CollectBytes(decoder, rx, bytes.data(), bytes.size());
    }
    TRxBuffer rx;
};

} // namespace

TEST_F(PacketFacts, ChecksumAndPreambleOfEachPacketLine) {
    struct TCase {
        const char* What;
        std::vector<uint8_t> Bytes; // sent as they are
        int Preamble;
        bool ChecksumOk;
    };
    const std::vector<TCase> cases = {
        {"idle", {0xFF, 0x00, 0xFF}, 16, true},
        {"speed, sound", {0x03, 0x3F, 0x85, 0x03 ^ 0x3F ^ 0x85}, 14, true},
        {"speed, wrong error byte", {0x03, 0x3F, 0x85, 0x00}, 14, false},
        {"accessory after a short preamble", {0x81, 0xF9, 0x81 ^ 0xF9}, 11, true},
        {"short preamble and a wrong byte", {0xFF, 0x00, 0xFE}, 10, false},
        {"long preamble", {0xFF, 0x00, 0xFF}, 30, true},
    };
    TStreamBuilder b;
    b.Ones(20);
    for (const TCase& c : cases)
        b.Packet(c.Bytes, c.Preamble);
    b.RawBytes(std::vector<uint8_t>(100, 0xFF)); // past the last chunk's end
    Receive(b.Take());

    // The first packet after the start of reception has no known preamble;
    // the bytes begin at the start of the stream here, which need not be
    // the start of a preamble on a real line.
    ASSERT_EQ(host.Lines.size(), cases.size());
    EXPECT_EQ(host.Lines[0].PreambleOnes, -1);
    EXPECT_TRUE(host.Lines[0].ChecksumOk);
    for (std::size_t i = 1; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].What);
        EXPECT_EQ(host.Lines[i].ChecksumOk, cases[i].ChecksumOk);
        EXPECT_EQ(host.Lines[i].PreambleOnes, cases[i].Preamble);
    }
    EXPECT_EQ(host.Lines[1].Text, "Lok     3 (128 Step) Vorw.  Speed   4 ");
    EXPECT_TRUE(host.Monitor.empty()) << "every packet line went with its facts";
}

TEST_F(PacketFacts, BitByBitTheSame) {
    Feed(decoder, std::string(12, '1') + PacketBits({0xFF, 0x00, 0xFF}) + std::string(12, '1') +
                      PacketBits({0xFF, 0x00, 0xFE}) + "1");
    ASSERT_EQ(host.Lines.size(), 2u);
    EXPECT_EQ(host.Lines[0].PreambleOnes, -1);
    EXPECT_FALSE(host.Lines[1].ChecksumOk);
    EXPECT_EQ(host.Lines[1].PreambleOnes, 12);
}

TEST_F(PacketFacts, ANewReceptionForgetsThePreambleSeenSoFar) {
    Feed(decoder, std::string(14, '1') + PacketBits({0xFF, 0x00, 0xFF}) + std::string(15, '1') +
                      PacketBits({0xFF, 0x00, 0xFF}) + "1111");
    decoder.ResetAssembler();
    Feed(decoder, std::string(15, '1') + PacketBits({0xFF, 0x00, 0xFF}) + std::string(15, '1') +
                      PacketBits({0xFF, 0x00, 0xFF}) + "1");
    ASSERT_EQ(host.Lines.size(), 4u);
    EXPECT_EQ(host.Lines[1].PreambleOnes, 15);
    EXPECT_EQ(host.Lines[2].PreambleOnes, -1);
    EXPECT_EQ(host.Lines[3].PreambleOnes, 15);
}

TEST_F(PacketFacts, OnlyLinesOfDecodedPacketsCarryFacts) {
    // A garbage gap and a one-byte packet are "Schrott" lines; a packet a
    // display switch hides and one the filter holds back have no line.
    host.Check({TSwitch::cbx_filter, TSwitch::cbx_schrott});
    host.SetMinText("10");
    Feed(decoder, std::string(14, '1') + PacketBits({0xFF, 0x00, 0xFF}) + std::string(14, '1') +
                      PacketBits({0x03, 0x3F, 0x85, 0xB9}) + "1101" + std::string(14, '1') +
                      PacketBits({0x55}) + std::string(14, '1') + PacketBits({0x03, 0x80, 0x83}) +
                      std::string(14, '1') + PacketBits({0xFF, 0x00, 0xFF}) + "1");
    ASSERT_EQ(host.Lines.size(), 2u);
    EXPECT_EQ(host.Lines[0].Text, "Idle Packet");
    EXPECT_EQ(host.Lines[1].Text, "Idle Packet");
    // The gaps' lines and the "Schrott" lines went the usual way.
    int garbage = 0;
    for (const std::string& line : host.Monitor) {
        const bool preamble = line.rfind("Pr\xE4"
                                         "ambel: ",
                                         0) == 0;
        garbage += line.rfind("Schrott: ", 0) == 0;
        EXPECT_TRUE(preamble || line.rfind("Schrott: ", 0) == 0) << line;
    }
    EXPECT_EQ(garbage, 2);
}

TEST(PacketFactsNotWanted, LinesGoToAppendMonitorLineAsEver) {
    TRecordingHost host;
    host.Check({TSwitch::cbx_idle});
    TStreamDecoder decoder(host);
    Feed(decoder, std::string(14, '1') + PacketBits({0xFF, 0x00, 0xFE}) + "1");
    EXPECT_EQ(host.Monitor, std::vector<std::string>{"Idle Packet"});
}
