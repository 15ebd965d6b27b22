// The picture of the panel: a label that reports clicks.
#pragma once

#include <QLabel>
#include <QPixmap>

class TClickableImage : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The program's own 200 x 32 picture: a stretch of track with the name.
QPixmap DrawFennoxLogo();
