// fennox-record as a user runs it, on the simulator's pseudo-terminal.
#include "child_process.h"
#include "run_program.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

const std::string Record = FENNOX_RECORD;
const std::string Sim = FENNOX_SIM;

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A simulator on a pty keeping what it sent, and fennox-record on its port.
struct TRecordRun {
    std::string Tee = TempPath("sent.bin");
    std::string Out = TempPath("recorded.bin");
    std::string Err = TempPath("record.err");
    TChild SimChild;
    TChild RecordChild;

    TRecordRun() {
        SimChild = Spawn({Sim, "--pty", "--tee", Tee}, {}, true);
        const std::string pty = ReadLine(SimChild.Stdout);
        EXPECT_FALSE(pty.empty());
        RecordChild =
            Spawn({"/bin/bash", "-c", "exec \"$0\" \"$1\" \"$2\" 2>\"$3\"", Record, pty, Out, Err});
    }
    ~TRecordRun() {
        Stop(RecordChild);
        Stop(SimChild);
    }
};

} // namespace

TEST(FennoxRecord, KeepsTheSimulatorsBytesAndEndsOnSigterm) {
    TRecordRun run;
    Sleep(2500);
    ASSERT_EQ(kill(run.RecordChild.Pid, SIGTERM), 0);
    EXPECT_EQ(WaitExit(run.RecordChild.Pid, 10), 0);
    run.RecordChild.Pid = -1;
    Stop(run.SimChild);
    const std::string sent = ReadFile(run.Tee);
    const std::string got = ReadFile(run.Out);
    // About two seconds at 1920 bytes a second, exactly as sent.
    EXPECT_GT(got.size(), 2000u);
    EXPECT_NE(sent.find(got), std::string::npos);
    const std::string err = ReadFile(run.Err);
    EXPECT_NE(err.find("fennox-record: " + std::to_string(got.size()) + " bytes"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("stopped by a signal"), std::string::npos) << err;
}

TEST(FennoxRecord, EndsCleanlyWhenTheDeviceGoesAway) {
    TRecordRun run;
    Sleep(2000);
    Stop(run.SimChild);
    EXPECT_EQ(WaitExit(run.RecordChild.Pid, 10), 0);
    run.RecordChild.Pid = -1;
    const std::string sent = ReadFile(run.Tee);
    const std::string got = ReadFile(run.Out);
    EXPECT_GT(got.size(), 1500u);
    const std::size_t at = sent.find(got);
    ASSERT_NE(at, std::string::npos);
    // All up to what was still on its way when the line went down.
    EXPECT_LE(sent.size() - (at + got.size()), 4096u);
    const std::string err = ReadFile(run.Err);
    EXPECT_NE(err.find("the device went away"), std::string::npos) << err;
}

TEST(FennoxRecord, StopsAfterTheSecondsGiven) {
    TChild sim = Spawn({Sim, "--pty"}, {}, true);
    const std::string pty = ReadLine(sim.Stdout);
    const std::string out = TempPath("timed.bin");
    const TProgramResult r = RunProgram({Record, "--seconds", "1", pty, out});
    Stop(sim);
    EXPECT_EQ(r.ExitCode, 0) << r.Err;
    EXPECT_NE(r.Err.find("time is up"), std::string::npos) << r.Err;
    EXPECT_GT(ReadFile(out).size(), 1000u);
    EXPECT_LT(ReadFile(out).size(), 4000u);
}

TEST(FennoxRecord, PortOrFileThatFailsExitsOneNamingIt) {
    const TProgramResult port = RunProgram({Record, "/dev/no-such-port", TempPath("x.bin")});
    EXPECT_EQ(port.ExitCode, 1);
    EXPECT_NE(port.Err.find("cannot open /dev/no-such-port: No such file or directory"),
              std::string::npos)
        << port.Err;
    // A port name is mapped as in the window, and the message names both.
    const std::string ini = TempPath("ports.ini");
    WriteFile(ini, "[Ports]\nCOM3=/dev/no-such-adapter\n");
    const TProgramResult named = RunProgram({Record, "--settings", ini, "COM3", TempPath("y.bin")});
    EXPECT_EQ(named.ExitCode, 1);
    EXPECT_NE(named.Err.find("cannot open COM3 (/dev/no-such-adapter)"), std::string::npos)
        << named.Err;
    const TProgramResult notTty = RunProgram({Record, "/dev/null", TempPath("z.bin")});
    EXPECT_EQ(notTty.ExitCode, 1);
    EXPECT_NE(notTty.Err.find("cannot open /dev/null: "), std::string::npos) << notTty.Err;

    TChild sim = Spawn({Sim, "--pty"}, {}, true);
    const std::string pty = ReadLine(sim.Stdout);
    const TProgramResult file = RunProgram({Record, pty, "/no-such-dir/rec.bin"});
    Stop(sim);
    EXPECT_EQ(file.ExitCode, 1);
    EXPECT_NE(file.Err.find("cannot write /no-such-dir/rec.bin: No such file or directory"),
              std::string::npos)
        << file.Err;
}
