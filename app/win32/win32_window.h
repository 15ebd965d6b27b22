// The Win32 front end of a window (the main window, the analysis window): the
// system's side of the mirror (mirror.h). It creates a classic control for
// each control of the window's logic, in "MS Sans Serif" 8 pt, the two logs
// in a window class of our own, shows the properties the mirror hands it,
// and passes the user's actions back; the decisions are the mirror's. The
// program is aware of each screen's resolution (fennox.manifest): fonts are
// made for the window's screen, and the mirror scales every place and size
// to it.
#pragma once

#include "mirror.h"

#include <windows.h>

#include <memory>
#include <unordered_map>
#include <vector>

class TWin32LogView;
class TWin32Platform;

class TWin32Window : private TNativeWindow {
public:
    // Shows form and its controls (parents first). A second window belongs
    // to its owner (above it, gone with it); the main window (no owner)
    // owns the desktop's boxes and dialogs and ends the program with it.
    TWin32Window(TForm& form, std::vector<TControl*> controls, TWin32Platform& platform,
                 HINSTANCE instance, HWND owner = nullptr);
    ~TWin32Window();
    TWin32Window(const TWin32Window&) = delete;
    TWin32Window& operator=(const TWin32Window&) = delete;

    HWND Handle() const { return Main; }
    void Show(int showCommand);
    HWND HandleOf(const TControl& control) const;
    // A function key pressed in this window: what the window does with it;
    // true when it had a use.
    bool FunctionKey(const MSG& msg);

    TForm& Model;

    // The window procedure of the main window, the panel and the splitter.
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK ReadOnlyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMain(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleSplitter(UINT msg, WPARAM wParam, LPARAM lParam);
    bool HandleCommand(WPARAM wParam, LPARAM lParam);
    bool HandleNotify(LPARAM lParam, LRESULT& result);

    void CreateNative(TControl& c) override;
    bool NestsInGroups() const override { return false; }
    void ShowText(TControl& c, const std::string& text) override;
    void ShowRect(TControl& c, const TRect& r, bool fitToText) override;
    void ShowChecked(TControl& c, bool checked) override;
    void ShowVisible(TControl& c, bool visible) override;
    void ShowEnabled(TControl& c, bool enabled) override;
    void ShowReadOnlyGroup(TControl& group, bool readOnly) override;
    void ShowHint(TControl& c, const std::string& hint) override;
    void ShowGauge(TProgressBar& bar) override;
    void ShowTimer(TTimer& timer) override;
    void ShowColumns(TTable& table) override;
    void ShowRows(TTable& table) override;
    void ShowSelection(TTable& table) override;
    void ShowChart(TBarChart& chart) override;
    void SendToBack(TControl& c) override;
    void ShowTitle(const std::string& title) override;
    void ShowWindowRect(const TRect& outer) override;
    void ShowMinSize(int width, int height) override;
    void ShowFocus(TControl& c) override;
    void ShowLogs(bool sideShown, int sideWidth) override;

    HWND Create(TControl& control, const char* className, DWORD style, DWORD exStyle = 0);
    void LayOut();
    // The screen's dots per inch: fonts for it, and the mirror's scale.
    void SetDpi(int dpi);
    HFONT FontOf(const TControl& c) const;

    TWin32Platform& Platform;
    HINSTANCE Instance;
    HWND Owner;
    HWND Main = nullptr;
    HWND Panel = nullptr;
    // The panel and the splitter of the model, where it has them.
    const TControl* PanelControl = nullptr;
    const TControl* SplitterControl = nullptr;
    HWND Splitter = nullptr;
    HWND Tooltips = nullptr;
    HFONT ControlFont = nullptr;
    HFONT BoldFont = nullptr;
    HFONT MonitorFont = nullptr;
    HBITMAP Picture = nullptr;
    std::vector<std::unique_ptr<TWin32LogView>> Logs;
    std::unordered_map<const TControl*, HWND> Handles;
    std::unordered_map<HWND, TControl*> Controls;
    TTimer* ReceiveTimer = nullptr;
    int Dpi = 96;
    POINT MinSize{};
    bool SideShown = false;
    int SideWidth = 0;
    int DragStartX = 0, DragStartWidth = 0;
    TMirror Mirror;
};
