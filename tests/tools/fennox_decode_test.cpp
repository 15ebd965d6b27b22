// The fennox-decode program as a user runs it: exit codes, messages, files.
#include "run_program.h"
#include "stream_builder.h"

#include <gtest/gtest.h>

#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string Decode = FENNOX_DECODE;

std::string Stream(const std::string& name, TStreamBuilder& b) {
    const std::string path = TempPath(name);
    const std::vector<uint8_t> bytes = b.Take();
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    return path;
}

// A DCC stream of 28-step speed packets for short address 3, padded so
// every packet is decoded (the last 49 bytes may stay in the buffer).
std::string SpeedStream(const std::string& name, int packets) {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (int i = 0; i < packets; ++i)
        b.DccPacket({0x03, 0x75});
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    return Stream(name, b);
}

} // namespace

TEST(FennoxDecode, DecodesFileAndStandardInputAlike) {
    const std::string path = SpeedStream("speed.bin", 3);
    const TProgramResult fromFile = RunProgram({Decode, "--on", "lokbefehle_s", path});
    EXPECT_EQ(fromFile.ExitCode, 0) << fromFile.Err;
    EXPECT_EQ(fromFile.Out, "Lok     3 (28 Step) Vorw.  Speed   8 \n"
                            "Lok     3 (28 Step) Vorw.  Speed   8 \n"
                            "Lok     3 (28 Step) Vorw.  Speed   8 \n");
    const TProgramResult fromStdin = RunProgram({Decode, "--on", "lokbefehle_s", "-"}, path);
    EXPECT_EQ(fromStdin.Out, fromFile.Out);
    const TProgramResult noFile = RunProgram({Decode, "--on", "lokbefehle_s"}, path);
    EXPECT_EQ(noFile.Out, fromFile.Out);
}

// Without a file, from a terminal (on Windows also after a double click),
// it says on standard error what it waits for; from a file or a pipe it
// says nothing.
TEST(FennoxDecode, KeyboardAsInputIsToldWhatItWaitsFor) {
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const std::string terminal = ::ttyname(slave);
    // The end of input typed at once, so the program does not wait.
    ASSERT_EQ(::write(master, "\x04", 1), 1);
    const TProgramResult typed = RunProgram({Decode, "--on", "lokbefehle_s"}, terminal);
    ::close(slave);
    ::close(master);
    EXPECT_EQ(typed.ExitCode, 0) << typed.Err;
    EXPECT_EQ(typed.Out, "");
    EXPECT_NE(typed.Err.find("standard input, here the keyboard"), std::string::npos) << typed.Err;
    const TProgramResult fromFile =
        RunProgram({Decode, "--on", "lokbefehle_s"}, SpeedStream("k", 1));
    EXPECT_EQ(fromFile.ExitCode, 0);
    EXPECT_EQ(fromFile.Err, "");
}

TEST(FennoxDecode, LatinLettersAreWrittenAsUtf8) {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    b.DccPacket({0x03, 0x55});
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    const TProgramResult r =
        RunProgram({Decode, "--on", "lokbefehle_s,schrott", Stream("utf8.bin", b)});
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_NE(r.Out.find("Pr\xC3\xA4"
                         "ambel: "),
              std::string::npos)
        << r.Out;
    EXPECT_NE(r.Out.find("(28 Step) R\xC3\xBC"
                         "ckw. "),
              std::string::npos)
        << r.Out;
}

TEST(FennoxDecode, BytesStillBufferedAtTheEndAreNotDecoded) {
    TStreamBuilder b;
    b.DccPacket({0xFF, 0x00}, 20);
    std::vector<uint8_t> bytes = b.Take();
    ASSERT_LT(bytes.size(), 50u);
    const std::string path = TempPath("short.bin");
    WriteFile(path, std::string(bytes.begin(), bytes.end()));
    const TProgramResult r = RunProgram({Decode, "--on", "dcc_stream,idle,sonstige", path});
    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Out, "");
}

TEST(FennoxDecode, BitstreamFileIsAlwaysCreated) {
    const std::string out = TempPath("empty-bits.txt");
    const TProgramResult r = RunProgram({Decode, "--bitstream-out", out, SpeedStream("s2.bin", 2)});
    EXPECT_EQ(r.ExitCode, 0);
    struct stat st;
    ASSERT_EQ(stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
}

TEST(FennoxDecode, UsageErrorsExitTwoWithAMessage) {
    const TProgramResult unknown = RunProgram({Decode, "--on", "idle,tempo"});
    EXPECT_EQ(unknown.ExitCode, 2);
    EXPECT_NE(unknown.Err.find("tempo"), std::string::npos);
    EXPECT_NE(unknown.Err.find("schaltbefehle"), std::string::npos);
    EXPECT_EQ(RunProgram({Decode, "--clock", "25:00:00.000"}).ExitCode, 2);
    EXPECT_EQ(RunProgram({Decode, "--max"}).ExitCode, 2);
    const TProgramResult help = RunProgram({Decode, "--help"});
    EXPECT_EQ(help.ExitCode, 0);
    EXPECT_NE(help.Out.find("Usage: fennox-decode"), std::string::npos);
}

TEST(FennoxDecode, UnreadableInputOrOutputExitsOneNamingTheFile) {
    const TProgramResult missing = RunProgram({Decode, "/nonexistent/rec.bin"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Err.find("/nonexistent/rec.bin"), std::string::npos);
    EXPECT_NE(missing.Err.find("No such file or directory"), std::string::npos) << missing.Err;

    const TProgramResult directory = RunProgram({Decode, "/"});
    EXPECT_EQ(directory.ExitCode, 1);
    EXPECT_NE(directory.Err.find("Is a directory"), std::string::npos) << directory.Err;

    const TProgramResult badOut =
        RunProgram({Decode, "--bitstream-out", "/nonexistent/bits.txt", "/dev/null"});
    EXPECT_EQ(badOut.ExitCode, 1);
    EXPECT_NE(badOut.Err.find("/nonexistent/bits.txt"), std::string::npos);
}

TEST(FennoxDecode, FullDiskIsReportedNotIgnored) {
    struct stat st;
    if (stat("/dev/full", &st) != 0)
        GTEST_SKIP() << "no /dev/full";
    const TProgramResult r =
        RunProgram({Decode, "--on", "lokbefehle_s,bitstream", "--bitstream-out", "/dev/full",
                    SpeedStream("s3.bin", 400)});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("/dev/full"), std::string::npos) << r.Err;
}
