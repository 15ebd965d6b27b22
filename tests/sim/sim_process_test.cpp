// The fennox-sim program as a user runs it: piped into fennox-decode, writing
// files, feeding a pseudo-terminal that TComLink reads, ending on signals.
#include "child_process.h"
#include "com_link.h"
#include "headless_host.h"
#include "layout_traffic.h"
#include "port_names.h"
#include "run_program.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <poll.h>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string Sim = FENNOX_SIM;
const std::string Decode = FENNOX_DECODE;

class TTempDir {
public:
    TTempDir() {
        char name[] = "/tmp/fennox-sim-test-XXXXXX";
        if (!mkdtemp(name))
            throw std::runtime_error("mkdtemp");
        Path = name;
    }
    ~TTempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    std::string operator/(const std::string& name) const { return Path + "/" + name; }
    std::string Path;
};

// A word for the shell: in single quotes, each single quote as '\''.
std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The programs as words of a command line: the build folder may hold
// blanks.
const std::string SimCommand = Quoted(Sim);
const std::string DecodeCommand = Quoted(Decode);

// Runs a command line under bash with pipefail; returns its exit status.
int RunShell(const std::string& command) {
    const std::string line = "bash -o pipefail -c " + Quoted(command);
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::size_t CountMatches(const std::string& text, const std::string& pattern) {
    const std::regex re(pattern, std::regex::multiline);
    return static_cast<std::size_t>(
        std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

TEST(SimProcess, HelpExitsZero) {
    TTempDir dir;
    EXPECT_EQ(RunShell(SimCommand + " --help > " + (dir / "help")), 0);
    const std::string help = ReadFile(dir / "help");
    EXPECT_EQ(
        help.rfind("Usage: fennox-sim [--mode dcc|mot] [--seed N] [--rate BYTES_PER_SECOND]", 0),
        0u)
        << help;
    for (const char* option :
         {"--bytes", "--seconds", "--errors", "--tee", "--pty", "--out", "--device", "SIGINT"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(SimProcess, BadArgumentsExitTwoWithAMessage) {
    TTempDir dir;
    const char* lines[] = {"",
                           "--out",
                           "--mode tt --pty",
                           "--pty --out -",
                           "--bytes 1 --seconds 1 --pty",
                           "--errors 7 --pty",
                           "--rate -1 --pty",
                           "extra --pty"};
    for (const char* args : lines) {
        EXPECT_EQ(
            RunShell(SimCommand + " " + args + " 2> " + (dir / "err") + " > " + (dir / "out")), 2)
            << args;
        const std::string err = ReadFile(dir / "err");
        EXPECT_EQ(err.rfind("fennox-sim: ", 0), 0u) << err;
        EXPECT_NE(err.find("--help"), std::string::npos) << err;
        EXPECT_TRUE(ReadBytes(dir / "out").empty()) << args;
    }
}

TEST(SimProcess, DccPipedIntoFennoxDecodeShowsEveryKindOfPacket) {
    TTempDir dir;
    // No --on dcc_stream: the stream's own info record turns DCC decoding on.
    ASSERT_EQ(
        RunShell(
            SimCommand + " --seed 7 --seconds 60 --rate 0 --out - | " + DecodeCommand +
            " --on idle,lokbefehle_s,lokbefehle_f,schaltbefehle,railcom,sonstige,cv,schrott > " +
            (dir / "lines")),
        0);
    const std::string text = ReadFile(dir / "lines");
    struct TKind {
        const char* Name;
        const char* Pattern;
    };
    const TKind kinds[] = {
        {"idle", "^Idle Packet$"},
        {"broadcast reset", "^Broadcast Reset Packet$"},
        {"short address", "^Lok +[1-9][0-9]? "},
        {"long address", "^Lok +[1-9][0-9]{3} "},
        {"speed 28 forward", "^Lok +[0-9]+ \\(28 Step\\) Vorw\\.  Speed +[0-9]+ $"},
        {"speed 28 backward", "^Lok +[0-9]+ \\(28 Step\\) R\xC3\xBC"
                              "ckw\\. Speed +[0-9]+ $"},
        {"speed 128", "^Lok +[0-9]+ \\(128 Step\\) (Vorw\\. |R\xC3\xBC"
                      "ckw\\.) Speed +[0-9]+ $"},
        {"stop", "^Lok +[0-9]+ \\(1?28 Step\\) .*Halt   0 $"},
        {"F0", "^Lok +[0-9]+ F-Befehl: F (F[0-9]+ )*$"},
        {"F5-F8", "^Lok +[0-9]+ F-Befehl: .*F[5-8] $"},
        {"F9-F12", "^Lok +[0-9]+ F-Befehl: .*F(9|1[0-2]) $"},
        {"F13-F20", "^Lok +[0-9]+ F-Befehl: .*F(1[3-9]|20) $"},
        {"F21-F28", "^Lok +[0-9]+ F-Befehl: .*F2[1-8] $"},
        {"accessory on", "^Schalten: +[0-9]+ \\[Dekoder=[0-9]+ Ausgang=[1-4]\\] [RG] Ein $"},
        {"accessory off", "^Schalten: +[0-9]+ \\[Dekoder=[0-9]+ Ausgang=[1-4]\\] [RG] Aus $"},
        {"RailCom NOP", "^RailCom NOP$"},
        {"CV write", "^Write CV [1-6] = [0-9]+ \\(0x[0-9a-f]{2}\\) $"},
        {"CV verify", "^Verify if CV [1-6] = [0-9]+ \\(0x[0-9a-f]{2}\\) $"},
        {"CV bit set", "^CV 29 Manipulation: Set Bit [0-7] to (HIGH|LOW)$"},
        {"CV bit verify", "^CV 29 Manipulation: Verify if Bit [0-7] is (HIGH|LOW)$"},
        {"preamble", "^Pr\xC3\xA4"
                     "ambel: 1{14,20}$"},
    };
    for (const TKind& k : kinds)
        EXPECT_GT(CountMatches(text, k.Pattern), 0u) << k.Name;
    EXPECT_EQ(text.find("Schrott"), std::string::npos);
    EXPECT_EQ(CountMatches(text, "^Pr\xC3\xA4"
                                 "ambel: 1{0,13}$"),
              0u);
    EXPECT_EQ(CountMatches(text, "^Pr\xC3\xA4"
                                 "ambel: 1{21,}$"),
              0u);
}

TEST(SimProcess, MotorolaPipedIntoFennoxDecodeShowsSwitchAndLocomotiveRecords) {
    TTempDir dir;
    // No --on mot: the info record turns the Motorola collector on and says
    // which kind of record follows.
    ASSERT_EQ(RunShell(SimCommand + " --mode mot --seed 7 --seconds 60 --rate 0 --out - | " +
                       DecodeCommand + " --on binaer > " + (dir / "lines")),
              0);
    const std::string text = ReadFile(dir / "lines");
    const std::string bits = "<[01]{8} [01]{8} [01]{8}> ";
    EXPECT_GT(CountMatches(text, "^" + bits + "Lok [0-9]{2}:[0-9]{2}$"), 500u);
    EXPECT_GT(CountMatches(text, "^" + bits + "Schalten [0-9]{2,3}\\* EIN $"), 0u);
    EXPECT_GT(CountMatches(text, "^" + bits + "Schalten [0-9]{2,3}-  AUS $"), 0u);
    const std::size_t lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(CountMatches(text, "^" + bits + "(Lok|Schalten) "), lines);
}

TEST(SimProcess, TeeFileAndOutputHoldTheSameBytesWhateverTheRate) {
    TTempDir dir;
    ASSERT_EQ(RunShell(SimCommand + " --seed 3 --bytes 40000 --rate 0 --out " + (dir / "a") +
                       " --tee " + (dir / "b")),
              0);
    const std::vector<uint8_t> a = ReadBytes(dir / "a");
    EXPECT_EQ(a.size(), 40000u);
    EXPECT_EQ(ReadBytes(dir / "b"), a);
    // The program sends exactly the model's stream.
    EXPECT_EQ(a, GenerateTraffic(TSimMode::Dcc, 3, 40000));
    // Paced, the content is the same (4000 bytes at 40000 bytes/s: 0.1 s).
    ASSERT_EQ(RunShell(SimCommand + " --seed 3 --bytes 4000 --rate 40000 --out " + (dir / "c")), 0);
    EXPECT_EQ(ReadBytes(dir / "c"), std::vector<uint8_t>(a.begin(), a.begin() + 4000));
    // Ten seconds of a full DCC line are 19200 bytes.
    ASSERT_EQ(RunShell(SimCommand + " --seed 3 --seconds 10 --rate 0 --out " + (dir / "d")), 0);
    EXPECT_EQ(ReadBytes(dir / "d").size(), 19200u);
    ASSERT_EQ(RunShell(SimCommand + " --mode mot --seed 3 --bytes 5000 --rate 0 --out -" + " > " +
                       (dir / "e")),
              0);
    EXPECT_EQ(ReadBytes(dir / "e"), GenerateTraffic(TSimMode::Motorola, 3, 5000));
}

TEST(SimProcess, EndsCleanlyWhenTheReaderOfItsOutputGoesAway) {
    TTempDir dir;
    // Endless and unpaced: only the closed pipe can end it.
    ASSERT_EQ(RunShell(SimCommand +
                       " --rate 0 --out - | head -c 10000 > /dev/null; echo ${PIPESTATUS[0]} > " +
                       (dir / "status")),
              0);
    EXPECT_EQ(ReadFile(dir / "status"), "0\n");
}

class SimStopsOnSignal : public ::testing::TestWithParam<int> {};

TEST_P(SimStopsOnSignal, WithExitStatusZero) {
    TTempDir dir;
    const TChild child = Spawn({Sim, "--rate", "19200", "--out", dir / "out"}, {}, true);
    // Wait until it is under way.
    for (int i = 0; i < 2000 && ReadBytes(dir / "out").size() < 1000; ++i)
        usleep(10000);
    ASSERT_GE(ReadBytes(dir / "out").size(), 1000u);
    kill(child.Pid, GetParam());
    EXPECT_EQ(WaitExit(child.Pid), 0);
    close(child.Stdout);
}

INSTANTIATE_TEST_SUITE_P(Signals, SimStopsOnSignal, ::testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) {
                             return info.param == SIGINT ? "SIGINT" : "SIGTERM";
                         });

TEST(SimProcess, PtyWithNobodyOnThePortDropsTheBytesAndNeverBlocks) {
    // Unpaced, 5 MB into a port nobody opens: a blocking write would hang.
    const TChild child = Spawn({Sim, "--pty", "--rate", "0", "--bytes", "5000000"}, {}, true);
    const std::string path = ReadLine(child.Stdout);
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    EXPECT_EQ(WaitExit(child.Pid), 0);
    close(child.Stdout);
}

// Reads from the port as the receive loop does, until `count` bytes came or
// the read failed.
std::vector<uint8_t> Receive(const TComLink& link, THandle h, std::size_t count) {
    std::vector<uint8_t> got;
    uint8_t buffer[255];
    pollfd p{h, POLLIN, 0};
    while (got.size() < count && poll(&p, 1, 20000) > 0) {
        const int32_t n = link.ReceiveData(buffer, sizeof buffer, h);
        if (n == 0 && (p.revents & (POLLHUP | POLLERR)))
            break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

std::size_t DecodedLocomotiveLines(const std::vector<uint8_t>& bytes) {
    THeadlessHost host;
    host.SetChecked(TSwitch::cbx_dcc_stream, true);
    host.SetChecked(TSwitch::cbx_lokbefehle_s, true);
    host.SetChecked(TSwitch::cbx_lokbefehle_f, true);
    std::size_t lines = 0;
    host.OnMonitorLine = [&](const std::string& line) { lines += line.rfind("Lok ", 0) == 0; };
    TStreamDecoder decoder(host);
    TRxBuffer rx;
    CollectBytes(decoder, rx, bytes.data(), bytes.size());
    return lines;
}

TEST(SimProcess, PtyFeedsTheMonitorsPortAcrossStopAndStartAndHangsUpAtTheEnd) {
    TTempDir dir;
    const TChild child =
        Spawn({Sim, "--pty", "--seed", "5", "--rate", "19200", "--tee", dir / "tee"}, {}, true);
    const std::string path = ReadLine(child.Stdout);
    ASSERT_FALSE(path.empty());
    SetPortOverrides({{"COM9", path}});
    TComLink link;
    std::vector<std::string> events;
    TComLinkHook hook;
    hook.ShowErrorBox = [&](const std::string& caption, const std::string&) {
        events.push_back("box " + caption);
    };
    hook.RequestStop = [&] { events.push_back("stop"); };
    SetComLinkHook(hook);

    // Start.
    THandle h = link.OpenPort("COM9");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    link.ConfigurePort(h);
    link.SetReadTimeouts(h);
    const std::vector<uint8_t> first = Receive(link, h, 8000);
    ASSERT_GE(first.size(), 8000u);
    // Stop: the port is closed and the simulator goes on without anyone
    // reading. Start again: bytes come again.
    CloseHandle(h);
    h = link.OpenPort("COM9");
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    link.ConfigurePort(h);
    link.SetReadTimeouts(h);
    const std::vector<uint8_t> second = Receive(link, h, 4000);
    ASSERT_GE(second.size(), 4000u);
    EXPECT_TRUE(events.empty());

    // The device goes away: the read fails, asks for the stop and shows its
    // box, as when an adapter is pulled out.
    kill(child.Pid, SIGTERM);
    Receive(link, h, SIZE_MAX);
    EXPECT_EQ(events, (std::vector<std::string>{"stop", "box ReceiveData"}));
    CloseHandle(h);
    EXPECT_EQ(WaitExit(child.Pid), 0);
    close(child.Stdout);
    SetComLinkHook(TComLinkHook{});
    SetPortOverrides({});

    // What the port delivered first is what the simulator says it sent,
    // from the start; and both parts decode to locomotive commands.
    const std::vector<uint8_t> tee = ReadBytes(dir / "tee");
    ASSERT_GE(tee.size(), first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), tee.begin()));
    EXPECT_GT(DecodedLocomotiveLines(first), 50u);
    EXPECT_GT(DecodedLocomotiveLines(second), 20u);
}

} // namespace
