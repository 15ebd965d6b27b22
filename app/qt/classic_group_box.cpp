#include "classic_group_box.h"

#include <QPainter>
#include <QPalette>

int TClassicGroupBox::FrameTop() const {
    return fontMetrics().height() / 2;
}

void TClassicGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // Always the enabled colours: a disabled box is read, not operated.
    const QPalette& pal = palette();
    const QColor shadow = pal.color(QPalette::Active, QPalette::Dark);
    const QColor light = pal.color(QPalette::Active, QPalette::Light);
    const QRect frame = rect().adjusted(0, FrameTop(), -1, -1);
    // The etched line: a shadow with a light line one pixel inside it.
    p.setPen(light);
    p.drawRect(frame.adjusted(1, 1, 0, 0));
    p.setPen(shadow);
    p.drawRect(frame.adjusted(0, 0, -1, -1));

    const QString text = title();
    if (text.isEmpty())
        return;
    const QFontMetrics fm = fontMetrics();
    const QRect label(8, 0, fm.horizontalAdvance(text) + 4, fm.height());
    p.fillRect(label, pal.color(QPalette::Active, QPalette::Window));
    p.setPen(pal.color(QPalette::Active, QPalette::WindowText));
    p.drawText(label, Qt::AlignCenter, text);
}

void DisableKeepingTheLook(QGroupBox* box, const QList<QWidget*>& except) {
    box->setEnabled(false);
    for (QWidget* child : box->findChildren<QWidget*>()) {
        if (except.contains(child))
            continue;
        QPalette pal = child->palette();
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = static_cast<QPalette::ColorRole>(role);
            pal.setColor(QPalette::Disabled, r, pal.color(QPalette::Active, r));
        }
        child->setPalette(pal);
    }
}
