// Golden files: streams built here, decoded by the fennox-decode program,
// compared line by line with the reviewed output in golden/. After an
// intended change of the output, run with FENNOX_UPDATE_GOLDEN=1 to rewrite
// the files, and review the diff before committing.
#include "run_program.h"
#include "stream_builder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

const std::string Decode = FENNOX_DECODE;
const std::string GoldenDir = GOLDEN_DIR;

// Moves what the builder holds to `out`, then pads until the stream length
// is `offset` modulo the 50-byte chunk, so a record can be placed exactly.
// 0xFF pads read as preamble ones in DCC; 0x00 pads end Motorola records.
void PadToChunkOffset(TStreamBuilder& b, std::vector<uint8_t>& out, int offset,
                      uint8_t pad = 0xFF) {
    std::vector<uint8_t> part = b.Take();
    out.insert(out.end(), part.begin(), part.end());
    while (static_cast<int>(out.size() % 50) != offset)
        out.push_back(pad);
}

// Ends a stream with enough preamble bytes that every packet before it is
// handed to the decoder.
std::vector<uint8_t> Finish(TStreamBuilder& b) {
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    return b.Take();
}

std::vector<uint8_t> LocomotiveTraffic() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    b.Packet({0xFF, 0x00, 0xFF});
    b.DccPacket({0x03, 0x75});             // 28 steps forward, step 8
    b.DccPacket({0x03, 0x55});             // 28 steps backward
    b.DccPacket({0x03, 0x60});             // halt
    b.DccPacket({0x03, 0x41});             // emergency stop
    b.DccPacket({0x2A, 0x3F, 0x85});       // 128 steps
    b.DccPacket({0xC4, 0xD2, 0x3F, 0x00}); // long address, 128 steps halt
    b.DccPacket({0xC4, 0xD2, 0x3F, 0xFF});
    b.DccPacket({0x03, 0x9F});             // F0-F4
    b.DccPacket({0x03, 0xB5});             // F5-F8
    b.DccPacket({0x03, 0xA8});             // F9-F12
    b.DccPacket({0xC4, 0xD2, 0xDE, 0x05}); // F13-F20
    b.DccPacket({0xC4, 0xD2, 0xDF, 0x81}); // F21-F28
    b.DccPacket({0x03, 0xE4});             // other instruction
    b.Packet({0xFF, 0x00, 0xFF}, 20);
    return Finish(b);
}

std::vector<uint8_t> AccessoryTraffic() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (uint8_t b1 : {0xF8, 0xF0, 0xF9, 0xF1, 0xFB, 0xF3, 0xFF, 0xF7, 0x8E, 0x86})
        b.DccPacket({0x81, b1});
    b.DccPacket({0x80, 0xF0});
    b.DccPacket({0xBF, 0xFE});
    return Finish(b);
}

std::vector<uint8_t> ServiceMode() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (int i = 0; i < 3; ++i)
        b.Packet({0x00, 0x00, 0x00}, 20);
    b.DccPacket({0x7C, 0x00, 0x03}, 20); // write CV1 = 3
    b.DccPacket({0x74, 0x1C, 0x22}, 20); // verify CV29
    b.DccPacket({0x78, 0x1C, 0xF9}, 20); // set bit 1 high
    b.DccPacket({0x78, 0x1C, 0xF1}, 20); // set bit 1 low
    b.DccPacket({0x78, 0x1C, 0xE9}, 20); // verify bit 1 high
    b.DccPacket({0x7B, 0xFF, 0xE7}, 20); // verify bit 7 low, CV 256
    b.Packet({0x00, 0x00, 0x00}, 20);
    return Finish(b);
}

std::vector<uint8_t> RailComNop() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    b.DccPacket({0x81, 0x70});
    b.DccPacket({0x81, 0xF9});
    b.DccPacket({0xBF, 0x00});
    return Finish(b);
}

std::vector<uint8_t> MotorolaSwitches() {
    TStreamBuilder b;
    b.DeviceInfo(118, 3, 'm');
    b.RawBytes({0xFF});
    b.MotorolaRecord("12*", 0x05, 0x80, 0xC0);
    b.MotorolaRecord("12-", 0x05, 0x80, 0xC0);
    b.MotorolaRecord("1234*", 0x11, 0x22, 0x33);
    b.MotorolaRecord("A7*", 0x01, 0x02, 0x03);
    b.MotorolaRecord("42", 0x01, 0x02, 0x03);  // too short, no line
    b.MotorolaRecord("9999999*", 1, 2, 3);     // too long, no line
    b.MotorolaRecord("25*", 0xFF, 0x00, 0x0F); // 0xFF with 0xFF three later: data
    b.RawBytes(std::vector<uint8_t>(50, 0x00));
    return b.Take();
}

std::vector<uint8_t> MotorolaLocomotives() {
    TStreamBuilder b;
    b.DeviceInfo(118, 8, 'm');
    b.RawBytes({0xFF});
    b.MotorolaRecord("78F", 0x1B, 0x2C, 0x3D);
    b.MotorolaRecord("15 f1", 0xAA, 0x55, 0xAA);
    b.MotorolaRecord("3", 0x00, 0x00, 0x00);
    b.MotorolaRecord("80L", 0xC3, 0x3C, 0x99);
    b.RawBytes(std::vector<uint8_t>(50, 0x00));
    return b.Take();
}

std::vector<uint8_t> ModeSwitches() {
    // DCC, then the device announces Motorola in the middle of a chunk, then
    // DCC again.
    TStreamBuilder b;
    std::vector<uint8_t> out;
    b.DeviceInfo(118, 0, 'e');
    b.DccPacket({0x03, 0x75});
    b.Packet({0xFF, 0x00, 0xFF});
    PadToChunkOffset(b, out, 20);
    b.DeviceInfo(118, 3, 'm');
    b.RawBytes({0xFF});
    b.MotorolaRecord("33*", 1, 2, 3);
    b.MotorolaRecord("34-", 4, 5, 6);
    PadToChunkOffset(b, out, 30, 0x00);
    b.DeviceInfo(119, 0, 'e');
    for (int i = 0; i < 4; ++i)
        b.DccPacket({0x03, 0x76});
    const std::vector<uint8_t> tail = Finish(b);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

std::vector<uint8_t> CarriedTails() {
    TStreamBuilder b;
    std::vector<uint8_t> out;
    b.Ones(16);
    // A whole record starting at chunk offset 44: carried, then recognised.
    PadToChunkOffset(b, out, 44);
    b.DeviceInfo(118, 0, 'e');
    b.DccPacket({0x05, 0x75});
    // A lone 0xAA at offset 47 followed by other bytes: carried, then an
    // ordinary byte of preamble-like bits.
    PadToChunkOffset(b, out, 47);
    out.push_back(0xAA);
    b.Ones(6);
    b.DccPacket({0x05, 0x76});
    // A record at offset 43: recognised in its own chunk.
    PadToChunkOffset(b, out, 43);
    b.DeviceInfo(120, 0, 'e');
    b.DccPacket({0x05, 0x77});
    const std::vector<uint8_t> tail = Finish(b);
    out.insert(out.end(), tail.begin(), tail.end());
    return out;
}

std::vector<uint8_t> PreambleAndGarbage() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    b.Packet({0xFF, 0x00, 0xFF});
    // The idle packet's last byte and end bit make nine ones, so the next
    // '0' starts a packet: a one-byte one, shown as garbage.
    b.Bits("0110010");
    b.Packet({0x03, 0x75, 0x76}, 12);
    // After an end bit that follows a '0', eight ones then '0' start nothing.
    b.Bits("0111111110");
    b.Bits("0000");
    b.Packet({0x03}, 14);
    b.Packet({0xFF}, 14); // one byte without a '0' bit reads as a preamble
    b.Packet({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, 14);
    b.Packet({0x03, 0x75, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x76}, 14);
    b.Packet({0xC5, 0x12, 0xD7});    // unclassified
    b.Packet({0xFF, 0x00, 0xFF}, 9); // the shortest preamble that counts
    return Finish(b);
}

std::vector<uint8_t> Repeats() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (int i = 0; i < 3; ++i)
        b.DccPacket({0x03, 0x75});
    b.Packet({0xFF, 0x00, 0xFF});
    b.Packet({0xFF, 0x00, 0xFF});
    b.DccPacket({0x03, 0x75});
    b.DccPacket({0x40, 0x75}); // address 64, outside the filter
    b.DccPacket({0x40, 0x75});
    b.DccPacket({0x03, 0x75});
    b.DccPacket({0x03, 0x9F}); // functions, switch off: not remembered
    b.DccPacket({0x03, 0x75});
    return Finish(b);
}

std::vector<uint8_t> FilterBounds() {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (uint8_t a : {2, 3, 7, 10, 11, 16, 17})
        b.DccPacket({a, 0x75});
    b.DccPacket({0xC0, 0x0A, 0x3F, 0x85});      // long address 10
    b.DccPacket({0xC0, 0x0B, 0x3F, 0x85});      // long address 11
    for (uint8_t b0 : {0x80, 0x81, 0x82, 0x83}) // switches -3..12 and up
        b.DccPacket({b0, 0xF8});
    b.Packet({0xFF, 0x00, 0xFF});
    b.DccPacket({0x7C, 0x00, 0x03});
    b.Packet({0x00, 0x00, 0x00});
    return Finish(b);
}

struct TGoldenCase {
    const char* Name;
    std::function<std::vector<uint8_t>()> Build;
    std::vector<std::string> Args;
    bool Bitstream;
};

const std::string AllDcc = "idle,lokbefehle_s,lokbefehle_f,schaltbefehle,railcom,cv,sonstige";

const TGoldenCase Cases[] = {
    {"locomotives", LocomotiveTraffic, {"--on", AllDcc}, false},
    {"locomotives_prefixes",
     LocomotiveTraffic,
     {"--on", AllDcc + ",time,binaer", "--clock", "12:34:56.789"},
     false},
    {"speeds_only", LocomotiveTraffic, {"--on", "lokbefehle_s"}, false},
    {"accessories", AccessoryTraffic, {"--on", "schaltbefehle"}, false},
    {"accessories_nur_on",
     AccessoryTraffic,
     {"--on", "schaltbefehle,nur_ON,time", "--clock", "07:08:09.010"},
     false},
    {"service_mode", ServiceMode, {"--on", "cv,sonstige,binaer"}, false},
    {"railcom_nop", RailComNop, {"--on", "schaltbefehle,railcom"}, false},
    {"railcom_nop_off", RailComNop, {"--on", "schaltbefehle"}, false},
    {"motorola_switches",
     MotorolaSwitches,
     {"--on", "binaer,time", "--clock", "23:59:59.999"},
     false},
    {"motorola_switches_filter",
     MotorolaSwitches,
     {"--on", "filter", "--min", "10", "--max", "$19"},
     false},
    {"motorola_locomotives", MotorolaLocomotives, {"--on", "binaer"}, false},
    {"mode_switches", ModeSwitches, {"--on", AllDcc + ",schrott,bitstream"}, true},
    {"carried_tails", CarriedTails, {"--on", AllDcc + ",schrott,bitstream"}, true},
    {"preamble_and_garbage",
     PreambleAndGarbage,
     {"--on", AllDcc + ",schrott,bitstream,binaer"},
     true},
    {"repeats",
     Repeats,
     {"--on", "only_once,idle,lokbefehle_s,filter", "--min", "0", "--max", "0x10"},
     false},
    {"filter_bounds",
     FilterBounds,
     {"--on", AllDcc + ",filter", "--min", " 3", "--max", "x0A"},
     false},
    {"filter_bounds_invalid", FilterBounds, {"--on", AllDcc + ",filter", "--min", "3a"}, false},
    {"filter_bounds_negative",
     FilterBounds,
     {"--on", AllDcc + ",filter", "--min", "-$10", "--max", "+2"},
     false},
};

class Golden : public ::testing::TestWithParam<TGoldenCase> {};

void CompareOrUpdate(const std::string& path, const std::string& actual) {
    if (std::getenv("FENNOX_UPDATE_GOLDEN")) {
        WriteFile(path, actual);
        return;
    }
    const std::string expected = ReadFile(path);
    ASSERT_FALSE(expected.empty() && !actual.empty()) << "missing golden file " << path;
    EXPECT_EQ(actual, expected) << "differs from " << path;
}

} // namespace

TEST_P(Golden, MatchesTheReviewedOutput) {
    const TGoldenCase& c = GetParam();
    const std::vector<uint8_t> bytes = c.Build();
    const std::string input = TempPath(std::string(c.Name) + ".bin");
    WriteFile(input, std::string(bytes.begin(), bytes.end()));
    const std::string bits = TempPath(std::string(c.Name) + ".bits");
    std::vector<std::string> argv = {Decode};
    argv.insert(argv.end(), c.Args.begin(), c.Args.end());
    argv.insert(argv.end(), {"--bitstream-out", bits, input});
    const TProgramResult r = RunProgram(argv);
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    CompareOrUpdate(GoldenDir + "/" + c.Name + ".txt", r.Out);
    if (c.Bitstream)
        CompareOrUpdate(GoldenDir + "/" + c.Name + ".bits.txt", ReadFile(bits));
}

INSTANTIATE_TEST_SUITE_P(Streams, Golden, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.Name); });
