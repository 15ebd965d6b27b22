#include "control_layout.h"

TPanelLayout ControlSizes() {
    TPanelLayout l;
    l.btnCheck = {16, 16, 75, 25};
    l.RadioGroupComPort = {0, 0, 169, 89};
    l.GroupBoxHardware = {0, 0, 169, 113};
    l.GroupBoxTextfeld = {0, 0, 169, 81};
    l.btnStart = {8, 0, 153, 25};
    l.btnStop = {8, 0, 153, 25};
    l.btnClose = {0, 0, 153, 19};
    l.GroupBoxAnzeige1 = {0, 0, 169, 127};
    l.GroupBoxFilter = {0, 0, 169, 66};
    l.GroupBoxAnzeigeSchalt = {0, 0, 169, 106};
    l.GroupBoxAnzeigeLok = {0, 0, 169, 151};
    l.Image1 = {0, 0, 200, 32};
    l.ProgressBar2 = {0, 0, 0, 16};
    return l;
}

TPanelLayout ArrangeLayout(TPanelLayout l) {
    // Left column, stacked below the port search button.
    l.RadioGroupComPort.Top = l.btnCheck.Bottom() + 5;
    l.GroupBoxHardware.Top = l.RadioGroupComPort.Bottom();
    l.GroupBoxTextfeld.Top = l.GroupBoxHardware.Bottom();
    l.btnStart.Top = l.GroupBoxTextfeld.Bottom() + 5;
    l.btnStop.Top = l.btnStart.Bottom() + 2;
    l.btnClose.Top = l.btnStop.Bottom() + 2;
    l.btnClose.Left = l.btnStop.Left;

    // Right column, beside the port frame.
    l.GroupBoxAnzeige1.Top = l.RadioGroupComPort.Top;
    l.GroupBoxAnzeige1.Left = l.RadioGroupComPort.Left + l.RadioGroupComPort.Width + 5;
    l.GroupBoxFilter.Top = l.GroupBoxAnzeige1.Bottom();
    l.GroupBoxAnzeigeSchalt.Top = l.GroupBoxFilter.Bottom();
    l.GroupBoxAnzeigeLok.Top = l.GroupBoxAnzeigeSchalt.Bottom();
    l.GroupBoxFilter.Left = l.GroupBoxAnzeige1.Left;
    l.GroupBoxAnzeigeSchalt.Left = l.GroupBoxAnzeige1.Left;
    l.GroupBoxAnzeigeLok.Left = l.GroupBoxAnzeige1.Left;

    // Below both columns.
    l.Image1.Top = l.GroupBoxAnzeigeLok.Bottom() + 2;
    l.Image1.Left = l.btnStop.Left;
    l.ProgressBar2.Top = l.Image1.Bottom() + 2;
    l.ProgressBar2.Left = l.btnStop.Left;
    l.ProgressBar2.Width = l.GroupBoxHardware.Width + l.GroupBoxAnzeige1.Width;

    l.WindowHeight = l.GroupBoxAnzeige1.Top + l.GroupBoxAnzeige1.Height + l.GroupBoxFilter.Height +
                     l.GroupBoxAnzeigeSchalt.Height + l.GroupBoxAnzeigeLok.Height +
                     l.Image1.Height + l.btnClose.Height + 90;
    return l;
}
