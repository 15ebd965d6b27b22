// The text field under both logs: a scroll area that paints only the rows in
// view from a TLogStore. Long lines wrap at the view's width, anywhere in the
// line (as a character grid for a fixed-pitch font); the scroll bar counts
// wrapped rows. It can be edited like a plain text field, so a user can
// annotate a log before saving it.
#pragma once

#include "log_store.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QFont>

#include <array>
#include <string>
#include <vector>

class QIODevice;
class QMenu;

class TLogWidget : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TLogWidget(QWidget* parent = nullptr);

    const TLogStore& Store() const { return Lines; }
    size_t LineCount() const { return Lines.LineCount(); }

    // Appends lines at the end ('\n' separates them). While the view shows the
    // end it keeps showing it; when the user has scrolled up it stays put.
    void AppendLatin1(std::string_view text);
    void Clear();

    TLogPos CaretPos() const { return Caret; }
    TLogPos AnchorPos() const { return Anchor; }
    // Moves the caret; keepAnchor extends the selection to it.
    void SetCaretPos(TLogPos pos, bool keepAnchor = false);
    bool HasSelection() const { return Caret != Anchor; }
    // The selection as plain text, one '\n' between lines.
    QString SelectedText() const;

    void SelectAll();
    void Copy();
    void Cut();
    void Paste();
    void DeleteSelection();
    // Types text over the selection, or at the caret; '\n' splits the line.
    // Characters outside Latin-1 become '?'.
    void InsertText(const QString& text);

    // The editing menu of the right mouse button; the caller owns it.
    QMenu* CreateContextMenu(QWidget* parent = nullptr);

    // The whole text as UTF-8, CR LF after every line; false when the device
    // refused to write.
    bool WriteTo(QIODevice& device) const;

    // Where the caret stands when it is at pos, in viewport coordinates.
    QRect CaretRect(TLogPos pos) const;

    // Wrapping as it stands, for the tests.
    size_t RowsOfLine(size_t line) const;
    size_t TotalRows() const { return RowEnds.Empty() ? 0 : RowEnds.Back(); }
    int VisibleRows() const;
    // Characters per row with a fixed-pitch font, 0 with a proportional one.
    int Columns() const { return FixedPitch ? ColumnCount : 0; }

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
    void contextMenuEvent(QContextMenuEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void timerEvent(QTimerEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class TMove {
        PrevChar,
        NextChar,
        PrevWord,
        NextWord,
        RowUp,
        RowDown,
        PageUp,
        PageDown,
        LineStart,
        LineEnd,
        DocStart,
        DocEnd
    };

    void UpdateMetrics();
    void Rewrap();
    void UpdateScrollBar();
    size_t RowsOf(std::string_view text) const;
    // Start of every wrapped row of text (the first is 0).
    void RowStarts(std::string_view text, std::vector<size_t>& starts) const;
    size_t RowsBefore(size_t line) const { return line == 0 ? 0 : RowEnds[line - 1]; }
    // The line holding the wrapped row (global row index).
    size_t LineOfRow(size_t row) const;
    qreal Advance(std::string_view text, size_t from, size_t to) const;
    int TextWidth() const;
    // Where a place is drawn: the global row and the x inside the text area.
    void Locate(TLogPos pos, size_t& row, qreal& x) const;
    TLogPos PosAtRow(size_t row, qreal x) const;
    TLogPos PosAt(QPointF point) const;
    TLogPos MoveTarget(TMove move) const;
    void Move(TMove move, bool select);
    void Edit(TLogPos from, TLogPos to, const std::string& text);
    void EnsureCaretVisible();
    void RestartBlink();
    void AutoScroll();

    TLogStore Lines;
    // Rows of lines 0..i together, for finding a row's line by binary search.
    TPodArray<uint32_t> RowEnds;

    QFont DrawFont;
    std::array<qreal, 256> Advances{};
    std::array<char16_t, 256> Shown{};
    qreal MaxAdvance = 1;
    qreal CharWidth = 1;
    bool FixedPitch = true;
    int ColumnCount = 1;
    int RowHeight = 1;
    int Ascent = 0;
    int WrapWidth = -1;

    TLogPos Caret;
    TLogPos Anchor;
    qreal WantedX = -1;
    bool Dragging = false;
    bool CaretOn = false;
    QPoint DragPoint;
    QBasicTimer BlinkTimer;
    QBasicTimer ScrollTimer;
};
