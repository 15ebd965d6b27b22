#include "fonts.h"

#include <QStringList>

QFont ControlFont(bool bold) {
    QFont f;
    // Condensed fits the panel's captions in the widths the layout gives.
    f.setFamilies({"MS Sans Serif", "DejaVu Sans Condensed", "DejaVu Sans"});
    f.setPointSize(8);
    f.setBold(bold);
    return f;
}

QFont MonitorFont() {
    QFont f;
    f.setFamilies({"Courier", "DejaVu Sans Mono"});
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(8);
    return f;
}
