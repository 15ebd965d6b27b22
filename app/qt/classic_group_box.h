// A group box drawn the classic way: the caption sits on the frame's top
// line, and the frame starts half a caption height below the box's top, so
// controls placed near the top of the box lie inside the frame. The
// toolkit's own styles draw the caption above the frame instead, and the
// frame then runs through the first row of controls.
#pragma once

#include <QGroupBox>

class TClassicGroupBox : public QGroupBox {
public:
    explicit TClassicGroupBox(QWidget* parent) : QGroupBox(parent) {}

    // The frame's top line, in the box's own coordinates.
    int FrameTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Disables a group box so that none of its children can be operated, while
// they keep the look of enabled controls: they are shown for reading, and
// greyed text would be hard to read. Children in except keep the disabled
// look (a field disabled in its own right).
void DisableKeepingTheLook(QGroupBox* box, const QList<QWidget*>& except);
