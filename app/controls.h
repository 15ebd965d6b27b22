// The window's controls as plain objects: what a front end shows (checked,
// enabled, visible, caption, text, place) and the handlers the window's
// logic hangs on them. A front end mirrors every change onto its native
// control and turns every user action into a call here.
//
// The one rule that holds for every control: a change the program makes runs
// the control's handler just as the user's does, and setting the state a
// control already has runs nothing. It lives here, once, for every front end.
#pragma once

#include "control_layout.h"
#include "log_model.h"
#include "log_view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TControl;

// Sets a flag for as long as it lives and gives it back its old value:
// "a handler runs", "the model is being mirrored".
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : Flag(flag), Was(flag) { Flag = true; }
    ~TFlagGuard() { Flag = Was; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& Flag;
    bool Was;
};

// What changed on a control, for the front end.
enum class TChange {
    Enabled,
    Visible,
    Caption,
    Hint,
    Geometry,
    Checked,
    Text,
    Gauge,     // range, position or bar colour
    Timer,     // interval or running
    MinSize,   // the window's minimum size
    Focus,     // the window's input focus moved
    Columns,   // a table's columns
    Rows,      // a table's rows, a chart's bars
    Selection, // the row chosen in a table
    Raised,    // a window brought to the front (shown if it was hidden)
};

// The changes that together make up a control's state: a front end that
// builds its native control mirrors each of them once.
inline constexpr TChange EveryStateChange[] = {
    TChange::Geometry, TChange::Caption,   TChange::Hint,    TChange::Checked,
    TChange::Text,     TChange::Gauge,     TChange::Timer,   TChange::Columns,
    TChange::Rows,     TChange::Selection, TChange::Visible, TChange::Enabled};

// What a control is, for the front end that shows it natively.
enum class TControlKind {
    Form,
    Panel,
    Label,    // sizes itself to its caption when its width is 0
    GroupBox, // a frame with a caption; drawn beneath the controls laid on it
    Button,
    Picture, // the program's picture (app/icons/picture.bmp), clicked like a button
    CheckBox,
    RadioButton,
    Edit,
    ProgressBar,
    Memo,     // one of the logs
    Splitter, // the handle between the logs
    Timer,
    Table,    // rows of text cells under column headings; one row may be chosen
    BarChart, // bars with a label each, painted as bar_chart.h decides
};

// How a control's text is drawn.
enum class TLook {
    Plain, // the window's font
    Bold,
    Monitor, // fixed pitch: the Monitor log
    Note,    // the window's font on the tooltip colours: the Bitstream log
};

class TControlObserver {
public:
    virtual void ControlChanged(TControl& control, TChange what) = 0;

protected:
    ~TControlObserver() = default;
};

class TControl {
public:
    TControl(const char* name, TControlKind kind, TControl* parent = nullptr);
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const std::string& Name() const { return ControlName; }
    TControlKind Kind() const { return ControlKind; }
    TControl* Parent() const { return ParentControl; }
    // Set while the window is built, before anything shows it.
    void SetParent(TControl* parent) { ParentControl = parent; }
    TLook Look() const { return ControlLook; }
    void SetLook(TLook look) { ControlLook = look; }
    // Whether the keyboard's Tab key stops at it.
    bool TabStop() const { return IsTabStop; }
    void SetTabStop(bool tabStop) { IsTabStop = tabStop; }

    bool Enabled() const { return IsEnabled; }
    void SetEnabled(bool enabled);
    // Enabled, and every parent too: only such a control takes user input.
    bool Operable() const;
    bool Visible() const { return IsVisible; }
    void SetVisible(bool visible);
    // UTF-8.
    const std::string& Caption() const { return CaptionText; }
    void SetCaption(const std::string& caption);
    const std::string& Hint() const { return HintText; }
    void SetHint(const std::string& hint);
    // Relative to the parent; for the window, the outer rectangle on the
    // screen, frame included.
    const TRect& Geometry() const { return Rect; }
    void SetGeometry(const TRect& rect);

    // The front end that mirrors this control; none while it is built.
    void SetObserver(TControlObserver* observer) { Observer = observer; }

protected:
    void Changed(TChange what);

private:
    std::string ControlName;
    TControlKind ControlKind;
    TControl* ParentControl;
    TLook ControlLook = TLook::Plain;
    bool IsTabStop = true;
    TControlObserver* Observer = nullptr;
    bool IsEnabled = true;
    bool IsVisible = true;
    std::string CaptionText;
    std::string HintText;
    TRect Rect;
};

// A control the user clicks: a button, the picture.
class TButton : public TControl {
public:
    using TControl::TControl;
    // A click by the user or the program; nothing on a control that cannot
    // be operated.
    void Click();
    std::function<void()> OnClick;
};

class TCheckBox : public TControl {
public:
    using TControl::TControl;
    bool Checked() const { return IsChecked; }
    // Runs OnClick when the state changes, either way.
    void SetChecked(bool checked);
    // The user's click: the state flips, if the box can be operated.
    void Click();
    std::function<void()> OnClick;

private:
    bool IsChecked = false;
};

// Radio buttons of one group: exactly one is checked once any is.
class TRadioButton : public TControl {
public:
    using TControl::TControl;
    // Joins a group, which must outlive the button.
    void JoinGroup(std::vector<TRadioButton*>& group);
    bool Checked() const { return IsChecked; }
    // Checking one unchecks the others of its group; OnClick runs on the
    // one that became checked, and nothing runs when it was checked already.
    void SetChecked(bool checked);
    void Click();
    std::function<void()> OnClick;

private:
    std::vector<TRadioButton*>* Group = nullptr;
    bool IsChecked = false;
};

// A single-line text field.
class TEdit : public TControl {
public:
    using TControl::TControl;
    // UTF-8.
    const std::string& Text() const { return Value; }
    // Runs OnChange when the text differs from the one it had.
    void SetText(const std::string& text);
    std::function<void()> OnChange;

private:
    std::string Value;
};

// A colour as the Windows API gives it: 0x00BBGGRR.
using TColorRef = uint32_t;

class TProgressBar : public TControl {
public:
    using TControl::TControl;
    int Min() const { return RangeMin; }
    int Max() const { return RangeMax; }
    int Position() const { return Pos; }
    TColorRef BarColor() const { return Color; }
    void SetRange(int min, int max);
    // Kept inside the range: a count above the maximum shows as full.
    void SetPosition(int position);
    void SetBarColor(TColorRef color);

private:
    int RangeMin = 0, RangeMax = 100, Pos = 0;
    TColorRef Color = 0x800000;
};

// The receive loop's timer; the front end makes the ticks and calls Fire.
class TTimer : public TControl {
public:
    using TControl::TControl;
    int Interval() const { return Milliseconds; }
    void SetInterval(int ms);
    // A timer is created stopped.
    bool Running() const { return IsRunning; }
    void Start() { SetRunning(true); }
    void Stop() { SetRunning(false); }
    // One tick: runs OnTimer while the timer runs.
    void Fire();
    std::function<void()> OnTimer;

private:
    void SetRunning(bool running);

    int Milliseconds = 1000;
    bool IsRunning = false;
};

// A table of text cells (UTF-8) under column headings: the front end shows
// the rows in a list that scrolls; the user chooses one row.
struct TTableColumn {
    std::string Caption;
    int Width = 0;
    bool RightAligned = false;
};
class TTable : public TControl {
public:
    using TControl::TControl;
    using TRow = std::vector<std::string>;
    const std::vector<TTableColumn>& Columns() const { return ColumnList; }
    void SetColumns(std::vector<TTableColumn> columns);
    std::size_t RowCount() const { return RowList.size(); }
    // Empty past the end of a row.
    const std::string& Cell(std::size_t row, std::size_t column) const;
    // Shown only when they differ from the rows there are. A chosen row
    // past the new end is given up.
    void SetRows(std::vector<TRow> rows);
    // The chosen row, -1 for none.
    int Selected() const { return SelectedRow; }
    // The program's choice or the user's: OnSelect runs when it changes.
    void Select(int row);
    std::function<void()> OnSelect;

private:
    std::vector<TTableColumn> ColumnList;
    std::vector<TRow> RowList;
    int SelectedRow = -1;
};

// Bars side by side, each with a label under it; a marked bar is drawn in
// the colour of a warning.
struct TBar {
    std::string Label;
    uint64_t Value = 0;
    bool Marked = false;
    bool operator==(const TBar& o) const {
        return Label == o.Label && Value == o.Value && Marked == o.Marked;
    }
};
class TBarChart : public TControl {
public:
    using TControl::TControl;
    const std::vector<TBar>& Bars() const { return BarList; }
    // Shown only when they differ from the bars there are.
    void SetBars(std::vector<TBar> bars);
    // What it shows without bars.
    const std::string& EmptyText() const { return Empty; }
    void SetEmptyText(const std::string& text) { Empty = text; }

private:
    std::vector<TBar> BarList;
    std::string Empty;
};

// The top-level window: caption, outer rectangle and minimum size, and the
// input focus.
class TForm : public TControl {
public:
    explicit TForm(const char* name) : TControl(name, TControlKind::Form) {}

    // Shows the window (a second one comes and goes; the first is shown
    // by the program's start) and brings it to the front.
    void Show();
    // The close box hides it, rather than closing it for good.
    bool HidesOnClose() const { return HideOnClose; }
    void SetHidesOnClose(bool hides) { HideOnClose = hides; }
    // Set when the program asks to close the window for good ("Ende").
    std::function<void()> OnClose;

    // The inside of the window, as the desktop gave it; OnResize runs when
    // it changes.
    int ClientWidth() const { return ClientW; }
    int ClientHeight() const { return ClientH; }
    void SetClientSize(int width, int height);
    std::function<void()> OnResize;

    // What a function key (1 for F1 ... 12) does anywhere in the window;
    // FunctionKey runs it and says whether the key had a use.
    void SetFunctionKey(int n, std::function<void()> action);
    bool FunctionKey(int n);

    int MinWidth() const { return MinW; }
    int MinHeight() const { return MinH; }
    // Also raises the window's size to the new minimum.
    void SetMinSize(int width, int height);
    // The size, kept at least the minimum.
    void Resize(int width, int height);
    void Move(int left, int top);
    TControl* Focused() const { return FocusedControl; }
    void SetFocus(TControl& control);

private:
    int MinW = 0, MinH = 0;
    TControl* FocusedControl = nullptr;
    bool HideOnClose = false;
    int ClientW = 0, ClientH = 0;
    std::vector<std::pair<int, std::function<void()>>> FunctionKeys;
};

// A multi-line text field: one of the two logs.
class TMemo : public TControl {
public:
    using TControl::TControl;
    TLogModel Lines;
    // The window's entries in the log's context menu, for the line it was
    // opened on; none when empty.
    TLogOwnerMenu Menu;
};

// The model class of each kind of control.
template <TControlKind K> struct TControlClass { using Type = TControl; };
template <> struct TControlClass<TControlKind::Button> { using Type = TButton; };
template <> struct TControlClass<TControlKind::Picture> { using Type = TButton; };
template <> struct TControlClass<TControlKind::CheckBox> { using Type = TCheckBox; };
template <> struct TControlClass<TControlKind::RadioButton> { using Type = TRadioButton; };
template <> struct TControlClass<TControlKind::Edit> { using Type = TEdit; };
template <> struct TControlClass<TControlKind::ProgressBar> { using Type = TProgressBar; };
template <> struct TControlClass<TControlKind::Memo> { using Type = TMemo; };
template <> struct TControlClass<TControlKind::Timer> { using Type = TTimer; };
template <> struct TControlClass<TControlKind::Table> { using Type = TTable; };
template <> struct TControlClass<TControlKind::BarChart> { using Type = TBarChart; };
