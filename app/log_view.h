// A log text field without its toolkit: what it does with the keyboard, the
// mouse, its context menu and the clipboard, what it paints and when, decided
// once for every front end. A front end implements TLogSurface (the few
// things only the toolkit can do) and TLogCanvas (drawing), turns its native
// events into these calls and paints when asked; the Qt and the Win32 log
// behave the same for the same input.
#pragma once

#include "log_model.h"
#include "long_job.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The character a front end draws for a byte of the text (Latin-1, through
// LogShownByte): never negative, never a replacement character.
char16_t LogShownChar(unsigned char byte);

// What only the toolkit can do for a log view.
class TLogSurface {
public:
    // The clipboard, as UTF-8 text. Setting it fails (false, the clipboard
    // unchanged) while another program holds the clipboard open.
    virtual std::string ClipboardText() const = 0;
    virtual bool SetClipboardText(const std::string& utf8) = 0;
    // The view from y (view coordinates) down needs painting; the toolkit
    // paints it at its next chance.
    virtual void Invalidate(double fromY) = 0;
    // What is painted moves up by dy pixels (down for a negative dy); the
    // toolkit paints what comes into view.
    virtual void ScrollView(double dy) = 0;
    // The scroll bar shows 0..maxTop, a page of page rows, at top.
    // thumbMoved: false when its thumb stays where it is painted, so that
    // only the numbers change and the bar need not be painted again.
    virtual void ShowScrollBar(size_t maxTop, size_t page, size_t top, bool thumbMoved) = 0;
    // The caret moved (or was set again): blinking starts over.
    virtual void CaretMoved() = 0;
    // Whether anybody can see the view: not when its window is minimised
    // or hidden, or (where the toolkit knows it) covered.
    virtual bool Shown() const = 0;
    // The toolkit calls TLogView::Frame every milliseconds (0: no more),
    // and while running TLogView::DragScrollTick every
    // TLogView::DragScrollMilliseconds.
    virtual void RunFrameTimer(int milliseconds) = 0;
    virtual void RunDragTimer(bool running) = 0;

protected:
    ~TLogSurface() = default;
};

// What a log view paints with: the desktop's colours for text and the
// selection, and the marks' own colours for the text of marked lines.
enum class TLogInk { Text, SelectedText, Selection, ChecksumError, ShortPreamble };

struct TLogRgb {
    uint8_t R, G, B;
};
// The colour of a mark's ink: red for a wrong error byte, dark orange for a
// short preamble; readable on a white log.
TLogRgb MarkColor(TLogInk ink);

class TLogCanvas {
public:
    virtual void Fill(double x, double y, double width, double height, TLogInk ink) = 0;
    // Latin-1 text whose top left corner is at x, y; each byte drawn as
    // LogShownChar shows it.
    virtual void Text(double x, double y, std::string_view latin1, TLogInk ink) = 0;

protected:
    ~TLogCanvas() = default;
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

// Owner is the first of the entries the log's owner adds (TLogOwnerMenu);
// the next ones follow it: Owner + 1, ...
enum class TLogCommand { Cut, Copy, Paste, Delete, SelectAll, Owner };

// What the user does with the scroll bar.
enum class TLogScroll { LineUp, LineDown, PageUp, PageDown, To, Top, Bottom };

// One entry of the context menu; a separator goes before it when asked.
struct TLogMenuItem {
    TLogCommand Command;
    const char* Caption;  // UTF-8, '&' before the access key
    const char* Shortcut; // as the menu shows it, or ""
    bool Enabled;
    bool SeparatorBefore;
};

// An entry the log's owner (the window) adds below the editing ones.
struct TLogOwnerItem {
    std::string Caption;  // UTF-8, '&' before the access key
    std::string Shortcut; // as the menu shows it, or ""
    std::function<void()> Run;
};
// The owner's entries for the line the menu was opened on (the model's
// LineCount() when it was opened below the last line).
using TLogOwnerMenu = std::function<std::vector<TLogOwnerItem>(size_t line)>;

// The caret's rectangle in the view.
struct TLogCaretBox {
    double X = 0;
    double Y = 0;
    int Height = 1;
};

// Puts the selection on the clipboard through put, as UTF-8, its progress
// shown on host (none: nullptr) when it takes long. A selection larger than
// TLogView::ClipboardLimit, or than the memory holds, is not put: host's error
// box says why, and the clipboard and the log stay as they are. The same
// when put returns false (the clipboard could not be had). True when the
// text is on the clipboard.
bool CopySelection(const TLogModel& log, TProgressHost* host,
                   const std::function<bool(const std::string&)>& put);

// The error box's text when another program holds the clipboard.
extern const char* const ClipboardBusyText;

class TLogView : private TLogModelListener {
public:
    // How often a view scrolls while the mouse drags a selection past its
    // top or bottom edge.
    static constexpr int DragScrollMilliseconds = 50;
    // How often a changing view is brought up to date, however often lines
    // arrive (appending never waits for it): some 30 times a second while
    // the user works in it, 5 times while it follows the lines coming in,
    // which then pass by too fast to read anyway.
    static constexpr int FrameMilliseconds = 33;
    static constexpr int FollowMilliseconds = 200;
    // While it follows, its scroll bar's thumb moves once a second.
    static constexpr int FollowBarFrames = 5;
    // The most UTF-8 text copied or cut to the clipboard, 256 MB (some two
    // and a half hours of usual traffic): the clipboard takes it as UTF-16
    // with CR LF, after copies on the way, and a week of lines would take
    // more memory than the machine has, ending the program and its log.
    // Tests lower it.
    static size_t ClipboardLimit;

    // Shows model on surface; the text starts at left, top in the view.
    // The model must outlive the view; the view listens to it.
    TLogView(TLogModel& model, TLogSurface& surface, double left, double top);
    ~TLogView();
    TLogView(const TLogView&) = delete;
    TLogView& operator=(const TLogView&) = delete;

    TLogModel& Model() const { return Log; }
    // Where a long copy shows its progress; none by default.
    void SetProgressHost(TProgressHost* host) { Progress = host; }

    // The font measured and the view's size, as the toolkit has them;
    // WrapWidth and ViewHeight are the whole view's (less the margins).
    void SetMetrics(const TLogMetrics& metrics);

    // Brings the view up to date (on the frame timer): the scroll bar, the
    // caret, and what must be painted, moving what is painted already.
    void Frame();

    // Paints the rows of a view height pixels high that reach into
    // [fromY, toY), and the caret as a line when caretShown.
    void Paint(TLogCanvas& canvas, int height, bool caretShown, double fromY = 0, double toY = 1e9);

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
    bool DragScrolling() const { return Dragging && Outside; }
    void DragScrollTick();
    // Wheel notches, positive away from the user.
    void Wheel(double notches);
    // The scroll bar moved; row is the first row for To.
    void ScrollBar(TLogScroll action, size_t row = 0);

    // The context menu: the editing entries, then the owner's (whose menu
    // must outlive the view; nullptr for none) for the caret's line, or for
    // the line at view coordinates x, y when the mouse opened it.
    void SetOwnerMenu(const TLogOwnerMenu* menu) { OwnerMenu = menu; }
    std::vector<TLogMenuItem> ContextMenu() const;
    std::vector<TLogMenuItem> ContextMenuAt(double x, double y) const;
    // An entry of the last menu asked for.
    void Run(TLogCommand command);

    void Copy();
    void Cut();
    void Paste();

    // The place at view coordinates, and the caret's box when it stands at
    // pos.
    TLogPos PosAt(double x, double y) const;
    TLogCaretBox CaretBox(TLogPos pos) const;

private:
    void LogRowsChanged(size_t firstRow) override;
    void LogScrolled() override;
    void LogCaretMoved() override;
    void FollowDragScrolling();
    // Something changed: a frame will come.
    void Pending();
    // The text selected, or the one word painted in one ink.
    void PaintRow(TLogCanvas& canvas, const TLogRowView& row, double y);
    std::vector<TLogMenuItem> MenuFor(size_t line) const;

    TLogModel& Log;
    TLogSurface& Surface;
    TProgressHost* Progress = nullptr;
    std::vector<TLogRowView> Rows;
    // What the next frame does: the scroll bar and the caret to show, and
    // from which row of the text down the view must be painted again; the
    // top row of the frame painted last.
    bool ScrollBarStale = true;
    bool CaretStale = true;
    bool RepaintAll = true;
    size_t RepaintFromRow = static_cast<size_t>(-1);
    size_t PaintedTop = 0;
    // The frame timer's interval (0: not running), and whether the user did
    // something since the last frame.
    int FrameTimer = 0;
    bool UserActed = false;
    // The scroll bar's thumb as last shown, in pixels of a bar as long as
    // the view, and the frames since: a bar is painted again only when its
    // thumb moves (at most every FollowBarFrames frames while the view only
    // follows), or every 15 frames for the exact numbers.
    long ThumbTop = -1, ThumbLength = -1;
    int FramesSinceBar = 0;
    double Left;
    double Top;
    bool Dragging = false;
    bool Outside = false;
    bool DragTimerRunning = false;
    double DragX = 0;
    double DragY = 0;
    const TLogOwnerMenu* OwnerMenu = nullptr;
    // The owner's entries of the last menu, for Run.
    mutable std::vector<TLogOwnerItem> OwnerItems;
};
