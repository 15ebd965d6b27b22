// The text field under both logs, in Qt: a scroll area that shows a
// TLogModel through a TLogView. It measures its font, paints when asked and
// hands keys, the mouse and the menu to the view, which decides what they do;
// the text itself lives only in the model.
#pragma once

#include "log_view.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>

class QMenu;

class TLogWidget : public QAbstractScrollArea, private TLogSurface {
    Q_OBJECT

public:
    // Shows model, which must outlive the widget.
    explicit TLogWidget(TLogModel& model, QWidget* parent = nullptr);
    ~TLogWidget() override;

    TLogModel& Model() const { return View.Model(); }
    void SetProgressHost(TProgressHost* host) { View.SetProgressHost(host); }

    void Copy() { View.Copy(); }
    void Cut() { View.Cut(); }
    void Paste() { View.Paste(); }

    // The menu of the right mouse button, for the line at (viewport
    // coordinates; the caret's line without); the caller owns it.
    QMenu* CreateContextMenu(QWidget* parent = nullptr, const QPoint* at = nullptr);
    // The window's own entries in it.
    void SetOwnerMenu(const TLogOwnerMenu* menu) { View.SetOwnerMenu(menu); }

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
    std::string ClipboardText() const override;
    bool SetClipboardText(const std::string& utf8) override;
    void Invalidate(double fromY) override;
    void ScrollView(double dy) override;
    void ShowScrollBar(size_t maxTop, size_t page, size_t top, bool thumbMoved) override;
    void CaretMoved() override;
    bool Shown() const override;
    void RunFrameTimer(int milliseconds) override;
    void RunDragTimer(bool running) override;

    // Measures the font and the viewport for the view.
    void Measure();

    TLogView View;
    QFont DrawFont;
    int Ascent = 0;
    // Set while the scroll bar is made to show the model's position, so its
    // signals do not scroll the model back.
    bool Mirroring = false;
    bool CaretOn = false;
    QBasicTimer BlinkTimer;
    QBasicTimer FrameTimer;
    QBasicTimer ScrollTimer;
};
