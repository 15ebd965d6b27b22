// What a log text field does with the keyboard, the mouse, its context menu
// and the clipboard, decided once for every front end. A front end turns
// its native events into these calls and paints what the model shows; the
// Qt and the Win32 log behave the same for the same input.
#pragma once

#include "log_model.h"

#include <string>
#include <string_view>
#include <vector>

// The character a front end draws for a byte of the text (Latin-1, through
// LogShownByte): never negative, never a replacement character.
char16_t LogShownChar(unsigned char byte);

// The clipboard as the log needs it: UTF-8 text.
class TLogClipboard {
public:
    virtual std::string Text() const = 0;
    virtual void SetText(const std::string& utf8) = 0;

protected:
    ~TLogClipboard() = default;
};

// The keys a log takes; letters only where Ctrl gives them a meaning.
enum class TLogKey {
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    Home,
    End,
    Backspace,
    Delete,
    Insert,
    Enter,
    A,
    C,
    V,
    X,
    Other
};

struct TLogKeyMods {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

enum class TLogCommand { Cut, Copy, Paste, Delete, SelectAll };

// One entry of the context menu; a separator goes before it when asked.
struct TLogMenuItem {
    TLogCommand Command;
    const char* Caption;  // UTF-8, '&' before the access key
    const char* Shortcut; // as the menu shows it, or ""
    bool Enabled;
    bool SeparatorBefore;
};

// The caret's rectangle in the view.
struct TLogCaretBox {
    double X = 0;
    double Y = 0;
    int Height = 1;
};

class TLogViewInput {
public:
    // How often a view scrolls while the mouse drags a selection past its
    // top or bottom edge.
    static constexpr int DragScrollMilliseconds = 50;

    // The text starts at left, top in the view.
    TLogViewInput(TLogModel& model, TLogClipboard& clipboard, double left, double top);

    TLogModel& Model() const { return Log; }

    // A key press; false when the log has no use for it (Tab, Escape, a
    // shortcut of the window).
    bool Key(TLogKey key, TLogKeyMods mods);
    // Printable text typed (Latin-1), over the selection or at the caret.
    void Type(std::string_view latin1);

    // The left mouse button, at view coordinates.
    void Press(double x, double y, bool shift);
    void Drag(double x, double y);
    void Release();
    void DoubleClick(double x, double y);
    // While true, the front end calls DragScrollTick every
    // DragScrollMilliseconds.
    bool DragScrolling() const { return Dragging && Outside; }
    void DragScrollTick();
    // Wheel notches, positive away from the user.
    void Wheel(double notches);

    std::vector<TLogMenuItem> ContextMenu() const;
    void Run(TLogCommand command);

    void Copy();
    void Cut();
    void Paste();

    // The place at view coordinates, and the caret's box when it stands at
    // pos.
    TLogPos PosAt(double x, double y) const;
    TLogCaretBox CaretBox(TLogPos pos) const;

private:
    TLogModel& Log;
    TLogClipboard& Clipboard;
    double Left;
    double Top;
    bool Dragging = false;
    bool Outside = false;
    double DragX = 0;
    double DragY = 0;
};
