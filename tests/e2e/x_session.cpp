#include "x_session.h"

#include "run_program.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sstream>
#include <stdexcept>
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
TXSession::TXSession() {
    // A display number of our own, so parallel runs do not meet.
    for (int n = 90 + getpid() % 100, tries = 0; tries < 20; ++n, ++tries) {
        if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
            std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
            continue;
        Display = ":" + std::to_string(n);
        Server = Spawn({"/bin/sh", "-c",
                        "exec Xvfb \"$0\" -screen 0 1280x800x24 -nolisten tcp -noreset 2>\"$1\"",
                        Display, "/tmp/fennox-xvfb" + Display.substr(1) + ".log"},
                       {}, false, true);
        for (int i = 0; i < 100; ++i) {
            Pause(50);
            if (RunProgram({"/usr/bin/xdotool", "getmouselocation"}, "", Env()).ExitCode == 0)
                return;
            int status;
            if (waitpid(Server.Pid, &status, WNOHANG) == Server.Pid)
                break; // that number was taken after all
        }
        Stop(Server);
    }
    throw std::runtime_error("cannot start Xvfb");
}

TXSession::~TXSession() {
    Stop(Server);
}

std::string TXSession::X(const std::vector<std::string>& args) const {
    return RunProgram(args, "", Env()).Out;
}

std::string TXSession::WaitForWindow(const std::string& namePattern, int ms) const {
    for (int waited = 0; waited < ms; waited += 100) {
        const std::string out =
            X({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", namePattern});
        if (!out.empty())
            return out.substr(0, out.find('\n'));
        Pause(100);
    }
    return std::string();
}

bool TXSession::WindowGone(const std::string& id) const {
    return RunProgram({"/usr/bin/xdotool", "getwindowname", id}, "", Env()).ExitCode != 0;
}

void TXSession::Screenshot(const std::string& path) const {
    RunProgram({"/usr/bin/import", "-window", "root", path}, "", Env());
}

TMonitor::TMonitor(const TXSession& x, const std::string& folder) : Session(x), Folder(folder) {
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(FENNOX_BIN, folder + "/fennox",
                               std::filesystem::copy_options::overwrite_existing);
}

TMonitor::~TMonitor() {
    Stop(Program);
}

void TMonitor::Launch() {
    // Its messages go to a file in its folder, for the failure report.
    const std::string errors = Folder + "/stderr.txt";
    WriteFile(errors, "");
    Program = Spawn({"/bin/sh", "-c", "exec \"$0\" 2>>\"$1\"", Folder + "/fennox", errors},
                    Session.Env(), false, true);
    WindowId = Session.WaitForWindow("^Fennox V1.18$", 60000);
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
    const std::string out =
        Session.X({"/usr/bin/xdotool", "getwindowgeometry", "--shell", WindowId});
    TGeometry g;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq);
        const int value = std::atoi(line.c_str() + eq + 1);
        if (key == "X")
            g.X = value;
        else if (key == "Y")
            g.Y = value;
        else if (key == "WIDTH")
            g.Width = value;
        else if (key == "HEIGHT")
            g.Height = value;
    }
    return g;
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
    Session.X({"/usr/bin/xdotool", "key", keys});
    Pause(150);
}

bool TMonitor::SaveLogAs(const std::string& pathWithoutExtension) const {
    Click(123, 276); // "speichern"
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
