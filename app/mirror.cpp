#include "mirror.h"

#include <utility>

TMirror::TMirror(TForm& form, std::vector<TControl*> controls, TNativeWindow& native)
    : Form(form), Controls(std::move(controls)), Native(native) {}

TMirror::~TMirror() {
    Form.SetObserver(nullptr);
    for (TControl* c : Controls)
        c->SetObserver(nullptr);
}

void TMirror::Build() {
    const TFlagGuard applying(IsApplying);
    for (TControl* c : Controls)
        Native.CreateNative(*c);
    // A group box's frame goes beneath the controls laid on it.
    for (TControl* c : Controls) {
        if (c->Kind() == TControlKind::GroupBox)
            Native.SendToBack(*c);
    }
    for (TControl* c : Controls) {
        for (TChange what : EveryStateChange)
            Show(*c, what);
    }
    for (TChange what : {TChange::Caption, TChange::MinSize, TChange::Geometry})
        ShowForm(what);
    ShowLogs();
    Form.SetObserver(this);
    for (TControl* c : Controls)
        c->SetObserver(this);
    Built = true;
}

void TMirror::SetDpi(int dpi) {
    Dpi = dpi;
    if (!Built)
        return;
    const TFlagGuard applying(IsApplying);
    for (TControl* c : Controls)
        Show(*c, TChange::Geometry);
    ShowForm(TChange::MinSize);
    ShowLogs();
}

void TMirror::ControlChanged(TControl& control, TChange what) {
    const TFlagGuard applying(IsApplying);
    if (&control != &Form)
        Show(control, what);
    else if (what != TChange::Geometry || !UserMoving)
        ShowForm(what);
}

void TMirror::ShowForm(TChange what) {
    switch (what) {
    case TChange::Caption:
        Native.ShowTitle(Form.Caption());
        break;
    case TChange::Geometry: {
        const TRect& r = Form.Geometry();
        Native.ShowWindowRect({r.Left, r.Top, ToScreen(r.Width), ToScreen(r.Height)});
        break;
    }
    case TChange::MinSize:
        Native.ShowMinSize(ToScreen(Form.MinWidth()), ToScreen(Form.MinHeight()));
        break;
    case TChange::Focus:
        if (Form.Focused() != nullptr)
            Native.ShowFocus(*Form.Focused());
        break;
    case TChange::Visible:
    case TChange::Raised:
        Native.ShowVisible(Form, Form.Visible());
        break;
    default:
        break;
    }
}

void TMirror::ShowLogs() {
    // The side log is the one after the splitter; both come and go together.
    const TControl* splitter = nullptr;
    for (const TControl* c : Controls) {
        if (c->Kind() == TControlKind::Splitter) {
            splitter = c;
        } else if (splitter != nullptr && c->Kind() == TControlKind::Memo) {
            Native.ShowLogs(splitter->Visible() && c->Visible(), ToScreen(c->Geometry().Width));
            return;
        }
    }
}

TRect TMirror::NativeRect(const TControl& control) const {
    TRect r = control.Geometry();
    for (const TControl* p = control.Parent();
         !Native.NestsInGroups() && p != nullptr && p->Kind() == TControlKind::GroupBox;
         p = p->Parent()) {
        r.Left += p->Geometry().Left;
        r.Top += p->Geometry().Top;
    }
    return ScaledToDpi(r, Dpi);
}

void TMirror::Show(TControl& c, TChange what) {
    switch (c.Kind()) {
    case TControlKind::Timer:
        if (what == TChange::Timer)
            Native.ShowTimer(static_cast<TTimer&>(c));
        return;
    case TControlKind::Memo:
    case TControlKind::Splitter:
        // Placed by the window's own layout beside the panel.
        if (what == TChange::Visible)
            ShowLogs();
        return;
    case TControlKind::Panel:
    case TControlKind::Form:
        return;
    case TControlKind::Table: {
        auto& table = static_cast<TTable&>(c);
        if (what == TChange::Columns)
            Native.ShowColumns(table);
        else if (what == TChange::Rows)
            Native.ShowRows(table);
        else if (what == TChange::Selection)
            Native.ShowSelection(table);
        break;
    }
    case TControlKind::BarChart:
        if (what == TChange::Rows)
            Native.ShowChart(static_cast<TBarChart&>(c));
        break;
    default:
        break;
    }
    // A label as wide as 0 takes the size of its caption.
    const bool fitToText = c.Kind() == TControlKind::Label && c.Geometry().Width == 0;
    switch (what) {
    case TChange::Enabled:
        if (c.Kind() == TControlKind::GroupBox)
            Native.ShowReadOnlyGroup(c, !c.Enabled());
        else
            Native.ShowEnabled(c, c.Enabled());
        break;
    case TChange::Visible:
        Native.ShowVisible(c, c.Visible());
        break;
    case TChange::Caption:
        if (c.Kind() == TControlKind::Edit || c.Kind() == TControlKind::Picture ||
            c.Kind() == TControlKind::ProgressBar || c.Kind() == TControlKind::Table ||
            c.Kind() == TControlKind::BarChart)
            break;
        Native.ShowText(c, c.Caption());
        if (fitToText)
            Native.ShowRect(c, NativeRect(c), true);
        break;
    case TChange::Text:
        if (c.Kind() == TControlKind::Edit)
            Native.ShowText(c, static_cast<TEdit&>(c).Text());
        break;
    case TChange::Hint:
        Native.ShowHint(c, c.Hint());
        break;
    case TChange::Geometry:
        Native.ShowRect(c, NativeRect(c), fitToText);
        break;
    case TChange::Checked:
        if (c.Kind() == TControlKind::CheckBox)
            Native.ShowChecked(c, static_cast<TCheckBox&>(c).Checked());
        else if (c.Kind() == TControlKind::RadioButton)
            Native.ShowChecked(c, static_cast<TRadioButton&>(c).Checked());
        break;
    case TChange::Gauge:
        if (c.Kind() == TControlKind::ProgressBar)
            ShowGauge(static_cast<TProgressBar&>(c));
        break;
    default:
        break;
    }
}

void TMirror::ShowGauge(TProgressBar& bar) {
    TGaugeShown now;
    now.Min = bar.Min();
    now.Max = bar.Max();
    now.Color = bar.BarColor();
    const long long span = static_cast<long long>(now.Max) - now.Min;
    const long long width = NativeRect(bar).Width;
    now.Filled =
        span <= 0
            ? 0
            : static_cast<int>((static_cast<long long>(bar.Position()) - now.Min) * width / span);
    TGaugeShown& shown = GaugesShown[&bar];
    if (shown == now)
        return;
    shown = now;
    Native.ShowGauge(bar);
}

void TMirror::Clicked(TControl& control) {
    if (IsApplying)
        return;
    switch (control.Kind()) {
    case TControlKind::Button:
    case TControlKind::Picture:
        static_cast<TButton&>(control).Click();
        break;
    case TControlKind::CheckBox:
        static_cast<TCheckBox&>(control).Click();
        break;
    case TControlKind::RadioButton:
        static_cast<TRadioButton&>(control).Click();
        break;
    default:
        break;
    }
}

void TMirror::Toggled(TControl& control, bool checked) {
    if (IsApplying)
        return;
    if (control.Kind() == TControlKind::CheckBox)
        static_cast<TCheckBox&>(control).SetChecked(checked);
    else if (control.Kind() == TControlKind::RadioButton && checked)
        static_cast<TRadioButton&>(control).SetChecked(true);
}

void TMirror::Edited(TControl& control, const std::string& text) {
    if (!IsApplying && control.Kind() == TControlKind::Edit)
        static_cast<TEdit&>(control).SetText(text);
}

void TMirror::RowChosen(TControl& table, int row) {
    if (!IsApplying && table.Kind() == TControlKind::Table)
        static_cast<TTable&>(table).Select(row);
}

bool TMirror::FunctionKey(int n) {
    return Form.FunctionKey(n);
}

bool TMirror::CloseBox() {
    if (!Form.HidesOnClose())
        return true;
    Form.SetVisible(false);
    return false;
}

void TMirror::ClientResized(int width, int height) {
    // Not an echo to ignore: the layout follows the inside, whoever sized it.
    Form.SetClientSize(width, height);
}

void TMirror::ShowWindowAgain() {
    const TFlagGuard applying(IsApplying);
    ShowForm(TChange::MinSize);
    ShowForm(TChange::Geometry);
}

void TMirror::WindowMoved(const TRect& outer) {
    if (IsApplying)
        return;
    const TRect user{outer.Left, outer.Top, ScaledFromDpi(outer.Width, Dpi),
                     ScaledFromDpi(outer.Height, Dpi)};
    {
        // Showing the size back, rounded through the scale, would fight the
        // user's drag by a pixel.
        const TFlagGuard moving(UserMoving);
        Form.Move(user.Left, user.Top);
        Form.Resize(user.Width, user.Height);
    }
    if (!(Form.Geometry() == user)) {
        const TFlagGuard applying(IsApplying);
        ShowForm(TChange::Geometry);
    }
}
