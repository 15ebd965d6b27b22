#include "recording_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string BitsOf(int byte) {
    std::string s;
    for (int i = 7; i >= 0; --i)
        s += ((byte >> i) & 1) ? '1' : '0';
    return s;
}

struct ChunkFraming : ::testing::Test {
    TRecordingHost host;
    TStreamDecoder decoder{host};
    std::vector<int32_t> chunk = std::vector<int32_t>(50, 0x00);

    ChunkFraming() { host.Check({TSwitch::cbx_dcc_stream}); }
    int Process() { return decoder.ProcessChunk(chunk.data(), static_cast<int>(chunk.size())); }
};

} // namespace

TEST(Conversions, ByteToHexGivesTwoLowerCaseDigits) {
    char out[3];
    TStreamDecoder::ByteToHex(0xA5, out);
    EXPECT_STREQ(out, "a5");
    TStreamDecoder::ByteToHex(0x0F, out);
    EXPECT_STREQ(out, "0f");
    TStreamDecoder::ByteToHex(0xFF, out);
    EXPECT_STREQ(out, "ff");
}

TEST(Conversions, HexDigitToBitsForEveryDigit) {
    const char* digits = "0123456789abcdef";
    for (int v = 0; v < 16; ++v) {
        char out[5];
        TStreamDecoder::HexDigitToBits(digits[v], out);
        EXPECT_EQ(std::string(out), BitsOf(v).substr(4)) << digits[v];
    }
}

TEST(Conversions, BitsToByteReadsMostSignificantFirst) {
    EXPECT_EQ(TStreamDecoder::BitsToByte("10100101"), 0xA5);
    EXPECT_EQ(TStreamDecoder::BitsToByte("00000001"), 1);
    EXPECT_EQ(TStreamDecoder::BitsToByte("11111111"), 255);
    // No validation: a '2' counts as two.
    EXPECT_EQ(TStreamDecoder::BitsToByte("00000002"), 2);
}

TEST(Conversions, BitsToByteForEveryByteAndCharactersNextToTheBitCharacters) {
    for (int v = 0; v < 256; ++v)
        EXPECT_EQ(TStreamDecoder::BitsToByte(BitsOf(v).c_str()), v) << v;
    // '1' and '0' differ from '/' (47) and '2' (50) in one low bit only.
    EXPECT_EQ(TStreamDecoder::BitsToByte("1111111/"), 254 - 1);
    EXPECT_EQ(TStreamDecoder::BitsToByte("21111111"), 255 + 128);
    EXPECT_EQ(TStreamDecoder::BitsToByte("\xB0"
                                         "0000000"),
              (0xB0 - 48) * 128);
}

TEST_F(ChunkFraming, EveryByteBecomesItsEightBits) {
    for (int i = 0; i < 50; ++i)
        chunk[i] = i * 5;
    EXPECT_EQ(Process(), 0);
    std::string expected;
    for (int i = 0; i < 50; ++i)
        expected += BitsOf(i * 5);
    // No nine ones in a row, so no packet starts and every bit stays pending.
    EXPECT_EQ(decoder.BitstreamText, expected);
}

TEST_F(ChunkFraming, MarkerAmongLastSixIsCarriedToTheFront) {
    chunk[44] = 0xAA;
    for (int i = 45; i < 50; ++i)
        chunk[i] = i;
    EXPECT_EQ(Process(), 6);
    EXPECT_EQ(chunk[0], 0xAA);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(chunk[i], 44 + i);
    EXPECT_EQ(decoder.BitstreamText, std::string(44 * 8, '0'));
}

TEST_F(ChunkFraming, RecordEndingOneBeforeTheChunkEndIsRecognised) {
    host.SetChecked(TSwitch::cbx_dcc_stream, false);
    const int record[] = {0xAA, 0xAA, 0xAA, 118, 0, 'e'};
    for (int i = 0; i < 6; ++i)
        chunk[43 + i] = record[i];
    chunk[49] = 0x0F;
    EXPECT_EQ(Process(), 0);
    EXPECT_EQ(host.GetVersionText(), "V 1.18");
    EXPECT_TRUE(host.IsChecked(TSwitch::cbx_dcc_stream));
    // The record turned DCC on after the entries before it were converted:
    // the whole chunk's bits are assembled, the record's six are not.
    EXPECT_EQ(decoder.BitstreamText, std::string(43 * 8, '0') + BitsOf(0x0F));
}

TEST_F(ChunkFraming, RecordStartingAmongLastSixIsRecognisedInTheNextChunk) {
    const int record[] = {0xAA, 0xAA, 0xAA, 5, 0, 'x'};
    for (int i = 0; i < 6; ++i)
        chunk[44 + i] = record[i];
    ASSERT_EQ(Process(), 6);
    EXPECT_EQ(host.GetVersionText(), "");
    for (int i = 6; i < 50; ++i)
        chunk[i] = 0x00;
    EXPECT_EQ(Process(), 0);
    EXPECT_EQ(host.GetVersionText(), "V 0.05");
    EXPECT_EQ(decoder.BitstreamText, std::string((44 + 44) * 8, '0'));
}

TEST_F(ChunkFraming, LoneMarkerEarlyInTheChunkIsAnOrdinaryByte) {
    chunk[10] = 0xAA;
    chunk[11] = 0xAA;
    chunk[12] = 0x12;
    EXPECT_EQ(Process(), 0);
    EXPECT_EQ(decoder.BitstreamText.substr(80, 24), "101010101010101000010010");
    EXPECT_EQ(decoder.BitstreamText.size(), 400u);
}

TEST_F(ChunkFraming, DccSwitchOffLeavesTheAssemblerUntouched) {
    host.SetChecked(TSwitch::cbx_dcc_stream, false);
    chunk.assign(50, 0xFF);
    EXPECT_EQ(Process(), 0);
    EXPECT_EQ(decoder.BitstreamText, "");
    EXPECT_EQ(decoder.OnesCount, 0);
}

TEST_F(ChunkFraming, MotorolaInfoRecordMidChunkCollectsTheRestAndAssemblesNothing) {
    chunk.assign(50, 0x31);
    const int record[] = {0xAA, 0xAA, 0xAA, 118, 3, 'm'};
    for (int i = 0; i < 6; ++i)
        chunk[20 + i] = record[i];
    EXPECT_EQ(Process(), 0);
    EXPECT_TRUE(host.IsChecked(TSwitch::cbx_mot));
    EXPECT_FALSE(host.IsChecked(TSwitch::cbx_dcc_stream));
    EXPECT_EQ(decoder.BitstreamText, "");
    // Entries 26..49: 24 collected, so an over-long record was dropped once
    // (20 stored, the 21st dropped) and 3 are held.
    EXPECT_EQ(decoder.MotCount, 3);
}

namespace {

struct MotorolaCollector : ChunkFraming {
    MotorolaCollector() {
        host.Check({TSwitch::cbx_dcc_stream}, false);
        host.Check({TSwitch::cbx_mot, TSwitch::cbx_schaltbefehle});
        chunk.assign(50, 0x30);
    }
    void Place(int at, std::initializer_list<int> values) {
        for (int v : values)
            chunk[at++] = v;
    }
};

} // namespace

TEST_F(MotorolaCollector, RecordEndHandsTheSixEntriesToTheSwitchFormatter) {
    chunk.assign(50, 0x00);
    // The first 0xFF ends an empty record, so collection starts at entry 1.
    Place(0, {0xFF, '1', '2', '*', 0x05, 0x80, 0xC0, 0xFF});
    EXPECT_EQ(Process(), 0);
    ASSERT_EQ(host.Monitor.size(), 1u);
    EXPECT_EQ(host.Monitor[0], "Schalten 12* EIN ");
}

TEST_F(MotorolaCollector, LocomotiveFormatterWhenSwitchCommandsAreOff) {
    host.SetChecked(TSwitch::cbx_schaltbefehle, false);
    chunk.assign(50, 0x00);
    Place(0, {0xFF, '1', '2', '*', 0x05, 0x80, 0xC0, 0xFF});
    Process();
    ASSERT_EQ(host.Monitor.size(), 1u);
    EXPECT_EQ(host.Monitor[0], "Lok 12*");
}

TEST_F(MotorolaCollector, FfWithAnotherFfThreeLaterIsData) {
    host.SetChecked(TSwitch::cbx_binaer, true);
    chunk.assign(50, 0x00);
    // Entry 4 sees 0xFF at entry 7 and is stored; entry 7 sees 0x00 and ends
    // the record '1' '2' '3' 0xFF '*' 0x10.
    Place(0, {0xFF, '1', '2', '3', 0xFF, '*', 0x10, 0xFF});
    Process();
    ASSERT_EQ(host.Monitor.size(), 1u);
    EXPECT_EQ(host.Monitor[0], "<00010000 00101010 11111111> Schalten 123  AUS ");
}

TEST_F(MotorolaCollector, FfAmongTheLastThreeAlwaysEndsARecord) {
    chunk.assign(50, 0x00);
    Place(40, {0xFF, '4', '2', '*', 1, 2, 3, 0xFF, 0xFF, 0xFF});
    // Entry 47's look-ahead (50) is past the end: it ends "42*" 1 2 3.
    Process();
    ASSERT_EQ(host.Monitor.size(), 1u);
    EXPECT_EQ(host.Monitor[0], "Schalten 42* EIN ");
    EXPECT_EQ(decoder.MotCount, 0);
}

TEST_F(MotorolaCollector, OverLongRecordDropsItsTwentyFirstEntry) {
    chunk.assign(50, 0x00);
    chunk[0] = 0xFF;
    for (int i = 1; i <= 22; ++i)
        chunk[i] = i;
    chunk[23] = 0xFF;
    chunk[24] = 0x00;
    host.SetChecked(TSwitch::cbx_mot, true);
    std::vector<int32_t> shortChunk(chunk.begin(), chunk.begin() + 23);
    decoder.ProcessChunk(shortChunk.data(), 23);
    // Entries 1..20 stored, 21 dropped (count back to 0), 22 stored first.
    EXPECT_EQ(decoder.MotCount, 1);
    EXPECT_EQ(decoder.MotBytes[0], 22);
    EXPECT_EQ(decoder.MotBytes[19], 20);
}

TEST_F(MotorolaCollector, ShortRecordEndIsDiscarded) {
    chunk.assign(50, 0x00);
    Place(0, {0xFF, '1', '2', 3, 4, 5, 0xFF, 0x00});
    std::vector<int32_t> shortChunk(chunk.begin(), chunk.begin() + 8);
    decoder.ProcessChunk(shortChunk.data(), 8);
    EXPECT_TRUE(host.Monitor.empty());
    EXPECT_EQ(decoder.MotCount, 1);
}

TEST_F(MotorolaCollector, MotSwitchOffLeavesTheCollectorUntouched) {
    host.SetChecked(TSwitch::cbx_mot, false);
    decoder.MotCount = 3;
    chunk.assign(50, 0xFF);
    chunk[47] = 0;
    Process();
    EXPECT_EQ(decoder.MotCount, 3);
    EXPECT_TRUE(host.Monitor.empty());
}
