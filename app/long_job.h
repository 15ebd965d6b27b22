// A long job of the window (saving or copying a long log) done while the
// window stays responsive: now and then the desktop's events run, so the
// receive loop's ticks go on, and after a second the job's progress shows,
// in a window of its own that keeps the user's input from the main window.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

// What a long job needs of the desktop.
class TProgressHost {
public:
    // Shows (or updates) the progress window: text, and percent done.
    virtual void ShowProgress(const std::string& text, int percent) = 0;
    virtual void HideProgress() = 0;
    // Runs the window's pending timers and painting; the user's input waits.
    virtual void RunPendingEvents() = 0;
    // The error box: the text, caption "Fennox", error icon, OK. Modal. A
    // job that cannot be done says why in it.
    virtual void ShowErrorBox(const std::string& text) = 0;

protected:
    ~TProgressHost() = default;
};

class TLongJob {
public:
    // Shows no progress without a host.
    TLongJob(TProgressHost* host, std::string text);
    ~TLongJob();
    TLongJob(const TLongJob&) = delete;
    TLongJob& operator=(const TLongJob&) = delete;

    // done of total.
    void Step(std::size_t done, std::size_t total);

    // How long a job runs before its progress shows (a second), and how
    // often it lets the window's events run (40 ms); tests shorten them.
    static std::chrono::milliseconds ShowAfter;
    static std::chrono::milliseconds EventsEvery;

private:
    using TClock = std::chrono::steady_clock;
    TProgressHost* Host;
    std::string Text;
    TClock::time_point Start;
    TClock::time_point LastEvents;
    bool Shown = false;
};
