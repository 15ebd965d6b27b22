// The real monitor in a real X server, driven with the mouse and the
// keyboard, fed by the simulated device over pseudo-terminals.
#include "analysis_run.h"
#include "control_points.h"
#include "run_program.h"
#include "x_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <pty.h>
#include <unistd.h>

namespace {

std::string Folder() {
    static int n = 0;
    return ::testing::TempDir() + "fennox-e2e-" + std::to_string(getpid()) + "-" +
           std::to_string(++n);
}

struct EndToEnd : ::testing::Test {
    static std::unique_ptr<TXSession> X;
    static void SetUpTestSuite() { X = std::make_unique<TXSession>(); }
    static void TearDownTestSuite() { X.reset(); }

    std::string Dir = Folder();
    std::unique_ptr<TMonitor> Monitor = std::make_unique<TMonitor>(*X, Dir);
    TChild Sim;

    ~EndToEnd() override { Stop(Sim); }

    void Click(TPoint p) { Monitor->Click(p.X, p.Y); }
    // Starts the simulator on a pseudo-terminal; returns its slave path.
    std::string StartSim(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {FENNOX_SIM, "--pty"};
        args.insert(args.end(), extra.begin(), extra.end());
        Sim = Spawn(args, {}, true);
        return ReadLine(Sim.Stdout);
    }
    std::vector<std::string> SavedLog(const std::string& name) {
        const std::string base = Dir + "/" + name;
        EXPECT_TRUE(Monitor->SaveLogAs(base)) << "the log was not saved";
        return SplitLines(ReadFile(base + ".txt"), "\r\n");
    }
};

std::unique_ptr<TXSession> EndToEnd::X;

const std::string Switches = "[SETTINGS]\r\n"
                             "Zeige_Bin=1\r\nZeige_Schaltbefehle=1\r\nZeige_Lokbefehle_S=1\r\n"
                             "Zeige_Lokbefehle_F=1\r\nZeige_RailCom=1\r\nZeige_Idle=1\r\n"
                             "Zeige_Sonstiges=1\r\nZeige_CV=1\r\nDCC=1\r\n";
const std::string SameSwitches =
    "binaer,schaltbefehle,lokbefehle_s,lokbefehle_f,railcom,idle,sonstige,cv,dcc_stream";

TEST_F(EndToEnd, ReceptionAndSavingMatchTheHeadlessDecoder) {
    const std::string tee = Dir + "/sent.bin";
    const std::string slave = StartSim({"--seed", "11", "--tee", tee});
    ASSERT_FALSE(slave.empty());
    WriteFile(Monitor->SettingsPath(),
              Switches + "[Window]\r\nLeft=0\r\nTop=0\r\n[Ports]\r\nCOM7=" + slave + "\r\n");
    Monitor->Launch();

    Click(PortChoice(7));
    Click(BtnStart);
    Pause(3000);
    Click(BtnStop);
    Pause(500);
    const std::vector<std::string> saved = SavedLog("rec");
    Stop(Sim);

    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ(saved.front(), "COM7 ge\xC3\xB6"
                             "ffnet");
    EXPECT_EQ(saved[saved.size() - 2], "COM geschlossen");
    EXPECT_EQ(saved.back(), "Empfang gestoppt");
    const std::vector<std::string> decoded(saved.begin() + 1, saved.end() - 2);
    EXPECT_GT(decoded.size(), 100u);

    // The simulator wrote to its tee file every byte the port took while the
    // monitor had it open. The monitor read a first part of those bytes
    // (what was still in the line's buffer at Stop is in the tee file but
    // was never read), and of what it read, the last bytes short of a full
    // 50-byte chunk still sit in its receive buffer, undecoded. The headless
    // decoder goes through the same collection step, so decoding the whole
    // tee file gives the monitor's lines first and then the lines of what
    // the monitor never decoded: the saved lines are a prefix of its output.
    const TProgramResult all = RunProgram({FENNOX_DECODE, "--on", SameSwitches, tee});
    ASSERT_EQ(all.ExitCode, 0) << all.Err;
    const std::vector<std::string> expected = SplitLines(all.Out, "\n");
    // Compared line by line first: where they part says more than the count.
    const std::size_t common = std::min(expected.size(), decoded.size());
    for (std::size_t i = 0; i < common; ++i)
        ASSERT_EQ(decoded[i], expected[i]) << "line " << i;
    EXPECT_GE(expected.size(), decoded.size()) << "the window shows lines the bytes do not hold";
}

// The analysis window opened with F2 while the device sends with bit errors:
// "Kopieren" gives what fennox-stats prints for the bytes received, and 20
// seconds of raw bytes are recorded as the simulator sent them.
TEST_F(EndToEnd, AnalysisCopiesFennoxStatsFiguresAndRecordsTheRawBytes) {
    const std::string tee = Dir + "/sent.bin";
    const std::string slave = StartSim({"--seed", "5", "--errors", "1e-3", "--tee", tee});
    ASSERT_FALSE(slave.empty());
    WriteFile(Monitor->SettingsPath(),
              Switches + "[Window]\r\nLeft=0\r\nTop=0\r\n[Ports]\r\nCOM5=" + slave + "\r\n");
    Monitor->Launch();
    Click(BtnStart);
    Pause(2000);
    const std::string recording = Dir + "/roh.bin";
    const TAnalysisRun run = RecordAndCopy(*X, recording, recording, 20, Dir + "/analysis.png");
    std::printf("analysis window: %s\n", (Dir + "/analysis.png").c_str());
    Click(BtnStop);
    Pause(500);
    Stop(Sim);
    EXPECT_GT(run.EarlySize, 1000u) << "written at least once a second";
    ExpectFennoxStatsJson(run.Json, tee, Dir);
    const std::string recorded = ReadFile(recording);
    EXPECT_EQ(recorded.size(), run.RecordedSize) << "complete when it was ended";
    ExpectRecordedSlice(recorded, tee, 20);
    EXPECT_TRUE(Monitor->Running());
}

TEST_F(EndToEnd, SettingsSurviveEndeAndTheCloseBoxStoresNothing) {
    WriteFile(Monitor->SettingsPath(), "[Window]\r\nLeft=0\r\nTop=0\r\n");
    Monitor->Launch();
    Click(CbxTime);
    Click(CbxIdle);
    Click(CbxFilter);
    Click(EdtMin);
    Monitor->Key("ctrl+a");
    Monitor->Type("12");
    Click(EdtMax);
    Monitor->Key("ctrl+a");
    Monitor->Type("$12C");
    Click(PortChoice(3));
    Click(BtnEnde);
    ASSERT_EQ(Monitor->WaitEnd(), 0);
    const std::string stored = ReadFile(Monitor->SettingsPath());
    for (const char* entry :
         {"COM-Port=3\r\n", "Zeige_Zeit=1\r\n", "Zeige_Idle=1\r\n", "Zeige_CV=0\r\n",
          "FILTER=1\r\n", "Min=12\r\n", "Max=300\r\n", "Width=1000\r\n", "Top=0\r\n", "Left=0\r\n"})
        EXPECT_NE(stored.find(entry), std::string::npos) << entry << " in\n" << stored;

    // Started again, the controls come back: "Ende" right away stores the
    // very same values.
    Monitor->Launch();
    Click(BtnEnde);
    ASSERT_EQ(Monitor->WaitEnd(), 0);
    EXPECT_EQ(ReadFile(Monitor->SettingsPath()), stored);

    // A change, then the close box: the file stays as it was.
    Monitor->Launch();
    Click(CbxCv);
    X->X({X_CLOSE_WINDOW, Monitor->WindowId});
    ASSERT_EQ(Monitor->WaitEnd(), 0);
    EXPECT_EQ(ReadFile(Monitor->SettingsPath()), stored);
}

TEST_F(EndToEnd, UnpluggedDeviceShowsTheBoxThenStops) {
    const std::string slave = StartSim({"--seed", "3"});
    WriteFile(Monitor->SettingsPath(),
              Switches + "[Window]\r\nLeft=0\r\nTop=0\r\n[Ports]\r\nCOM5=" + slave + "\r\n");
    Monitor->Launch();
    Click(BtnStart);
    Pause(1000);
    kill(Sim.Pid, SIGKILL); // the pseudo-terminal's master goes with it
    WaitExit(Sim.Pid, 10);
    Sim.Pid = -1;

    const std::string box = X->WaitForWindow("^ReceiveData$");
    ASSERT_FALSE(box.empty()) << "no ReceiveData box";
    X->X({"/usr/bin/xdotool", "windowfocus", "--sync", box});
    Monitor->Key("Return");
    for (int i = 0; i < 50 && !X->WindowGone(box); ++i)
        Pause(100);
    Pause(300);
    const std::vector<std::string> saved = SavedLog("unplugged");
    ASSERT_GE(saved.size(), 3u);
    EXPECT_EQ(saved[saved.size() - 2], "COM geschlossen");
    EXPECT_EQ(saved.back(), "Empfang gestoppt");
}

TEST_F(EndToEnd, RepeatedStartAndEndeKeepTheStoredGeometry) {
    const std::string settings = "[Window]\r\nWidth=1100\r\nTop=40\r\nLeft=30\r\n";
    WriteFile(Monitor->SettingsPath(), settings);
    for (int run = 1; run <= 5; ++run) {
        Monitor->Launch();
        const TGeometry outer = Monitor->Outer();
        EXPECT_EQ(outer.Height, 637) << "run " << run;
        EXPECT_EQ(outer.Width, 1100) << "run " << run;
        std::printf("run %d (%s): outer %dx%d at %d,%d\n", run,
                    X->WindowManager().empty() ? "no window manager" : X->WindowManager().c_str(),
                    outer.Width, outer.Height, outer.X, outer.Y);
        Click(BtnEnde);
        ASSERT_EQ(Monitor->WaitEnd(), 0);
        const std::string stored = ReadFile(Monitor->SettingsPath());
        for (const char* entry : {"Width=1100\r\n", "Top=40\r\n", "Left=30\r\n"})
            EXPECT_NE(stored.find(entry), std::string::npos) << "run " << run << ": " << stored;
    }
}

// How many of a process's descriptors point at the device.
int DescriptorsOn(int pid, const std::string& device) {
    int count = 0;
    const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError) == device)
            ++count;
    }
    return count;
}

TEST_F(EndToEnd, StopAndStartQueuedWhileTheWindowIsBusyReopenThePort) {
    const std::string slave = StartSim({"--seed", "4"});
    ASSERT_FALSE(slave.empty());
    WriteFile(Monitor->SettingsPath(),
              Switches + "[Window]\r\nLeft=0\r\nTop=0\r\n[Ports]\r\nCOM5=" + slave + "\r\n");
    Monitor->Launch();
    Click(BtnStart);
    Pause(500);
    // The monitor is held still, as a busy window is; both clicks wait in
    // its queue and are handled in one batch when it goes on.
    ASSERT_EQ(kill(Monitor->Pid(), SIGSTOP), 0);
    Click(BtnStop);
    Click(BtnStart);
    ASSERT_EQ(kill(Monitor->Pid(), SIGCONT), 0);
    Pause(800);
    EXPECT_EQ(DescriptorsOn(Monitor->Pid(), slave), 1);
    // Every later Start opens the port again.
    for (int round = 0; round < 2; ++round) {
        Click(BtnStop);
        Pause(300);
        Click(BtnStart);
        Pause(300);
    }
    Click(BtnStop);
    Pause(500);
    EXPECT_EQ(DescriptorsOn(Monitor->Pid(), slave), 0) << "the port is closed after the stop";

    const std::vector<std::string> saved = SavedLog("busy");
    std::vector<std::string> status;
    for (const std::string& line : saved) {
        if (line.find("COM") != std::string::npos || line == "Empfang gestoppt")
            status.push_back(line);
    }
    const std::string opened = "COM5 ge\xC3\xB6"
                               "ffnet";
    std::vector<std::string> expected = {opened};
    for (int i = 0; i < 3; ++i) {
        expected.push_back("COM geschlossen");
        expected.push_back("Empfang gestoppt");
        expected.push_back(opened);
    }
    expected.push_back("COM geschlossen");
    expected.push_back("Empfang gestoppt");
    EXPECT_EQ(status, expected);
}

// Darkest intensity (0 black .. 1 white) in a rectangle of a screenshot.
double Darkest(const std::string& png, int x, int y, int w, int h) {
    const TProgramResult r =
        RunProgram({"/usr/bin/convert", png, "-crop",
                    std::to_string(w) + "x" + std::to_string(h) + "+" + std::to_string(x) + "+" +
                        std::to_string(y),
                    "-colorspace", "Gray", "-format", "%[fx:minima]", "info:"});
    return std::atof(r.Out.c_str());
}

TEST_F(EndToEnd, PortSearchFindsTheThreeMappedPorts) {
    int masters[3], slaves[3];
    char names[3][128];
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(openpty(&masters[i], &slaves[i], names[i], nullptr, nullptr), 0);
    for (int i = 0; i < 3; ++i)
        close(slaves[i]);
    std::string ports = "[Ports]\r\n";
    const int mapped[3] = {2, 5, 8};
    for (int n = 1, k = 0; n <= 9; ++n) {
        ports += "COM" + std::to_string(n) + "=";
        ports += (k < 3 && mapped[k] == n) ? std::string(names[k++])
                                           : "/nonexistent/tty" + std::to_string(n);
        ports += "\r\n";
    }
    WriteFile(Monitor->SettingsPath(), "[Window]\r\nLeft=0\r\nTop=0\r\n" + ports);
    Monitor->Launch();
    Click(ComSuche);
    Pause(300);

    const std::string shot = Dir + "/search.png";
    X->Screenshot(shot);
    const TGeometry g = Monitor->Geometry();
    for (int n = 1; n <= 9; ++n) {
        // A disabled choice draws its caption in grey, an enabled one in black.
        const TPoint p = PortChoice(n);
        const double darkest = Darkest(shot, g.X + p.X - 2, g.Y + p.Y - 6, 22, 12);
        if (n == 2 || n == 5 || n == 8)
            EXPECT_LT(darkest, 0.25) << "Com" << n << " should be enabled";
        else
            EXPECT_GT(darkest, 0.35) << "Com" << n << " should be disabled";
    }

    const std::vector<std::string> saved = SavedLog("search");
    const std::vector<std::string> expected = {"kein COM1-Port", "COM2 OK", "kein COM3-Port",
                                               "kein COM4-Port", "COM5 OK", "kein COM6-Port",
                                               "kein COM7-Port", "COM8 OK", "kein COM9-Port"};
    EXPECT_EQ(saved, expected);
    for (int i = 0; i < 3; ++i)
        close(masters[i]);
}

std::string PixelAt(const std::string& png, int x, int y) {
    return RunProgram({"/usr/bin/convert", png, "-format",
                       "%[pixel:p{" + std::to_string(x) + "," + std::to_string(y) + "}]", "info:"})
        .Out;
}

TEST_F(EndToEnd, WindowMatchesTheLayoutTable) {
    WriteFile(Monitor->SettingsPath(), "[Window]\r\nLeft=20\r\nTop=30\r\n");
    Monitor->Launch();
    // The outer rectangle, frame included, is where and how large the
    // layout and the settings file say; without a window manager there is
    // no frame and the outer size is the window's own.
    const TGeometry outer = Monitor->Outer();
    EXPECT_EQ(outer.X, 20);
    EXPECT_EQ(outer.Y, 30);
    EXPECT_EQ(outer.Width, 1000);
    EXPECT_EQ(outer.Height, 637);
    const TGeometry g = Monitor->Geometry();
    if (X->WindowManager().empty()) {
        EXPECT_EQ(g.Width, 1000);
        EXPECT_EQ(g.Height, 637);
    } else {
        EXPECT_LT(g.Height, 637) << "a frame was expected";
    }

    const std::string shot = Dir + "/layout.png";
    X->Screenshot(shot);
    // The picture fills 8,498 .. 207,529: its background inside, the panel
    // just outside on every side.
    const std::string logo = PixelAt(shot, g.X + 8 + 115, g.Y + 498 + 19);
    EXPECT_EQ(PixelAt(shot, g.X + 8, g.Y + 498 + 19), logo);
    EXPECT_EQ(PixelAt(shot, g.X + 207, g.Y + 498 + 10), logo);
    EXPECT_EQ(PixelAt(shot, g.X + 100, g.Y + 498 + 1), logo);
    EXPECT_NE(PixelAt(shot, g.X + 7, g.Y + 498 + 19), logo);
    EXPECT_NE(PixelAt(shot, g.X + 208, g.Y + 498 + 10), logo);
    EXPECT_NE(PixelAt(shot, g.X + 100, g.Y + 497), logo);
    EXPECT_NE(PixelAt(shot, g.X + 100, g.Y + 530), logo);
    // The Monitor log begins right of the 353-pixel panel.
    const std::string panel = PixelAt(shot, g.X + 350, g.Y + 300);
    EXPECT_NE(PixelAt(shot, g.X + 360, g.Y + 300), panel);
    EXPECT_EQ(PixelAt(shot, g.X + 360, g.Y + 300), PixelAt(shot, g.X + 900, g.Y + 300));
    // The "Ende" button's face lies inside 8,388 153 x 19, the panel around it.
    EXPECT_NE(PixelAt(shot, g.X + 12, g.Y + 397), panel);
    EXPECT_EQ(PixelAt(shot, g.X + 4, g.Y + 397), panel);
}

} // namespace
