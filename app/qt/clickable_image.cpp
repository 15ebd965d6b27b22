#include "clickable_image.h"

#include <QMouseEvent>
#include <QPainter>

void TClickableImage::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

QPixmap DrawFennoxLogo() {
    QPixmap pixmap(200, 32);
    pixmap.fill(QColor(0x1f, 0x3a, 0x5f));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Sleepers and two rails along the bottom.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8b, 0x5a, 0x2b));
    for (int x = 4; x < 200; x += 12)
        p.drawRect(x, 22, 6, 8);
    p.setBrush(QColor(0xc0, 0xc0, 0xc0));
    p.drawRect(0, 23, 200, 2);
    p.drawRect(0, 28, 200, 2);
    // A square wave for the DCC signal.
    p.setPen(QPen(QColor(0xff, 0xd7, 0x00), 1.5));
    QPolygonF wave;
    int level = 4;
    for (int x = 120, step = 0; x <= 196; x += (step % 3 == 0) ? 6 : 12, ++step) {
        wave << QPointF(x, level);
        level = level == 4 ? 16 : 4;
        wave << QPointF(x, level);
    }
    p.drawPolyline(wave);
    QFont font;
    font.setFamilies({"DejaVu Sans", "Sans Serif"});
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(6, 0, 110, 22), Qt::AlignLeft | Qt::AlignVCenter, "Fennox");
    return pixmap;
}
