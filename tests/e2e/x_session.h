// An X server for the end-to-end tests and the monitor running in it, driven
// as a person would: mouse clicks at control positions, typed keys.
#pragma once

#include "child_process.h"

#include <string>
#include <vector>

class TXSession {
public:
    // Starts Xvfb on a free display number; throws when it cannot.
    TXSession();
    ~TXSession();
    TXSession(const TXSession&) = delete;
    TXSession& operator=(const TXSession&) = delete;

    std::string DisplayName() const { return Display; }
    std::vector<std::string> Env() const { return {"DISPLAY=" + Display}; }
    // Runs xdotool (or another X client) with the session's display and
    // returns its standard output.
    std::string X(const std::vector<std::string>& args) const;
    // The id of the first window whose name matches the pattern, waiting up
    // to the time given; empty when none came.
    std::string WaitForWindow(const std::string& namePattern, int ms = 15000) const;
    bool WindowGone(const std::string& id) const;
    // A screenshot of the whole screen as PNG.
    void Screenshot(const std::string& path) const;

private:
    std::string Display;
    TChild Server;
};

struct TGeometry {
    int X = 0, Y = 0, Width = 0, Height = 0;
};

// The monitor started from a program folder of its own (the settings file
// lies beside the program file).
class TMonitor {
public:
    TMonitor(const TXSession& x, const std::string& folder);
    ~TMonitor();

    std::string SettingsPath() const { return Folder + "/fennox.ini"; }
    void Launch();
    bool Running();
    // Waits for the program to end; its exit status, or -1.
    int WaitEnd(int seconds = 20);

    TGeometry Geometry() const;
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
    TChild Program;
};

std::vector<std::string> SplitLines(const std::string& text, const std::string& end);
// Sleeps while the event loops of the other programs run.
void Pause(int ms);
