// The desktop's services for the window's logic, from the Win32 API.
#pragma once

#include "platform.h"

#include <windows.h>

class TWin32Platform : public TPlatform {
public:
    // The window that owns the modal boxes and the save dialog.
    void SetOwner(HWND owner) { Owner = owner; }

    void ShowErrorBox(const std::string& text) override;
    void ShowWarningDialog(const std::string& text) override;
    void ShowCommErrorBox(const std::string& caption, const std::string& text) override;
    bool ExecuteSaveDialog(const TSaveDialogRequest& request, std::string& path) override;
    bool SetClipboardText(const std::string& text) override;
    void OpenUrl(const std::string& url) override;
    bool OnSomeScreen(const TRect& outer) const override;
    std::string ProgramPath() const override;
    std::string TimeText() override;
    bool SavesUtf8() const override { return false; }
    void ShowProgress(const std::string& text, int percent) override;
    void HideProgress() override;
    void RunPendingEvents() override;

private:
    HWND Owner = nullptr;
    HWND Progress = nullptr;
    HWND ProgressBar = nullptr;
    // The dialog offers the last chosen name again.
    char LastSaveName[MAX_PATH] = {};
};

// Puts text on the clipboard for the window owner: as Unicode text, lines
// separated by CR LF as Windows programs expect.
bool PutTextOnClipboard(HWND owner, const std::string& utf8);
// The clipboard's text in UTF-8 ('\n' between lines); empty when it holds
// none.
std::string TextFromClipboard(HWND owner);
