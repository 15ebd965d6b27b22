// The Win32 front end of the main window: classic controls for every
// control of the window's logic (TfrmMain), placed as the control table
// says, in "MS Sans Serif" 8 pt, and the two logs in a window class of our
// own. Every change of the model is mirrored onto its control, every user
// action goes into the model.
#pragma once

#include "controls.h"

#include <windows.h>

#include <memory>
#include <unordered_map>

class TfrmMain;
class TWin32LogView;
class TWin32Platform;

class TWin32Window : public TControlObserver {
public:
    TWin32Window(TfrmMain& model, TWin32Platform& platform, HINSTANCE instance);
    ~TWin32Window();
    TWin32Window(const TWin32Window&) = delete;
    TWin32Window& operator=(const TWin32Window&) = delete;

    HWND Handle() const { return Main; }
    void Show(int showCommand);
    void ControlChanged(TControl& control, TChange what) override;
    HWND HandleOf(const TControl& control) const;

    TfrmMain& Model;

private:
    static LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SplitterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ReadOnlyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMain(UINT msg, WPARAM wParam, LPARAM lParam);
    bool HandleCommand(WPARAM wParam, LPARAM lParam);

    void Build();
    HWND Create(TControl& control, const char* className, DWORD style, DWORD exStyle = 0);
    void Mirror(TControl& control, TChange what);
    // The control's place in the panel: its own place plus its parents'.
    RECT PanelRect(const TControl& control) const;
    void LayOut();
    void ApplyGeometry();
    void TakeGeometry();
    void AddTooltip(HWND control, const std::string& hint);

    TWin32Platform& Platform;
    HINSTANCE Instance;
    HWND Main = nullptr;
    HWND Panel = nullptr;
    HWND Splitter = nullptr;
    HWND Tooltips = nullptr;
    HFONT ControlFont = nullptr;
    HFONT BoldFont = nullptr;
    HFONT MonitorFont = nullptr;
    HBITMAP Picture = nullptr;
    std::unique_ptr<TWin32LogView> Memo1;
    std::unique_ptr<TWin32LogView> Memo2;
    std::unordered_map<const TControl*, HWND> Handles;
    std::unordered_map<HWND, TControl*> Controls;
    // The controls with a checked state or a text, by kind: only these
    // mirror those changes.
    std::unordered_map<const TControl*, TCheckBox*> CheckBoxes;
    std::unordered_map<const TControl*, TRadioButton*> Radios;
    std::unordered_map<const TControl*, TEdit*> Edits;
    int Memo2Width;
    bool Applying = false;
    bool DraggingSplitter = false;
    int DragStartX = 0, DragStartWidth = 0;
};

// Draws the program's own 200 x 32 picture: a stretch of track with the name.
HBITMAP DrawFennoxPicture(HDC dc);
