// A log text field on Windows: a window class of our own that shows a
// TLogModel through a TLogView. It measures its font, paints with GDI when
// asked and hands keys, the mouse and the menu to the view, which decides
// what they do. Unlike the system's multi-line edit control it holds no copy
// of the text, so it neither slows down nor grows with a long log.
#pragma once

#include "log_view.h"

#include <windows.h>

class TWin32LogView : private TLogSurface {
public:
    // Creates the window as a child of parent; background in the system's
    // colour of that index (COLOR_WINDOW, COLOR_INFOBK).
    TWin32LogView(TLogModel& model, HWND parent, HFONT font, int background, bool tabStop);
    ~TWin32LogView();
    TWin32LogView(const TWin32LogView&) = delete;
    TWin32LogView& operator=(const TWin32LogView&) = delete;

    HWND Handle() const { return Window; }
    TLogModel& Model() { return View.Model(); }
    void SetProgressHost(TProgressHost* host) { View.SetProgressHost(host); }
    // The font at the screen's resolution; the metrics follow it.
    void SetFont(HFONT font);
    // The window's own entries in the context menu.
    void SetOwnerMenu(const TLogOwnerMenu* menu) { View.SetOwnerMenu(menu); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    std::string ClipboardText() const override;
    bool SetClipboardText(const std::string& utf8) override;
    void Invalidate(double fromY) override;
    void ScrollView(double dy) override;
    void ShowScrollBar(size_t maxTop, size_t page, size_t top, bool thumbMoved) override;
    void CaretMoved() override;
    bool Shown() const override;
    void RunFrameTimer(int milliseconds) override;
    void RunDragTimer(bool running) override;

    void Measure();
    void Paint();
    void ShowContextMenu(int x, int y);

    HWND Window = nullptr;
    TLogView View;
    HFONT Font;
    int Background;
    bool Focused = false;
    // Rows are drawn here and copied to the screen in one piece.
    HBITMAP Buffer = nullptr;
    SIZE BufferSize{};
};
