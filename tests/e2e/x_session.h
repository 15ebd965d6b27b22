// An X server for the end-to-end tests and the monitor running in it, driven
// as a person would: mouse clicks at control positions, typed keys.
#pragma once

#include "child_process.h"

#include <functional>
#include <string>
#include <vector>

struct TGeometry {
    int X = 0, Y = 0, Width = 0, Height = 0;
};

class TXSession {
public:
    // Starts Xvfb on a free display number, and under it the window manager
    // named by FENNOX_E2E_WM ("openbox") when that is set, so the tests run
    // on a bare X server and on a desktop with frames; throws when it cannot.
    // screen: its width x height in pixels.
    explicit TXSession(const std::string& screen = "1280x800");
    ~TXSession();
    TXSession(const TXSession&) = delete;
    TXSession& operator=(const TXSession&) = delete;

    std::string DisplayName() const { return Display; }
    std::vector<std::string> Env() const { return {"DISPLAY=" + Display}; }
    // Runs xdotool (or another X client) with the session's display and
    // returns its standard output.
    std::string X(const std::vector<std::string>& args) const;
    // The id of the first window whose name matches the pattern, waiting up
    // to the time given, or only as long as worthWaiting (when given) holds,
    // e.g. while the program that would show it runs; empty when none came.
    std::string WaitForWindow(const std::string& namePattern, int ms = 15000,
                              const std::function<bool()>& worthWaiting = nullptr) const;
    bool WindowGone(const std::string& id) const;
    // The inside of a window on the screen (without a window manager's
    // frame), a click at a point given relative to its top-left, and a key
    // press for the window with the focus.
    TGeometry Inside(const std::string& id) const;
    void Click(const std::string& id, int x, int y) const;
    void Key(const std::string& keys) const;
    // The text on the clipboard (the X selection CLIPBOARD).
    std::string Clipboard() const;
    // A screenshot of the whole screen as PNG.
    void Screenshot(const std::string& path) const;

    // The window manager's name, empty without one.
    std::string WindowManager() const { return Manager; }

private:
    void StartWindowManager();

    std::string Display;
    std::string Manager;
    TChild Server;
    TChild ManagerProcess;
};

// A window manager's frame around a window (_NET_FRAME_EXTENTS); all 0
// without a window manager.
struct TFrame {
    int Left = 0, Right = 0, Top = 0, Bottom = 0;
};

// The monitor started from a program folder of its own (the settings file
// lies beside the program file), or an installed one.
class TMonitor {
public:
    TMonitor(const TXSession& x, const std::string& folder);
    // The program installed at program; folder keeps what it prints.
    // Started through wrapper when that is given (setpriv ... as another
    // user), with env added to the session's.
    TMonitor(const TXSession& x, const std::string& folder, const std::string& program,
             const std::vector<std::string>& wrapper, const std::vector<std::string>& env);
    ~TMonitor();

    std::string SettingsPath() const { return Folder + "/fennox.ini"; }
    void Launch();
    bool Running();
    // Waits for the program to end; its exit status, or -1.
    int WaitEnd(int seconds = 20);

    // The window's inside on the screen: position and size without frame.
    TGeometry Geometry() const;
    TFrame Frame() const;
    // The frame's outer rectangle (the inside when there is no frame).
    TGeometry Outer() const;
    int Pid() const { return Program.Pid; }
    // A click at a point given relative to the window's inner top-left.
    void Click(int x, int y) const;
    void Type(const std::string& text) const;
    void Key(const std::string& keys) const;
    // Clicks the save button, types the file name into the dialog and
    // confirms; returns when the file exists.
    bool SaveLogAs(const std::string& pathWithoutExtension) const;

    std::string WindowId;

private:
    const TXSession& Session;
    std::string Folder;
    std::string ProgramFile;
    std::vector<std::string> Wrapper;
    std::vector<std::string> ExtraEnv;
    TChild Program;
};

std::vector<std::string> SplitLines(const std::string& text, const std::string& end);
// Sleeps while the event loops of the other programs run.
void Pause(int ms);
