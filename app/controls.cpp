#include "controls.h"

#include <algorithm>

TControl::TControl(const char* name, TControlKind kind, TControl* parent)
    : ControlName(name), ControlKind(kind), ParentControl(parent) {}

void TControl::Changed(TChange what) {
    if (Observer)
        Observer->ControlChanged(*this, what);
}

void TControl::SetEnabled(bool enabled) {
    if (IsEnabled == enabled)
        return;
    IsEnabled = enabled;
    Changed(TChange::Enabled);
}

bool TControl::Operable() const {
    for (const TControl* c = this; c != nullptr; c = c->ParentControl) {
        if (!c->IsEnabled)
            return false;
    }
    return true;
}

void TControl::SetVisible(bool visible) {
    if (IsVisible == visible)
        return;
    IsVisible = visible;
    Changed(TChange::Visible);
}

void TControl::SetCaption(const std::string& caption) {
    if (CaptionText == caption)
        return;
    CaptionText = caption;
    Changed(TChange::Caption);
}

void TControl::SetHint(const std::string& hint) {
    if (HintText == hint)
        return;
    HintText = hint;
    Changed(TChange::Hint);
}

void TControl::SetGeometry(const TRect& rect) {
    if (Rect == rect)
        return;
    Rect = rect;
    Changed(TChange::Geometry);
}

void TButton::Click() {
    if (Operable() && OnClick)
        OnClick();
}

void TCheckBox::SetChecked(bool checked) {
    if (IsChecked == checked)
        return;
    IsChecked = checked;
    Changed(TChange::Checked);
    if (OnClick)
        OnClick();
}

void TCheckBox::Click() {
    if (Operable())
        SetChecked(!IsChecked);
}

void TRadioButton::JoinGroup(std::vector<TRadioButton*>& group) {
    Group = &group;
    group.push_back(this);
}

void TRadioButton::SetChecked(bool checked) {
    if (IsChecked == checked)
        return;
    if (checked && Group != nullptr) {
        for (TRadioButton* other : *Group) {
            if (other != this && other->IsChecked) {
                other->IsChecked = false;
                other->Changed(TChange::Checked);
            }
        }
    }
    IsChecked = checked;
    Changed(TChange::Checked);
    if (checked && OnClick)
        OnClick();
}

void TRadioButton::Click() {
    if (Operable())
        SetChecked(true);
}

void TEdit::SetText(const std::string& text) {
    if (Value == text)
        return;
    Value = text;
    Changed(TChange::Text);
    if (OnChange)
        OnChange();
}

void TProgressBar::SetRange(int min, int max) {
    if (RangeMin == min && RangeMax == max)
        return;
    RangeMin = min;
    RangeMax = std::max(min, max);
    Pos = std::clamp(Pos, RangeMin, RangeMax);
    Changed(TChange::Gauge);
}

void TProgressBar::SetPosition(int position) {
    const int p = std::clamp(position, RangeMin, RangeMax);
    if (p == Pos)
        return;
    Pos = p;
    Changed(TChange::Gauge);
}

void TProgressBar::SetBarColor(TColorRef color) {
    if (Color == color)
        return;
    Color = color;
    Changed(TChange::Gauge);
}

void TTimer::SetInterval(int ms) {
    if (Milliseconds == ms)
        return;
    Milliseconds = ms;
    Changed(TChange::Timer);
}

void TTimer::SetRunning(bool running) {
    if (IsRunning == running)
        return;
    IsRunning = running;
    Changed(TChange::Timer);
}

void TTimer::Fire() {
    if (Running() && OnTimer)
        OnTimer();
}

void TForm::SetMinSize(int width, int height) {
    if (MinW != width || MinH != height) {
        MinW = width;
        MinH = height;
        Changed(TChange::MinSize);
    }
    Resize(Geometry().Width, Geometry().Height);
}

void TForm::Resize(int width, int height) {
    TRect r = Geometry();
    r.Width = std::max(width, MinW);
    r.Height = std::max(height, MinH);
    SetGeometry(r);
}

void TForm::Move(int left, int top) {
    TRect r = Geometry();
    r.Left = left;
    r.Top = top;
    SetGeometry(r);
}

void TForm::SetFocus(TControl& control) {
    if (FocusedControl == &control)
        return;
    FocusedControl = &control;
    Changed(TChange::Focus);
}

void TTable::SetColumns(std::vector<TTableColumn> columns) {
    ColumnList = std::move(columns);
    Changed(TChange::Columns);
}

const std::string& TTable::Cell(std::size_t row, std::size_t column) const {
    static const std::string none;
    const TRow& r = RowList[row];
    return column < r.size() ? r[column] : none;
}

void TTable::SetRows(std::vector<TRow> rows) {
    if (rows == RowList)
        return;
    RowList = std::move(rows);
    Changed(TChange::Rows);
    if (SelectedRow >= static_cast<int>(RowList.size()))
        Select(-1);
}

void TTable::Select(int row) {
    row = row < 0 || row >= static_cast<int>(RowList.size()) ? -1 : row;
    if (row == SelectedRow)
        return;
    SelectedRow = row;
    Changed(TChange::Selection);
    if (OnSelect)
        OnSelect();
}

void TBarChart::SetBars(std::vector<TBar> bars) {
    if (bars == BarList)
        return;
    BarList = std::move(bars);
    Changed(TChange::Rows);
}

void TForm::Show() {
    SetVisible(true);
    Changed(TChange::Raised);
}

void TForm::SetClientSize(int width, int height) {
    if (width == ClientW && height == ClientH)
        return;
    ClientW = width;
    ClientH = height;
    if (OnResize)
        OnResize();
}

void TForm::SetFunctionKey(int n, std::function<void()> action) {
    FunctionKeys.emplace_back(n, std::move(action));
}

bool TForm::FunctionKey(int n) {
    for (const auto& [key, action] : FunctionKeys) {
        if (key == n) {
            action();
            return true;
        }
    }
    return false;
}
