// The picture of the panel: a label that reports clicks.
#pragma once

#include <QLabel>

class TClickableImage : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
