#include "win32_platform.h"

#include "clock_text.h"
#include "win32_text.h"

#include <shellapi.h>

#include <commctrl.h>
#include <commdlg.h>

#include <new>

namespace {

// The warning dialog's one button reads "Abbrechen": a message box has only
// the system's buttons, so its OK button is renamed the moment the box
// appears.
HHOOK RenameHook = nullptr;

LRESULT CALLBACK RenameOkButton(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextA(box, IDOK, "Abbrechen");
        UnhookWindowsHookEx(RenameHook);
        RenameHook = nullptr;
        return 0;
    }
    return CallNextHookEx(RenameHook, code, wParam, lParam);
}

} // namespace

void TWin32Platform::ShowErrorBox(const std::string& text) {
    MessageBoxA(Owner, Utf8ToAnsi(text).c_str(), "Fennox", MB_ICONERROR | MB_OK);
}

void TWin32Platform::ShowWarningDialog(const std::string& text) {
    RenameHook = SetWindowsHookExA(WH_CBT, RenameOkButton, nullptr, GetCurrentThreadId());
    MessageBoxA(Owner, Utf8ToAnsi(text).c_str(), "Warnung", MB_ICONWARNING | MB_OK);
    if (RenameHook) {
        UnhookWindowsHookEx(RenameHook);
        RenameHook = nullptr;
    }
}

void TWin32Platform::ShowCommErrorBox(const std::string& caption, const std::string& text) {
    // No owner: the main window is not disabled while the box is open, and
    // the box's own message loop keeps the window's messages flowing.
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
}

bool TWin32Platform::ExecuteSaveDialog(const TSaveDialogRequest& request, std::string& path) {
    // The filter: pairs of description and pattern, each ended by a NUL,
    // the whole list by a second one.
    std::string filter;
    for (const std::string& part : request.Filter) {
        filter += Utf8ToAnsi(part);
        filter += '\0';
    }
    filter += '\0';
    const std::string title = Utf8ToAnsi(request.Title);
    const std::string extension = Utf8ToAnsi(request.DefaultExtension);
    char name[MAX_PATH];
    lstrcpynA(name, LastSaveName, MAX_PATH);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    // Over the window the user asked from (the analysis window asks too).
    HWND active = GetActiveWindow();
    ofn.hwndOwner = active != nullptr ? active : Owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrDefExt = extension.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&ofn))
        return false;
    lstrcpynA(LastSaveName, name, MAX_PATH);
    path = name;
    return true;
}

bool PutTextOnClipboard(HWND owner, const std::string& utf8) {
    std::string crlf;
    crlf.reserve(utf8.size() + utf8.size() / 16);
    for (const char c : utf8) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    const std::wstring wide = Utf8ToWide(crlf);
    const SIZE_T bytes = (wide.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory == nullptr)
        throw std::bad_alloc();
    void* to = GlobalLock(memory);
    memcpy(to, wide.c_str(), bytes);
    GlobalUnlock(memory);
    // Clipboard managers and remote desktops open the clipboard for a moment
    // after every change; a few short waits get past them.
    bool open = false;
    for (int attempt = 0; attempt < 5 && !(open = OpenClipboard(owner)); ++attempt)
        Sleep(10);
    if (!open) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    const bool put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    if (!put)
        GlobalFree(memory);
    CloseClipboard();
    return put;
}

std::string TextFromClipboard(HWND owner) {
    std::string text;
    if (!OpenClipboard(owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* wide = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = WideToUtf8(wide);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    std::string lf;
    lf.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        lf += text[i];
    }
    return lf;
}

bool TWin32Platform::SetClipboardText(const std::string& text) {
    return PutTextOnClipboard(Owner, text);
}

void TWin32Platform::OpenUrl(const std::string& url) {
    // The result is not looked at: nothing is shown when no browser starts.
    ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

bool TWin32Platform::OnSomeScreen(const TRect& outer) const {
    const RECT r{outer.Left, outer.Top, outer.Left + outer.Width, outer.Top + outer.Height};
    return MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

std::string TWin32Platform::ProgramPath() const {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

std::string TWin32Platform::TimeText() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return FormatTimeText(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

void TWin32Platform::ShowProgress(const std::string& text, int percent) {
    if (Progress == nullptr) {
        // A small window of its own over the main window, which takes no
        // input meanwhile.
        RECT owner{};
        GetWindowRect(Owner, &owner);
        const int w = 320, h = 90;
        Progress = CreateWindowExA(
            WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, "STATIC", "Fennox",
            WS_POPUP | WS_CAPTION | WS_VISIBLE, (owner.left + owner.right - w) / 2,
            (owner.top + owner.bottom - h) / 2, w, h, Owner, nullptr, nullptr, nullptr);
        HWND label = CreateWindowExA(0, "STATIC", Utf8ToAnsi(text).c_str(), WS_CHILD | WS_VISIBLE,
                                     12, 8, w - 30, 18, Progress, nullptr, nullptr, nullptr);
        SendMessageA(label, WM_SETFONT, SendMessageA(Owner, WM_GETFONT, 0, 0), FALSE);
        ProgressBar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 12, 30, w - 30,
                                      16, Progress, nullptr, nullptr, nullptr);
        EnableWindow(Owner, FALSE);
    }
    SendMessageA(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    UpdateWindow(Progress);
}

void TWin32Platform::HideProgress() {
    if (Progress == nullptr)
        return;
    EnableWindow(Owner, TRUE);
    DestroyWindow(Progress);
    Progress = ProgressBar = nullptr;
}

void TWin32Platform::RunPendingEvents() {
    // Timers, painting and what is sent or posted; the user's input stays
    // queued until the job is done.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0,
                        PM_REMOVE | PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
