#include "recording_host.h"

#include <gtest/gtest.h>

namespace {

const std::string Idle = PacketBits({0xFF, 0x00, 0xFF});

struct BitAssembler : ::testing::Test {
    TRecordingHost host;
    TStreamDecoder decoder{host};
    // Both logs in the order they were written, Bitstream lines marked "B:".
    std::vector<std::string> events;

    BitAssembler() {
        host.Check({TSwitch::cbx_idle, TSwitch::cbx_binaer, TSwitch::cbx_schrott,
                    TSwitch::cbx_bitstream, TSwitch::cbx_sonstige});
        host.OnMonitorLine = [this](const std::string& l) { events.push_back(l); };
        host.OnBitstreamLine = [this](const std::string& l) { events.push_back("B:" + l); };
    }
};

} // namespace

TEST_F(BitAssembler, EightOnesThenZeroStartsNoPacket) {
    Feed(decoder, "111111110");
    EXPECT_FALSE(decoder.InPacket);
    EXPECT_EQ(decoder.GapText, "111111110");
    EXPECT_EQ(decoder.OnesCount, 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(BitAssembler, NineOnesThenZeroStartsAPacket) {
    Feed(decoder, "1111111110");
    EXPECT_TRUE(decoder.InPacket);
    EXPECT_EQ(decoder.BitIndex, 0);
    EXPECT_EQ(decoder.PacketText, "<");
    EXPECT_EQ(decoder.BitstreamText, "0");
    EXPECT_EQ(events, (std::vector<std::string>{"B:111111111", "Pr\xE4"
                                                               "ambel: 111111111"}));
}

TEST_F(BitAssembler, IdlePacketIsDecodedAtItsEndBit) {
    Feed(decoder, "11111111111111" + Idle);
    EXPECT_FALSE(decoder.InPacket);
    EXPECT_EQ(decoder.ByteCount, 3);
    EXPECT_EQ(decoder.PacketText, "<11111111 00000000 11111111>");
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0], "B:11111111111111");
    EXPECT_EQ(events[1], "Pr\xE4"
                         "ambel: 11111111111111");
    EXPECT_EQ(events[2], " 3 Bytes  <11111111 00000000 11111111> Idle Packet");
}

TEST_F(BitAssembler, BitstreamLineRunsFromStartBitToTheNextStartBit) {
    Feed(decoder, "1111111111" + Idle + "1111111111" + Idle);
    // Second packet start: its Bitstream line holds the first packet's bits
    // from its start bit through the next preamble.
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events[3], "B:" + Idle + "1111111111");
    // The gap excludes the end bit.
    EXPECT_EQ(events[4], "Pr\xE4"
                         "ambel: 1111111111");
}

TEST_F(BitAssembler, EndBitCountsTowardsTheNextPreamble) {
    // The last byte's eight ones and the end bit already make nine.
    Feed(decoder, "1111111111" + PacketBits({0x03, 0xFF}) + "0");
    EXPECT_TRUE(decoder.InPacket);
    EXPECT_EQ(decoder.PacketText, "<");

    // With a last byte ending in 0, the end bit and eight more ones suffice.
    TRecordingHost host2;
    TStreamDecoder d2(host2);
    Feed(d2, "1111111111" + PacketBits({0x03, 0x00}) + "11111111" + "0");
    EXPECT_TRUE(d2.InPacket);
    TStreamDecoder d3(host2);
    Feed(d3, "1111111111" + PacketBits({0x03, 0x00}) + "1111111" + "0");
    EXPECT_FALSE(d3.InPacket);
}

TEST_F(BitAssembler, SeparatorAfterAllOnesByteStartsNothing) {
    Feed(decoder, "1111111111" + std::string("0") + "11111111" + "0");
    EXPECT_TRUE(decoder.InPacket);
    EXPECT_EQ(decoder.PacketText, "<11111111 ");
    EXPECT_EQ(decoder.ByteCount, 1);
}

TEST_F(BitAssembler, OneBytePacketGoesToGarbage) {
    Feed(decoder, "1111111111" + PacketBits({0xFF}));
    ASSERT_EQ(events.size(), 3u);
    // The Packet text holds no '0', so it reads as a preamble.
    EXPECT_EQ(events[2], "Pr\xE4"
                         "ambel: <11111111>");
    events.clear();
    Feed(decoder, "1111111111" + PacketBits({0x0F}));
    EXPECT_EQ(events.back(), "Schrott: <00001111>");
}

TEST_F(BitAssembler, GapWithAZeroIsGarbage) {
    Feed(decoder, "1101111111111" + Idle);
    EXPECT_EQ(events[1], "Schrott: 1101111111111");
}

TEST_F(BitAssembler, AGapIsAPreambleExactlyWhenItHoldsOnlyOnes) {
    // The prefix of the gap line, also where the run of ones before the
    // start bit began before the gap (the end bit, a reception start) or the
    // gap text was cut at its bound.
    struct TCase {
        const char* Name;
        std::string Before; // bits, then a reception start, then the rest
        std::string After;
        const char* Prefix;
    };
    const std::string longOnes(TStreamDecoder::MaxTextLength + 100, '1');
    const TCase cases[] = {
        {"ones after a packet", "1111111111" + Idle, "1111111111",
         "Pr\xE4"
         "ambel: "},
        {"a zero after a packet", "1111111111" + Idle, "01111111111", "Schrott: "},
        {"ones on both sides of a start", "1111", "1111111111",
         "Pr\xE4"
         "ambel: "},
        {"a zero before a start", "1101", "1111111111", "Schrott: "},
        {"a zero before a long run", "", "0" + longOnes, "Schrott: "},
        {"only a long run", "", longOnes,
         "Pr\xE4"
         "ambel: "},
    };
    for (const TCase& c : cases) {
        TRecordingHost h;
        h.Check({TSwitch::cbx_schrott, TSwitch::cbx_idle});
        std::vector<std::string> lines;
        h.OnMonitorLine = [&](const std::string& l) { lines.push_back(l); };
        TStreamDecoder d{h};
        Feed(d, c.Before);
        d.ResetAssembler();
        lines.clear();
        Feed(d, c.After + "0");
        ASSERT_EQ(lines.size(), 1u) << c.Name;
        EXPECT_EQ(lines[0].substr(0, std::string(c.Prefix).size()), c.Prefix) << c.Name;
    }
}

TEST_F(BitAssembler, SwitchesOffStillEmptyTheTexts) {
    host.Check({TSwitch::cbx_schrott, TSwitch::cbx_bitstream}, false);
    Feed(decoder, "101111111111" + Idle + "1111111111" + Idle);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].substr(events[0].size() - 11), "Idle Packet");
    EXPECT_EQ(decoder.GapText, "");
    EXPECT_EQ(decoder.BitstreamText, Idle);
}

TEST_F(BitAssembler, PacketSplitAcrossCallsIsAssembledTheSame) {
    const std::string bits = "111111111111" + PacketBits({0x03, 0x75, 0x76}) + "1111111111" + Idle;
    TRecordingHost whole;
    whole.Check({TSwitch::cbx_idle, TSwitch::cbx_lokbefehle_s, TSwitch::cbx_bitstream,
                 TSwitch::cbx_schrott, TSwitch::cbx_binaer});
    TStreamDecoder d1(whole);
    Feed(d1, bits);
    for (std::size_t split = 1; split < bits.size(); split += 7) {
        TRecordingHost parts;
        parts.Check({TSwitch::cbx_idle, TSwitch::cbx_lokbefehle_s, TSwitch::cbx_bitstream,
                     TSwitch::cbx_schrott, TSwitch::cbx_binaer});
        TStreamDecoder d2(parts);
        Feed(d2, bits.substr(0, split));
        Feed(d2, bits.substr(split));
        EXPECT_EQ(parts.Monitor, whole.Monitor) << split;
        EXPECT_EQ(parts.Bitstream, whole.Bitstream) << split;
    }
    EXPECT_EQ(whole.Monitor.size(), 4u);
}

TEST_F(BitAssembler, EmptyTextsWriteNothing) {
    decoder.ShowGarbage("");
    decoder.ShowBitstreamLine("");
    EXPECT_TRUE(events.empty());
}

TEST_F(BitAssembler, TextsKeepTheirFirst65536Characters) {
    std::string bits(70000, '0');
    bits[0] = '1';
    Feed(decoder, bits);
    EXPECT_EQ(decoder.BitstreamText.size(), TStreamDecoder::MaxTextLength);
    EXPECT_EQ(decoder.GapText.size(), TStreamDecoder::MaxTextLength);
    EXPECT_EQ(decoder.GapText[0], '1');
    // A packet start still works and begins a fresh line.
    Feed(decoder, "1111111110");
    EXPECT_TRUE(decoder.InPacket);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].size(), 2 + TStreamDecoder::MaxTextLength);
    EXPECT_EQ(decoder.BitstreamText, "0");
}

TEST_F(BitAssembler, EndlessPacketBoundsItsText) {
    // All zeros after a start bit: byte after byte, never an end bit.
    Feed(decoder, "1111111111" + std::string(200000, '0'));
    EXPECT_TRUE(decoder.InPacket);
    EXPECT_EQ(decoder.PacketText.size(), TStreamDecoder::MaxTextLength);
    EXPECT_EQ(decoder.ByteCount, 200000 / 9);
}

TEST_F(BitAssembler, ResetAssemblerKeepsTheTexts) {
    Feed(decoder, "1111111111" + std::string("0101"));
    decoder.ResetAssembler();
    EXPECT_FALSE(decoder.InPacket);
    EXPECT_EQ(decoder.OnesCount, 0);
    EXPECT_EQ(decoder.BitIndex, 0);
    EXPECT_EQ(decoder.PacketText, "<101");
    EXPECT_EQ(decoder.BitstreamText, "0101");
    // What follows lands in the gap, after the pending bits.
    Feed(decoder, "11");
    EXPECT_EQ(decoder.GapText, "11");
}
