// The text field under both logs, in Qt: a scroll area that shows a
// TLogModel. It measures its font for the model's wrapping, paints the rows
// in view, and hands keys, the mouse and the menu to TLogViewInput, which
// decides what they do; the text itself lives only in the model.
#pragma once

#include "log_view_input.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>

#include <vector>

class QMenu;

// Qt's clipboard as the log needs it.
class TQtClipboard : public TLogClipboard {
public:
    std::string Text() const override;
    void SetText(const std::string& utf8) override;
};

class TLogWidget : public QAbstractScrollArea, private TLogModelListener {
    Q_OBJECT

public:
    // Shows model, which must outlive the widget.
    explicit TLogWidget(TLogModel& model, QWidget* parent = nullptr);
    ~TLogWidget() override;

    TLogModel& Model() const { return Log; }

    void Copy() { Input.Copy(); }
    void Cut() { Input.Cut(); }
    void Paste() { Input.Paste(); }

    // The editing menu of the right mouse button; the caller owns it.
    QMenu* CreateContextMenu(QWidget* parent = nullptr);

    // Where the caret stands when it is at pos, in viewport coordinates.
    QRect CaretRect(TLogPos pos) const;

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void LogRowsChanged(size_t firstRow) override;
    void LogScrolled() override;
    void LogCaretMoved() override;

    void MeasureFont();
    // The measured font with the viewport's size.
    TLogMetrics ViewMetrics() const;
    void RestartBlink();
    void FollowDragScrolling();

    TLogModel& Log;
    TQtClipboard Clipboard;
    TLogViewInput Input;
    QFont DrawFont;
    TLogMetrics Measured;
    int Ascent = 0;
    // Set while the scroll bar is made to show the model's position, so its
    // signals do not scroll the model back.
    bool Mirroring = false;

    bool CaretOn = false;
    QBasicTimer BlinkTimer;
    QBasicTimer ScrollTimer;
    std::vector<TLogRowView> Rows;
};
