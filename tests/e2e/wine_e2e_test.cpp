// Fennox.exe, the Windows program, under wine in a real X server (Xvfb),
// driven with the mouse and the keyboard and fed by the simulated device on
// a pseudo-terminal lent to wine as COM5. Run by the Windows test step with
// FENNOX_EXE (the program) and WINEPREFIX set.
#include "analysis_run.h"
#include "control_layout.h"
#include "control_points.h"
#include "first_start_file.h"
#include "latin1_text.h"
#include "run_program.h"
#include "x_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Exe() {
    const char* exe = std::getenv("FENNOX_EXE");
    return exe ? exe : "";
}

std::string WinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    return prefix ? prefix : "";
}

// A path as the Windows program names it: wine shows / as drive Z:.
std::string WindowsPath(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return "Z:" + path;
}

// The Windows program started from a folder of its own under wine.
class TWineMonitor {
public:
    TWineMonitor(const TXSession& x, const std::string& folder) : Session(x), Folder(folder) {
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(Exe(), folder + "/Fennox.exe",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ~TWineMonitor() { Stop(Program); }

    std::string SettingsPath() const { return Folder + "/Fennox.ini"; }
    void Launch() {
        std::vector<std::string> args = Wrapper;
        for (const char* a : {"/bin/sh", "-c", "cd \"$0\" && exec wine ./Fennox.exe"})
            args.push_back(a);
        args.push_back(Folder);
        Program = Spawn(args, Env(), false, false);
        // A wine that cannot start (no prefix it may use) ends at once.
        bool ended = false;
        WindowId = Session.WaitForWindow("^Fennox V1.18$", 60000, [&] {
            int status;
            ended = waitpid(Program.Pid, &status, WNOHANG) == Program.Pid;
            return !ended;
        });
        if (ended)
            Program.Pid = -1;
        if (WindowId.empty())
            throw std::runtime_error(std::string("Fennox.exe's window did not appear; wine ") +
                                     (ended ? "ended" : "runs"));
        Pause(500);
    }
    std::vector<std::string> Env() const {
        std::vector<std::string> env = Session.Env();
        env.push_back("WINEDEBUG=-all");
        env.insert(env.end(), ExtraEnv.begin(), ExtraEnv.end());
        return env;
    }
    int WaitEnd(int seconds = 30) {
        const int status = WaitExit(Program.Pid, seconds);
        Program.Pid = -1;
        return status;
    }
    // Without a window manager wine shows the Windows window without its
    // frame: the inside is the client area.
    TGeometry Inside() const { return Session.Inside(WindowId); }
    void Click(TPoint p) const { Session.Click(WindowId, p.X, p.Y); }
    void Key(const std::string& keys) const {
        Session.X({"/usr/bin/xdotool", "key", keys});
        Pause(300);
    }

    std::string WindowId;
    // Started through Wrapper (setpriv, as another user) when it is given,
    // with ExtraEnv added to the environment.
    std::vector<std::string> Wrapper;
    std::vector<std::string> ExtraEnv;

private:
    const TXSession& Session;
    std::string Folder;
    TChild Program;
};

struct WineEndToEnd : ::testing::Test {
    static std::unique_ptr<TXSession> X;
    // Large enough for the window at 150 %, as a laptop's 1920 x 1200.
    static void SetUpTestSuite() { X = std::make_unique<TXSession>("1920x1200"); }
    static void TearDownTestSuite() { X.reset(); }

    void SetUp() override {
        if (Exe().empty() || WinePrefix().empty())
            GTEST_SKIP() << "FENNOX_EXE and WINEPREFIX are not set";
    }

    // fennox-sim on a pseudo-terminal lent to wine as COM5, with the
    // simulator's arguments added.
    void StartDeviceOnCom5(const std::vector<std::string>& args = {}) {
        std::filesystem::create_directories(Dir);
        std::vector<std::string> command{FENNOX_SIM, "--pty"};
        command.insert(command.end(), args.begin(), args.end());
        Sim = Spawn(command, {}, true);
        const std::string slave = ReadLine(Sim.Stdout);
        ASSERT_FALSE(slave.empty());
        const std::string link = WinePrefix() + "/dosdevices/com5";
        std::filesystem::remove(link);
        std::filesystem::create_symlink(slave, link);
    }

    std::string Dir = ::testing::TempDir() + "fennox-wine-" + std::to_string(getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name();
    TChild Sim;
    ~WineEndToEnd() override { Stop(Sim); }
};

std::unique_ptr<TXSession> WineEndToEnd::X;

TEST_F(WineEndToEnd, EndeWritesTheFirstStartFileAndTheCloseBoxStoresNothing) {
    TWineMonitor monitor(*X, Dir);
    monitor.Launch();
    monitor.Click(BtnEnde);
    ASSERT_EQ(monitor.WaitEnd(), 0);
    const std::string stored = ReadFile(monitor.SettingsPath());
    EXPECT_EQ(stored, FirstStartFile);

    monitor.Launch();
    monitor.Click(CbxCv);
    X->X({X_CLOSE_WINDOW, monitor.WindowId});
    ASSERT_EQ(monitor.WaitEnd(), 0);
    EXPECT_EQ(ReadFile(monitor.SettingsPath()), stored);
}

// "Ende" twice over an existing Fennox.ini: each time the file is replaced
// whole (the C runtime's rename would refuse to replace it).
TEST_F(WineEndToEnd, EndeTwiceReplacesAnExistingFile) {
    TWineMonitor monitor(*X, Dir);
    WriteFile(monitor.SettingsPath(), "[SETTINGS]\r\nCOM-Port=3\r\n");
    monitor.Launch();
    monitor.Click(BtnEnde);
    ASSERT_EQ(monitor.WaitEnd(), 0);
    const std::string first = ReadFile(monitor.SettingsPath());
    EXPECT_NE(first.find("[SETTINGS]\r\nCOM-Port=3\r\nBuffersize=255\r\n"), std::string::npos)
        << first;

    monitor.Launch();
    monitor.Click(CbxCv);
    monitor.Click(BtnEnde);
    ASSERT_EQ(monitor.WaitEnd(), 0);
    const std::string second = ReadFile(monitor.SettingsPath());
    EXPECT_NE(second.find("\r\nZeige_CV=1\r\n"), std::string::npos) << second;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Fennox.exe", "Fennox.ini"}));
}

TEST_F(WineEndToEnd, ReceptionAndSavingMatchTheHeadlessDecoder) {
    const std::string tee = Dir + "/sent.bin";
    ASSERT_NO_FATAL_FAILURE(StartDeviceOnCom5({"--seed", "11", "--tee", tee}));

    TWineMonitor monitor(*X, Dir);
    WriteFile(monitor.SettingsPath(),
              "[SETTINGS]\r\nCOM-Port=5\r\nZeige_Bin=1\r\nZeige_Schaltbefehle=1\r\n"
              "Zeige_Lokbefehle_S=1\r\nZeige_Lokbefehle_F=1\r\nZeige_RailCom=1\r\n"
              "Zeige_Idle=1\r\nZeige_Sonstiges=1\r\nZeige_CV=1\r\nDCC=1\r\n"
              "[Window]\r\nLeft=0\r\nTop=0\r\n");
    monitor.Launch();
    monitor.Click(BtnStart);
    Pause(3000);
    monitor.Click(BtnStop);
    Pause(800);

    monitor.Click(BtnSave);
    const std::string dialog = X->WaitForWindow("^Aufzeichnung speichern$");
    ASSERT_FALSE(dialog.empty()) << "no save dialog";
    X->X({"/usr/bin/xdotool", "windowfocus", "--sync", dialog});
    Pause(500);
    X->X({"/usr/bin/xdotool", "type", "--delay", "20", WindowsPath(Dir + "/rec")});
    X->X({"/usr/bin/xdotool", "key", "Return"});
    for (int i = 0; i < 100 && !std::filesystem::exists(Dir + "/rec.txt"); ++i)
        Pause(100);
    Stop(Sim);
    // The saved file is in the 8-bit code page, whose letters ä and ü are
    // the Latin-1 ones; as UTF-8 it compares with fennox-decode's output.
    const std::vector<std::string> saved =
        SplitLines(Latin1ToUtf8(ReadFile(Dir + "/rec.txt")), "\r\n");

    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ(saved.front(), "COM5 ge\xC3\xB6"
                             "ffnet");
    EXPECT_EQ(saved[saved.size() - 2], "COM geschlossen");
    EXPECT_EQ(saved.back(), "Empfang gestoppt");
    const std::vector<std::string> decoded(saved.begin() + 1, saved.end() - 2);
    EXPECT_GT(decoded.size(), 100u);
    // As on Linux: the saved lines are a prefix of what fennox-decode makes
    // of every byte the simulator sent.
    const TProgramResult all = RunProgram(
        {FENNOX_DECODE, "--on",
         "binaer,schaltbefehle,lokbefehle_s,lokbefehle_f,railcom,idle,sonstige,cv,dcc_stream",
         tee});
    ASSERT_EQ(all.ExitCode, 0) << all.Err;
    const std::vector<std::string> expected = SplitLines(all.Out, "\n");
    ASSERT_GE(expected.size(), decoded.size());
    for (std::size_t i = 0; i < decoded.size(); ++i)
        ASSERT_EQ(decoded[i], expected[i]) << "line " << i;

    // Saved again to the same name, "Ja" (the default button) to the
    // question whether to replace it: the file now ends with the line the
    // first save appended.
    monitor.Click(BtnSave);
    const std::string again = X->WaitForWindow("^Aufzeichnung speichern$");
    ASSERT_FALSE(again.empty()) << "no save dialog";
    X->X({"/usr/bin/xdotool", "windowfocus", "--sync", again});
    Pause(500);
    X->X({"/usr/bin/xdotool", "key", "ctrl+a"});
    X->X({"/usr/bin/xdotool", "type", "--delay", "20", WindowsPath(Dir + "/rec.txt")});
    X->X({"/usr/bin/xdotool", "key", "Return"});
    Pause(1500);
    X->X({"/usr/bin/xdotool", "key", "Return"});
    std::vector<std::string> resaved;
    for (int i = 0; i < 100; ++i) {
        resaved = SplitLines(Latin1ToUtf8(ReadFile(Dir + "/rec.txt")), "\r\n");
        if (resaved.size() == saved.size() + 1)
            break;
        Pause(100);
    }
    ASSERT_EQ(resaved.size(), saved.size() + 1) << "the file was not replaced";
    EXPECT_EQ(resaved.back(), "...gespeichert");
    EXPECT_TRUE(std::equal(saved.begin(), saved.end(), resaved.begin()));
}

// Enter presses the focused button, as on every Windows dialog, also when
// the program moved the focus there: "Start" gives it to "Stop". "Ende",
// disabled while reception runs, then ends the program.
TEST_F(WineEndToEnd, EnterPressesTheButtonTheProgramGaveTheFocus) {
    ASSERT_NO_FATAL_FAILURE(StartDeviceOnCom5());
    TWineMonitor monitor(*X, Dir);
    monitor.Launch();
    monitor.Click(BtnStart);
    Pause(1000);
    monitor.Key("Return");
    Pause(500);
    monitor.Click(BtnEnde);
    EXPECT_EQ(monitor.WaitEnd(10), 0) << "Enter did not stop reception";
}

// An arrow key in the port group chooses the next port (rad_comClick runs),
// as on Windows dialogs and on Linux; "Ende" stores the choice.
TEST_F(WineEndToEnd, ArrowKeysInThePortGroupChoose) {
    TWineMonitor monitor(*X, Dir);
    monitor.Launch();
    monitor.Click(PortChoice(5));
    monitor.Key("Down");
    monitor.Key("Down");
    monitor.Key("Up");
    monitor.Click(BtnEnde);
    ASSERT_EQ(monitor.WaitEnd(), 0);
    const std::string stored = ReadFile(monitor.SettingsPath());
    EXPECT_NE(stored.find("COM-Port=6\r\n"), std::string::npos) << stored;
}

// The prefix's screen resolution (LogPixels, which every wine program reads
// as it starts) for as long as it lives; then the value it had.
class TWineDpi {
public:
    TWineDpi(const TXSession& x, int dpi) : Env(x.Env()) {
        Env.push_back("WINEDEBUG=-all");
        const TProgramResult old = Reg({"query", Key, "/v", "LogPixels"});
        const std::size_t at = old.Out.find("0x");
        if (old.ExitCode == 0 && at != std::string::npos)
            Old = std::to_string(std::stoi(old.Out.substr(at), nullptr, 16));
        Set(std::to_string(dpi));
    }
    ~TWineDpi() {
        if (Old.empty())
            Reg({"delete", Key, "/v", "LogPixels", "/f"});
        else
            Set(Old);
    }
    TWineDpi(const TWineDpi&) = delete;
    TWineDpi& operator=(const TWineDpi&) = delete;

private:
    TProgramResult Reg(std::vector<std::string> args) const {
        args.insert(args.begin(), {"/usr/bin/wine", "reg"});
        return RunProgram(args, "", Env);
    }
    void Set(const std::string& dpi) const {
        Reg({"add", Key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", dpi, "/f"});
    }

    static constexpr const char* Key = "HKCU\\Control Panel\\Desktop";
    std::vector<std::string> Env;
    std::string Old;
};

TPoint Scaled(TPoint p, int dpi) {
    return {ScaledToDpi(p.X, dpi), ScaledToDpi(p.Y, dpi)};
}

// At 144 dots per inch (a laptop at 150 %) the window and its controls are
// one and a half times as large as at 96, and the settings file keeps the
// width in pixels at 96: a first start's "Ende" there stores the first-start
// file, with the port chosen at Com9's place at that scale.
TEST_F(WineEndToEnd, At144DpiTheWindowAndItsControlsAreOneAndAHalfTimesAsLarge) {
    TWineMonitor monitor(*X, Dir);
    monitor.Launch();
    const TGeometry at96 = monitor.Inside();
    X->X({X_CLOSE_WINDOW, monitor.WindowId});
    ASSERT_EQ(monitor.WaitEnd(), 0);

    const TWineDpi dpi(*X, 144);
    monitor.Launch();
    const TGeometry at144 = monitor.Inside();
    EXPECT_NEAR(at144.Width, at96.Width * 3 / 2, 4);
    EXPECT_NEAR(at144.Height, at96.Height * 3 / 2, 4);
    monitor.Click(Scaled(PortChoice(9), 144));
    monitor.Click(Scaled(BtnEnde, 144));
    ASSERT_EQ(monitor.WaitEnd(), 0);
    std::string expected = FirstStartFile;
    expected.replace(expected.find("COM-Port=5"), 10, "COM-Port=9");
    EXPECT_EQ(ReadFile(monitor.SettingsPath()), expected);
}

// As on Linux: F2 while the device sends with bit errors, "Kopieren" gives
// fennox-stats' figures for the bytes received, 20 seconds recorded.
TEST_F(WineEndToEnd, AnalysisCopiesFennoxStatsFiguresAndRecordsTheRawBytes) {
    const std::string tee = Dir + "/sent.bin";
    ASSERT_NO_FATAL_FAILURE(StartDeviceOnCom5({"--seed", "5", "--errors", "1e-3", "--tee", tee}));

    TWineMonitor monitor(*X, Dir);
    WriteFile(monitor.SettingsPath(),
              "[SETTINGS]\r\nCOM-Port=5\r\nZeige_Zeit=1\r\nZeige_Schaltbefehle=1\r\n"
              "Zeige_Lokbefehle_S=1\r\nZeige_Lokbefehle_F=1\r\nZeige_Idle=1\r\nDCC=1\r\n"
              "[Window]\r\nLeft=0\r\nTop=0\r\n");
    monitor.Launch();
    monitor.Click(BtnStart);
    Pause(2000);
    const std::string recording = Dir + "/roh.bin";
    const TAnalysisRun run =
        RecordAndCopy(*X, recording, WindowsPath(recording), 20, Dir + "/analysis.png");
    std::printf("analysis window: %s\n", (Dir + "/analysis.png").c_str());
    monitor.Click(BtnStop);
    Pause(800);
    Stop(Sim);
    EXPECT_GT(run.EarlySize, 1000u) << "written at least once a second";
    // Windows puts CR LF on the clipboard; the JSON has no line break but
    // its last.
    std::string json = run.Json;
    if (json.size() >= 2 && json.compare(json.size() - 2, 2, "\r\n") == 0)
        json.replace(json.size() - 2, 2, "\n");
    ExpectFennoxStatsJson(json, tee, Dir);
    const std::string recorded = ReadFile(recording);
    EXPECT_EQ(recorded.size(), run.RecordedSize) << "complete when it was ended";
    ExpectRecordedSlice(recorded, tee, 20);
}

} // namespace

// Fennox.exe installed where its user may not write (C:\Program Files):
// "Ende" stores the first start's file, byte for byte, in
// %APPDATA%\Fennox\Fennox.ini and nothing beside the program, unless a
// Fennox.ini is there. Root may
// write any folder, so a root run starts wine as "nobody", with a wine
// prefix of nobody's own (FENNOX_WINE_USER_PREFIX, made by the Windows test
// step).
TEST_F(WineEndToEnd, ReadOnlyProgramFolderStoresInTheApplicationDataFolder) {
    TWineMonitor monitor(*X, Dir);
    std::string prefix = WinePrefix();
    const passwd* me = ::getpwuid(::getuid());
    std::string user = me ? me->pw_name : "";
    if (::geteuid() == 0) {
        const char* other = std::getenv("FENNOX_WINE_USER_PREFIX");
        if (!other)
            GTEST_SKIP() << "FENNOX_WINE_USER_PREFIX is not set";
        prefix = other;
        user = "nobody";
        monitor.Wrapper = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
                           "--"};
        monitor.ExtraEnv = {"WINEPREFIX=" + prefix,
                            "HOME=" + std::filesystem::path(prefix).parent_path().string()};
    }
    const std::string stored = prefix + "/drive_c/users/" + user + "/AppData/Roaming/Fennox";
    std::filesystem::remove_all(stored);
    ASSERT_EQ(::chmod(Dir.c_str(), 0555), 0);
    monitor.Launch();
    monitor.Click(BtnEnde);
    const int status = monitor.WaitEnd();
    ::chmod(Dir.c_str(), 0755);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(ReadFile(stored + "/Fennox.ini"), FirstStartFile);
    EXPECT_FALSE(std::filesystem::exists(monitor.SettingsPath()));

    // A Fennox.ini beside the program in that folder (an administrator's,
    // which the user may write) is the one read and stored, in place; the
    // user's own file stays as it was.
    WriteFile(monitor.SettingsPath(), "[Window]\r\nWidth=1100\r\n");
    ASSERT_EQ(::chmod(monitor.SettingsPath().c_str(), 0666), 0);
    ASSERT_EQ(::chmod(Dir.c_str(), 0555), 0);
    monitor.Launch();
    const int width = monitor.Inside().Width;
    monitor.Click(BtnEnde);
    const int second = monitor.WaitEnd();
    ::chmod(Dir.c_str(), 0755);
    ASSERT_EQ(second, 0);
    EXPECT_GE(width, 1050) << "the stored width was not read";
    const std::string beside = ReadFile(monitor.SettingsPath());
    EXPECT_NE(beside.find("[SETTINGS]\r\nCOM-Port=5\r\n"), std::string::npos) << beside;
    EXPECT_NE(beside.find("Width=1100\r\n"), std::string::npos) << beside;
    EXPECT_EQ(ReadFile(stored + "/Fennox.ini"), FirstStartFile);
}
