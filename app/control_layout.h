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
