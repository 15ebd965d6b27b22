// Shared set-up of the window logic's tests: a program folder of its own for
// each test (so each has its own settings file), a scripted desktop that
// records the boxes and answers the dialogs, and the receive loop's ticks
// made by hand.
#pragma once

#include "latin1_text.h"
#include "main_window.h"
#include "port_names.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <process.h>
#endif

using TLines = std::vector<std::string>;

// The desktop as a test scripts it.
class TTestPlatform : public TPlatform {
public:
    struct TBox {
        std::string Caption, Text;
    };
    std::vector<TBox> ErrorBoxes, Warnings, CommBoxes;
    // Runs while a serial error box is "open", before it is closed.
    std::function<void(const TBox&)> WhileCommBoxOpen;
    // The save dialog's answer: a path, or cancelled when empty.
    std::string SaveAnswer;
    std::vector<TSaveDialogRequest> SaveRequests;
    std::string Clipboard;
    // Another program holds the clipboard open.
    bool ClipboardBusy = false;
    std::vector<std::string> OpenedUrls;
    std::vector<TRect> Screens{{0, 0, 1280, 800}};
    std::string Program;
    std::string Time = "12:34:56:789";

    void ShowErrorBox(const std::string& text) override { ErrorBoxes.push_back({"Fennox", text}); }
    void ShowWarningDialog(const std::string& text) override {
        Warnings.push_back({"Warnung", text});
    }
    void ShowCommErrorBox(const std::string& caption, const std::string& text) override {
        CommBoxes.push_back({caption, text});
        if (WhileCommBoxOpen)
            WhileCommBoxOpen(CommBoxes.back());
    }
    bool ExecuteSaveDialog(const TSaveDialogRequest& request, std::string& path) override {
        SaveRequests.push_back(request);
        path = SaveAnswer;
        return !SaveAnswer.empty();
    }
    bool SetClipboardText(const std::string& text) override {
        if (!ClipboardBusy)
            Clipboard = text;
        return !ClipboardBusy;
    }
    void OpenUrl(const std::string& url) override { OpenedUrls.push_back(url); }
    bool OnSomeScreen(const TRect& r) const override {
        for (const TRect& s : Screens) {
            if (r.Left < s.Left + s.Width && s.Left < r.Left + r.Width &&
                r.Top < s.Top + s.Height && s.Top < r.Top + r.Height)
                return true;
        }
        return false;
    }
    std::string ProgramPath() const override { return Program; }
    std::string TimeText() override { return Time; }
    // A long job's progress: the texts and percentages shown, and how often
    // the window's events ran meanwhile.
    std::vector<std::pair<std::string, int>> ProgressShown;
    int ProgressHidden = 0;
    int EventRuns = 0;
    std::function<void()> WhileEventsRun;
    void ShowProgress(const std::string& text, int percent) override {
        ProgressShown.emplace_back(text, percent);
    }
    void HideProgress() override { ++ProgressHidden; }
    void RunPendingEvents() override {
        ++EventRuns;
        if (WhileEventsRun)
            WhileEventsRun();
    }
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

inline int CountOf(const TLines& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}
inline bool Contains(const TLines& lines, const std::string& line) {
    return CountOf(lines, line) > 0;
}
inline TLines Tail(const TLines& lines, std::size_t n) {
    return TLines(lines.end() - static_cast<std::ptrdiff_t>(std::min(n, lines.size())),
                  lines.end());
}
inline std::string Joined(const TLines& lines) {
    std::string all;
    for (const std::string& l : lines)
        all += l + "\n";
    return all;
}

// A fresh folder per test, removed afterwards.
class TTestFolder {
public:
    TTestFolder() {
#ifdef _WIN32
        // No mkdtemp: a name of this process that is not taken yet.
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (unsigned n = 0; n < 1000 && Path.empty(); ++n) {
            const std::filesystem::path candidate =
                base / ("fennox_window_" + std::to_string(::_getpid()) + "_" + std::to_string(n));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error))
                Path = candidate.generic_string();
        }
#else
        std::string pattern = ::testing::TempDir() + "fennox_window_XXXXXX";
        if (::mkdtemp(&pattern[0]) != nullptr)
            Path = pattern;
#endif
    }
    ~TTestFolder() {
        std::error_code ignored;
        std::filesystem::permissions(Path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(Path, ignored);
    }
    std::string Path;
};

struct WindowTest : ::testing::Test {
    TTestFolder Folder;
    std::string Program = Folder.Path + "/fennox";
    std::string Ini = Folder.Path + "/fennox.ini";
    TTestPlatform Desktop;
    std::unique_ptr<TfrmMain> Window;

    WindowTest() { Desktop.Program = Program; }
    ~WindowTest() override {
        Window.reset();
        SetPortOverrides({});
    }

    void Start() {
        Window.reset();
        Window = std::make_unique<TfrmMain>(Desktop);
    }
    void StartWithSettings(const std::string& text) {
        WriteAll(Ini, text);
        Start();
    }
    // The Monitor log's lines as UTF-8, as the user reads them.
    TLines Log() const {
        TLines lines;
        const TLogStore& store = Window->Memo1.Lines.Store();
        for (std::size_t i = 0; i < store.LineCount(); ++i)
            lines.push_back(Latin1ToUtf8(store.Line(i)));
        return lines;
    }
    std::string LastLine() const {
        const TLines l = Log();
        return l.empty() ? std::string() : l.back();
    }
    // Lets the receive loop's timer tick, every 2 ms as long as it runs,
    // until pred holds or the time is up.
    bool TickUntil(const std::function<bool()>& pred, int ms = 5000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!pred()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            Window->Timer1.Fire();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
};
