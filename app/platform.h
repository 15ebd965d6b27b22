// What the window's logic needs of the desktop it runs on. Each front end
// implements it with its toolkit's or system's calls; the tests with a
// scripted one. Texts are UTF-8.
#pragma once

#include "control_layout.h"
#include "long_job.h"

#include <functional>
#include <string>
#include <vector>

struct TSaveDialogRequest {
    std::string Title;
    std::string DefaultExtension; // without the dot
    // Pairs of description and pattern, e.g. {"*.txt", "*.txt", "alle", "*"}.
    std::vector<std::string> Filter;
};

// The error box, ShowErrorBox, is the long jobs' (long_job.h).
class TPlatform : public TProgressHost {
public:
    // Title "Warnung", warning icon, the one button "Abbrechen". Modal.
    virtual void ShowWarningDialog(const std::string& text) = 0;
    // A serial call's box: caption the call's name, error icon, OK, no owner.
    // Returns once the user has closed it; the window stays operable
    // meanwhile, so the window's handlers may run before it returns.
    virtual void ShowCommErrorBox(const std::string& caption, const std::string& text) = 0;
    // The save dialog, asking before it overwrites a file and offering the
    // last chosen name again. False when the user cancelled.
    virtual bool ExecuteSaveDialog(const TSaveDialogRequest& request, std::string& path) = 0;
    // False (the clipboard unchanged) while another program holds it open.
    virtual bool SetClipboardText(const std::string& text) = 0;
    virtual void OpenUrl(const std::string& url) = 0;
    // Whether a window with this outer rectangle would show on some screen.
    virtual bool OnSomeScreen(const TRect& outer) const = 0;
    // The program file's full path.
    virtual std::string ProgramPath() const = 0;
    // The local time as "hh:nn:ss:zzz".
    virtual std::string TimeText() = 0;
    // Saved text files: UTF-8 (Linux), or the 8-bit code page the log's
    // letters are in (Windows). Lines end in CR LF either way.
    virtual bool SavesUtf8() const { return true; }

protected:
    ~TPlatform() = default;
};

// Runs a handler of a window; a failure that escapes it goes to the error box
// and ends only that handler.
void RunGuarded(TPlatform& platform, const std::function<void()>& handler);

// A window's handler as a control's OnClick or OnSelect: run guarded.
template <typename TWindow>
std::function<void()> GuardedHandler(TPlatform& platform, TWindow* window,
                                     void (TWindow::*handler)()) {
    return [&platform, window, handler] {
        RunGuarded(platform, [window, handler] { (window->*handler)(); });
    };
}
