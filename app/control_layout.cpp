#include "control_layout.h"

#include "control_defs.h"

#include <algorithm>

TPanelLayout ControlSizes() {
    TPanelLayout l;
    l.btnCheck = MainControlDef("btnCheck").Rect;
    l.RadioGroupComPort = MainControlDef("RadioGroupComPort").Rect;
    l.GroupBoxHardware = MainControlDef("GroupBoxHardware").Rect;
    l.GroupBoxTextfeld = MainControlDef("GroupBoxTextfeld").Rect;
    l.btnStart = MainControlDef("btnStart").Rect;
    l.btnStop = MainControlDef("btnStop").Rect;
    l.btnClose = MainControlDef("btnClose").Rect;
    l.GroupBoxAnzeige1 = MainControlDef("GroupBoxAnzeige1").Rect;
    l.GroupBoxFilter = MainControlDef("GroupBoxFilter").Rect;
    l.GroupBoxAnzeigeSchalt = MainControlDef("GroupBoxAnzeigeSchalt").Rect;
    l.GroupBoxAnzeigeLok = MainControlDef("GroupBoxAnzeigeLok").Rect;
    l.Image1 = MainControlDef("Image1").Rect;
    l.ProgressBar2 = MainControlDef("ProgressBar2").Rect;
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

TLogsLayout ArrangeLogs(int width, int height, int panelWidth, int splitterWidth, bool sideShown,
                        int sideWidth) {
    TLogsLayout l;
    if (!sideShown) {
        l.First = {panelWidth, 0, std::max(0, width - panelWidth), height};
        return l;
    }
    // Neither log shrinks below 20 pixels while the window has room for it.
    l.SideWidth = std::clamp(sideWidth, 20, std::max(20, width - panelWidth - splitterWidth - 20));
    const int first = std::max(0, width - panelWidth - splitterWidth - l.SideWidth);
    l.First = {panelWidth, 0, first, height};
    l.Splitter = {panelWidth + first, 0, splitterWidth, height};
    l.Side = {panelWidth + first + splitterWidth, 0, l.SideWidth, height};
    return l;
}
