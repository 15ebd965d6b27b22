// The arithmetic of ArrangeControls, apart from the widgets: where each block
// of the left panel goes and how high the window is, from the controls'
// sizes. Plain data so it can be tested without a window.
#pragma once

struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    constexpr int Bottom() const { return Top + Height; }
    constexpr bool operator==(const TRect& o) const {
        return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height;
    }
};

struct TPanelLayout {
    TRect btnCheck, RadioGroupComPort, GroupBoxHardware, GroupBoxTextfeld;
    TRect btnStart, btnStop, btnClose;
    TRect GroupBoxAnzeige1, GroupBoxFilter, GroupBoxAnzeigeSchalt, GroupBoxAnzeigeLok;
    TRect Image1, ProgressBar2;
    // Outer height: title bar and frame included.
    int WindowHeight = 0;
};

// value * numerator / denominator, rounded to the nearest, halves away from
// zero, as the system's MulDiv rounds.
constexpr int MulDivRounded(int value, int numerator, int denominator) {
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / denominator);
}

// Every place and size of the layout is in pixels at 96 dots per inch. On a
// screen of another resolution (a laptop at 150 % has 144) a front end
// shows them scaled by dpi / 96, and takes the user's sizes back.
constexpr int ScaledToDpi(int value, int dpi) {
    return MulDivRounded(value, dpi, 96);
}
constexpr int ScaledFromDpi(int value, int dpi) {
    return MulDivRounded(value, 96, dpi);
}
// Each of the four numbers scaled on its own, as a dialog's units are.
constexpr TRect ScaledToDpi(const TRect& r, int dpi) {
    return {ScaledToDpi(r.Left, dpi), ScaledToDpi(r.Top, dpi), ScaledToDpi(r.Width, dpi),
            ScaledToDpi(r.Height, dpi)};
}

constexpr int MinWindowWidth = 1000;
constexpr int MinWindowHeight = 600;

// The sizes of the control table (control_table.h); the lefts and tops that
// ArrangeControls does not compute.
TPanelLayout ControlSizes();

// Fills in the computed tops, lefts, the gauge's width and the window height.
TPanelLayout ArrangeLayout(TPanelLayout sizes);

// Where the logs go in a window whose inside is width x height, beside the
// panel: the first log fills what the others leave; the side log (when
// shown) keeps sideWidth, within what the window leaves it, with the
// splitter to its left.
struct TLogsLayout {
    TRect First, Splitter, Side;
    // The side log's width, kept within what the window leaves.
    int SideWidth = 0;
};
TLogsLayout ArrangeLogs(int width, int height, int panelWidth, int splitterWidth, bool sideShown,
                        int sideWidth);
