#include "x_session.h"

#include "control_points.h"
#include "run_program.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

void Pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::vector<std::string> SplitLines(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t next = text.find(end, at);
        if (next == std::string::npos) {
            lines.push_back(text.substr(at));
            break;
        }
        lines.push_back(text.substr(at, next - at));
        at = next + end.size();
    }
    return lines;
}

// Xvfb runs with -noreset: by default an X server resets when its last
// client leaves, and a client connecting during the reset is refused, which
// happens between two tests when one monitor ends and the next starts.
TXSession::TXSession(const std::string& screen) {
    // A display number of our own, so parallel runs do not meet.
    for (int n = 90 + getpid() % 100, tries = 0; tries < 20; ++n, ++tries) {
        if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
            std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        Display = ":" + std::to_string(n);
        Server = Spawn({"/bin/sh", "-c",
                        "exec Xvfb \"$0\" -screen 0 \"$2\"x24 -nolisten tcp -noreset 2>\"$1\"",
                        Display, "/tmp/fennox-xvfb" + Display.substr(1) + ".log", screen},
                       {}, false, true);
        for (int i = 0; i < 100; ++i) {
            Pause(50);
            const bool answers =
                RunProgram({"/usr/bin/xdotool", "getmouselocation"}, "", Env()).ExitCode == 0;
            // Asked after the probe: a server another run started on the
            // same number answers too, while ours has already given up.
            int status;
            if (waitpid(Server.Pid, &status, WNOHANG) == Server.Pid) {
                Server.Pid = -1; // reaped: nothing left to stop
                break;           // that number was taken after all
            }
            if (answers) {
                StartWindowManager();
                return;
            }
        }
        Stop(Server);
    }
    throw std::runtime_error("cannot start Xvfb");
}

void TXSession::StartWindowManager() {
    const char* wm = std::getenv("FENNOX_E2E_WM");
    if (wm == nullptr || *wm == '\0')
        return;
    Manager = wm;
    ManagerProcess = Spawn({"/bin/sh", "-c", "exec \"$0\" 2>/dev/null", "/usr/bin/" + Manager},
                           Env(), false, true);
    // It is ready once it has announced itself on the root window.
    for (int i = 0; i < 100; ++i) {
        if (X({"/usr/bin/xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") !=
            std::string::npos)
            return;
        Pause(50);
    }
    throw std::runtime_error("the window manager " + Manager + " did not start");
}

TXSession::~TXSession() {
    Stop(ManagerProcess);
    Stop(Server);
}

std::string TXSession::X(const std::vector<std::string>& args) const {
    return RunProgram(args, "", Env()).Out;
}

std::string TXSession::WaitForWindow(const std::string& namePattern, int ms,
                                     const std::function<bool()>& worthWaiting) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        const std::string out =
            X({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", namePattern});
        if (!out.empty())
            return out.substr(0, out.find('\n'));
        if (worthWaiting && !worthWaiting())
            break;
        Pause(100);
    } while (std::chrono::steady_clock::now() < end);
    return std::string();
}

TGeometry TXSession::Inside(const std::string& id) const {
    // xwininfo, not xdotool: under a window manager xdotool adds the frame's
    // offset twice.
    const std::string out = X({"/usr/bin/xwininfo", "-id", id});
    TGeometry g;
    std::istringstream in(out);
    std::string line;
    const auto valueOf = [](const std::string& l) {
        return std::atoi(l.c_str() + l.find(':') + 1);
    };
    while (std::getline(in, line)) {
        if (line.find("Absolute upper-left X:") != std::string::npos)
            g.X = valueOf(line);
        else if (line.find("Absolute upper-left Y:") != std::string::npos)
            g.Y = valueOf(line);
        else if (line.find("  Width:") != std::string::npos)
            g.Width = valueOf(line);
        else if (line.find("  Height:") != std::string::npos)
            g.Height = valueOf(line);
    }
    return g;
}

void TXSession::Click(const std::string& id, int x, int y) const {
    const TGeometry g = Inside(id);
    // Not --sync: it waits for the pointer to move, which it does not when
    // the point is clicked a second time.
    X({"/usr/bin/xdotool", "mousemove", std::to_string(g.X + x), std::to_string(g.Y + y), "sleep",
       "0.2", "click", "1"});
    Pause(300);
}

void TXSession::Key(const std::string& keys) const {
    X({"/usr/bin/xdotool", "key", keys});
    Pause(150);
}

std::string TXSession::Clipboard() const {
    return RunProgram({"/usr/bin/xclip", "-o", "-selection", "clipboard"}, "", Env()).Out;
}

bool TXSession::WindowGone(const std::string& id) const {
    return RunProgram({"/usr/bin/xdotool", "getwindowname", id}, "", Env()).ExitCode != 0;
}

void TXSession::Screenshot(const std::string& path) const {
    RunProgram({"/usr/bin/import", "-window", "root", path}, "", Env());
}

TMonitor::TMonitor(const TXSession& x, const std::string& folder)
    : Session(x), Folder(folder), ProgramFile(folder + "/fennox") {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(FENNOX_BIN, ProgramFile,
                               std::filesystem::copy_options::overwrite_existing);
}

TMonitor::TMonitor(const TXSession& x, const std::string& folder, const std::string& program,
                   const std::vector<std::string>& wrapper, const std::vector<std::string>& env)
    : Session(x), Folder(folder), ProgramFile(program), Wrapper(wrapper), ExtraEnv(env) {
    std::filesystem::create_directories(folder);
}

TMonitor::~TMonitor() {
    Stop(Program);
}

void TMonitor::Launch() {
    // Its messages go to a file in its folder, for the failure report.
    const std::string errors = Folder + "/stderr.txt";
    WriteFile(errors, "");
    ::chmod(errors.c_str(), 0666); // also for a program run as another user
    std::vector<std::string> args = Wrapper;
    for (const std::string& a : {std::string("/bin/sh"), std::string("-c"),
                                 std::string("exec \"$0\" 2>>\"$1\""), ProgramFile, errors})
        args.push_back(a);
    std::vector<std::string> env = Session.Env();
    env.insert(env.end(), ExtraEnv.begin(), ExtraEnv.end());
    Program = Spawn(args, env, false, true);
    // A program that cannot start (not found, not allowed, a missing
    // library) ends at once: that is said at once, not after the minute a
    // slow start may take.
    WindowId = Session.WaitForWindow("^Fennox V1.18$", 60000, [this] { return Running(); });
    if (WindowId.empty())
        throw std::runtime_error(std::string("the monitor's window did not appear; ") +
                                 (Running() ? "it runs" : "it ended") + "; it said:\n" +
                                 ReadFile(errors));
    Pause(300); // let it settle at its place and size
}

bool TMonitor::Running() {
    if (Program.Pid <= 0)
        return false;
    int status;
    if (waitpid(Program.Pid, &status, WNOHANG) == Program.Pid) {
        Program.Pid = -1;
        return false;
    }
    return true;
}

int TMonitor::WaitEnd(int seconds) {
    const int status = WaitExit(Program.Pid, seconds);
    Program.Pid = -1;
    return status;
}

TGeometry TMonitor::Geometry() const {
    return Session.Inside(WindowId);
}

TFrame TMonitor::Frame() const {
    const std::string out = Session.X({"/usr/bin/xprop", "-id", WindowId, "_NET_FRAME_EXTENTS"});
    TFrame f;
    const std::size_t eq = out.find('=');
    if (eq != std::string::npos)
        std::sscanf(out.c_str() + eq + 1, " %d , %d , %d , %d", &f.Left, &f.Right, &f.Top,
                    &f.Bottom);
    return f;
}

TGeometry TMonitor::Outer() const {
    const TGeometry g = Geometry();
    const TFrame f = Frame();
    return {g.X - f.Left, g.Y - f.Top, g.Width + f.Left + f.Right, g.Height + f.Top + f.Bottom};
}

void TMonitor::Click(int x, int y) const {
    const TGeometry g = Geometry();
    Session.X({"/usr/bin/xdotool", "mousemove", "--sync", std::to_string(g.X + x),
               std::to_string(g.Y + y), "click", "1"});
    Pause(150);
}

void TMonitor::Type(const std::string& text) const {
    Session.X({"/usr/bin/xdotool", "type", "--delay", "20", text});
    Pause(100);
}

void TMonitor::Key(const std::string& keys) const {
    Session.Key(keys);
}

bool TMonitor::SaveLogAs(const std::string& pathWithoutExtension) const {
    Click(BtnSave.X, BtnSave.Y);
    const std::string dialog = Session.WaitForWindow("^Aufzeichnung speichern$");
    if (dialog.empty())
        return false;
    Session.X({"/usr/bin/xdotool", "windowfocus", "--sync", dialog});
    Pause(300);
    // The file name field has the focus; a full path is taken as typed.
    Key("ctrl+a");
    Type(pathWithoutExtension);
    Key("Return");
    for (int i = 0; i < 100; ++i) {
        if (std::filesystem::exists(pathWithoutExtension + ".txt"))
            return true;
        Pause(100);
    }
    return false;
}
