// A log text field on Windows: a window class of our own that paints the
// rows of a TLogModel with GDI and hands keys, the mouse and the menu to
// TLogViewInput, which decides what they do. Unlike the system's multi-line
// edit control it holds no copy of the text, so it neither slows down nor
// grows with a long log.
#pragma once

#include "log_view_input.h"

#include <windows.h>

#include <vector>

// The Windows clipboard as the log needs it.
class TWin32Clipboard : public TLogClipboard {
public:
    HWND Owner = nullptr;
    std::string Text() const override;
    void SetText(const std::string& utf8) override;
};

class TWin32LogView : private TLogModelListener {
public:
    // Creates the window as a child of parent; background in the system's
    // colour of that index (COLOR_WINDOW, COLOR_INFOBK).
    TWin32LogView(TLogModel& model, HWND parent, HFONT font, int background, bool tabStop);
    ~TWin32LogView();
    TWin32LogView(const TWin32LogView&) = delete;
    TWin32LogView& operator=(const TWin32LogView&) = delete;

    HWND Handle() const { return Window; }
    TLogModel& Model() { return Log; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);

    void LogRowsChanged(size_t firstRow) override;
    void LogScrolled() override;
    void LogCaretMoved() override;

    // Marks the rows from firstRow on (in the text) for the next paint.
    void Invalidate(size_t firstRow);
    void Measure();
    void Paint(HDC dc, const RECT& dirty);
    void UpdateScrollBar();
    void PlaceCaret();
    void ShowContextMenu(int x, int y);
    void FollowDragScrolling();

    TLogModel& Log;
    TWin32Clipboard Clipboard;
    TLogViewInput Input;
    HWND Window = nullptr;
    HFONT Font;
    int Background;
    int RowHeight = 1;
    bool Focused = false;
    std::vector<TLogRowView> Rows;
    // Brought up to date at the next paint.
    bool ScrollBarStale = true;
    bool CaretStale = true;
    bool RepaintPending = false;
    size_t DirtyFromRow = 0;
    HBITMAP Buffer = nullptr;
    LONG BufferWidth = 0, BufferHeight = 0;
};
