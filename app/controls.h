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
    Gauge,   // range, position or bar colour
    Timer,   // interval or running
    MinSize, // the window's minimum size
    Focus,   // the window's input focus moved
};

// The changes that together make up a control's state: a front end that
// builds its native control mirrors each of them once.
inline constexpr TChange EveryStateChange[] = {
    TChange::Geometry, TChange::Caption, TChange::Hint,    TChange::Checked, TChange::Text,
    TChange::Gauge,    TChange::Timer,   TChange::Visible, TChange::Enabled};

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

// The top-level window: caption, outer rectangle and minimum size, and the
// input focus.
class TForm : public TControl {
public:
    explicit TForm(const char* name) : TControl(name, TControlKind::Form) {}
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
};

// A multi-line text field: one of the two logs.
class TMemo : public TControl {
public:
    using TControl::TControl;
    TLogModel Lines;
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
