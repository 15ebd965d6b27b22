// The monitor's entry on Windows: the common controls, the window's logic,
// its Win32 front end and the message loop. No command line is read.
#include "main_window.h"
#include "win32_platform.h"
#include "win32_text.h"
#include "win32_window.h"

#include <commctrl.h>
#include <windows.h>

#include <exception>
#include <memory>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    TWin32Platform platform;
    std::unique_ptr<TfrmMain> frmMain;
    try {
        frmMain = std::make_unique<TfrmMain>(platform);
    } catch (const std::exception& e) {
        // A start-up failure (a settings file that cannot be read) leaves no
        // window behind.
        platform.ShowErrorBox(e.what());
        return 0;
    }
    TWin32Window window(*frmMain, frmMain->Controls(), platform, instance);
    // The analysis window belongs to the main window, hidden until it is
    // asked for.
    TWin32Window analysis(frmMain->frmAnalyse, frmMain->frmAnalyse.Controls(), platform, instance,
                          window.Handle());
    window.Show(showCommand);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (window.FunctionKey(msg) || analysis.FunctionKey(msg))
            continue;
        // Tab and the arrow keys walk the panel's controls, as in a dialog.
        if (IsDialogMessageA(window.Handle(), &msg) || IsDialogMessageA(analysis.Handle(), &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
