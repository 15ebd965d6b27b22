#include "log_widget.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QIODevice>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// Room between the frame and the text, as a plain text field leaves it.
constexpr int LeftMargin = 4;
constexpr int RightMargin = 4;
constexpr int TopMargin = 2;

bool IsWordByte(char c) {
    const QChar ch(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return ch.isLetterOrNumber() || c == '_';
}

std::string ToLatin1(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            // CR LF and a lone CR both end a line.
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out.push_back('\n');
        } else if (c == u'\x2029' || c == u'\x2028') {
            out.push_back('\n');
        } else if (c < 0x100) {
            out.push_back(static_cast<char>(c));
        } else {
            // A log holds single-byte text only.
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            out.push_back('?');
        }
    }
    return out;
}

} // namespace

TLogWidget::TLogWidget(QWidget* parent) : QAbstractScrollArea(parent) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_KeyCompression);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    UpdateMetrics();
    Rewrap();
}

// --- Font and wrapping ----------------------------------------------------

void TLogWidget::UpdateMetrics() {
    // No kerning and no ligatures, so a row is as wide as the sum of its
    // characters and the arithmetic below matches what is painted.
    DrawFont = font();
    DrawFont.setKerning(false);
    DrawFont.setStyleStrategy(
        QFont::StyleStrategy(DrawFont.styleStrategy() | QFont::PreferNoShaping));
    const QFontMetricsF fm(DrawFont);
    MaxAdvance = 0;
    for (int c = 0; c < 256; ++c) {
        // Control characters show as blanks, the soft hyphen as a hyphen.
        char16_t shown = static_cast<char16_t>(c);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            shown = u' ';
        else if (c == 0xAD)
            shown = u'-';
        Shown[static_cast<size_t>(c)] = shown;
        Advances[static_cast<size_t>(c)] = fm.horizontalAdvance(QChar(shown));
        MaxAdvance = std::max(MaxAdvance, Advances[static_cast<size_t>(c)]);
    }
    CharWidth = Advances['0'];
    FixedPitch = std::all_of(Advances.begin(), Advances.end(),
                             [this](qreal a) { return std::abs(a - CharWidth) < 1e-6; });
    if (MaxAdvance <= 0)
        MaxAdvance = 1;
    if (CharWidth <= 0)
        CharWidth = 1;
    RowHeight = std::max(1, static_cast<int>(std::ceil(fm.lineSpacing())));
    Ascent = static_cast<int>(std::ceil(fm.ascent()));
    verticalScrollBar()->setSingleStep(1);
}

int TLogWidget::TextWidth() const {
    return std::max(1, viewport()->width() - LeftMargin - RightMargin);
}

size_t TLogWidget::RowsOf(std::string_view text) const {
    if (FixedPitch) {
        const size_t cols = static_cast<size_t>(ColumnCount);
        return text.empty() ? 1 : (text.size() + cols - 1) / cols;
    }
    // Most lines fit; only the long ones are walked character by character.
    if (static_cast<qreal>(text.size()) * MaxAdvance <= WrapWidth)
        return 1;
    size_t rows = 1;
    qreal x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const qreal a = Advances[static_cast<unsigned char>(text[i])];
        if (x + a > WrapWidth && x > 0) {
            ++rows;
            x = 0;
        }
        x += a;
    }
    return rows;
}

void TLogWidget::RowStarts(std::string_view text, std::vector<size_t>& starts) const {
    starts.clear();
    starts.push_back(0);
    if (FixedPitch) {
        const size_t cols = static_cast<size_t>(ColumnCount);
        for (size_t s = cols; s < text.size(); s += cols)
            starts.push_back(s);
        return;
    }
    qreal x = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const qreal a = Advances[static_cast<unsigned char>(text[i])];
        if (x + a > WrapWidth && x > 0) {
            starts.push_back(i);
            x = 0;
        }
        x += a;
    }
}

size_t TLogWidget::RowsOfLine(size_t line) const {
    return RowEnds[line] - RowsBefore(line);
}

size_t TLogWidget::LineOfRow(size_t row) const {
    const uint32_t* begin = RowEnds.Begin();
    const uint32_t* end = begin + RowEnds.Size();
    return static_cast<size_t>(std::upper_bound(begin, end, row) - begin);
}

qreal TLogWidget::Advance(std::string_view text, size_t from, size_t to) const {
    if (FixedPitch)
        return static_cast<qreal>(to - from) * CharWidth;
    qreal x = 0;
    for (size_t i = from; i < to; ++i)
        x += Advances[static_cast<unsigned char>(text[i])];
    return x;
}

void TLogWidget::Rewrap() {
    WrapWidth = TextWidth();
    ColumnCount = std::max(1, static_cast<int>(std::floor(WrapWidth / CharWidth)));
    const size_t n = Lines.LineCount();
    RowEnds.Resize(n);
    uint32_t rows = 0;
    if (FixedPitch) {
        // The hot loop for a million lines: one division per line.
        const uint32_t cols = static_cast<uint32_t>(ColumnCount);
        for (size_t i = 0; i < n; ++i) {
            const uint32_t len = static_cast<uint32_t>(Lines.LineLength(i));
            rows += len == 0 ? 1 : (len + cols - 1) / cols;
            RowEnds[i] = rows;
        }
    } else {
        for (size_t i = 0; i < n; ++i) {
            rows += static_cast<uint32_t>(RowsOf(Lines.Line(i)));
            RowEnds[i] = rows;
        }
    }
    UpdateScrollBar();
}

int TLogWidget::VisibleRows() const {
    return std::max(1, (viewport()->height() - TopMargin) / RowHeight);
}

void TLogWidget::UpdateScrollBar() {
    const int visible = VisibleRows();
    const size_t total = std::min<size_t>(TotalRows(), INT_MAX);
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(visible);
    bar->setRange(0, std::max(0, static_cast<int>(total) - visible));
}

// --- Appending and clearing ----------------------------------------------

void TLogWidget::AppendLatin1(std::string_view text) {
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    const size_t firstNewRow = TotalRows();
    for (size_t start = 0;;) {
        const size_t nl = text.find('\n', start);
        const std::string_view line = text.substr(start, nl - start);
        Lines.Append(line);
        RowEnds.PushBack(static_cast<uint32_t>(TotalRows() + RowsOf(line)));
        if (nl == std::string_view::npos)
            break;
        start = nl + 1;
    }
    UpdateScrollBar();
    if (atEnd)
        bar->setValue(bar->maximum());
    // Lines below the view need no painting.
    if (firstNewRow < static_cast<size_t>(bar->value()) + static_cast<size_t>(VisibleRows()) + 1)
        viewport()->update();
}

void TLogWidget::Clear() {
    Lines.Clear();
    RowEnds.Release();
    Caret = Anchor = TLogPos{};
    WantedX = -1;
    UpdateScrollBar();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

// --- Caret and selection ---------------------------------------------------

void TLogWidget::SetCaretPos(TLogPos pos, bool keepAnchor) {
    if (Lines.LineCount() == 0) {
        pos = TLogPos{};
    } else {
        pos.Line = std::min(pos.Line, Lines.LineCount() - 1);
        pos.Col = std::min(pos.Col, Lines.LineLength(pos.Line));
    }
    Caret = pos;
    if (!keepAnchor)
        Anchor = pos;
    RestartBlink();
    EnsureCaretVisible();
    viewport()->update();
}

QString TLogWidget::SelectedText() const {
    if (!HasSelection())
        return QString();
    const TLogPos from = std::min(Caret, Anchor);
    const TLogPos to = std::max(Caret, Anchor);
    const std::string text = Lines.Text(from, to);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void TLogWidget::SelectAll() {
    Anchor = TLogPos{};
    Caret = Lines.End();
    RestartBlink();
    viewport()->update();
}

void TLogWidget::Copy() {
    if (!HasSelection())
        return;
    QApplication::clipboard()->setText(SelectedText());
}

void TLogWidget::Cut() {
    if (!HasSelection())
        return;
    Copy();
    DeleteSelection();
}

void TLogWidget::Paste() {
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty())
        InsertText(text);
}

void TLogWidget::DeleteSelection() {
    if (HasSelection())
        Edit(std::min(Caret, Anchor), std::max(Caret, Anchor), std::string());
}

void TLogWidget::InsertText(const QString& text) {
    Edit(std::min(Caret, Anchor), std::max(Caret, Anchor), ToLatin1(text));
}

void TLogWidget::Edit(TLogPos from, TLogPos to, const std::string& text) {
    const size_t oldLines = std::max<size_t>(Lines.LineCount(), 1);
    const size_t oldRows = Lines.LineCount() == 0 ? 0 : RowEnds[to.Line] - RowsBefore(from.Line);
    const TLogPos end = Lines.Replace(from, to, text);
    const size_t newLines = std::max<size_t>(Lines.LineCount(), 1);
    if (Lines.LineCount() == 0) {
        RowEnds.Release();
    } else if (RowEnds.Empty()) {
        Rewrap();
    } else {
        // Only the replaced lines are wrapped again; the rows after them move
        // by the difference.
        const size_t replaced = to.Line - from.Line + 1;
        const size_t inserted = replaced + newLines - oldLines;
        if (inserted > replaced)
            RowEnds.InsertGap(from.Line + replaced, inserted - replaced);
        else
            RowEnds.Erase(from.Line + inserted, replaced - inserted);
        uint32_t rows = static_cast<uint32_t>(RowsBefore(from.Line));
        for (size_t i = from.Line; i < from.Line + inserted; ++i) {
            rows += static_cast<uint32_t>(RowsOf(Lines.Line(i)));
            RowEnds[i] = rows;
        }
        const size_t newRows = rows - RowsBefore(from.Line);
        if (newRows != oldRows) {
            const uint32_t diff = static_cast<uint32_t>(newRows - oldRows);
            for (size_t i = from.Line + inserted; i < RowEnds.Size(); ++i)
                RowEnds[i] += diff; // wraps round for fewer rows, as intended
        }
    }
    UpdateScrollBar();
    WantedX = -1;
    SetCaretPos(end);
}

void TLogWidget::Locate(TLogPos pos, size_t& row, qreal& x) const {
    if (Lines.LineCount() == 0) {
        row = 0;
        x = 0;
        return;
    }
    const std::string_view text = Lines.Line(pos.Line);
    std::vector<size_t> starts;
    RowStarts(text, starts);
    // A place at a wrap point is shown at the start of the next row.
    const size_t r = static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), pos.Col) -
                                         starts.begin()) -
                     1;
    row = RowsBefore(pos.Line) + r;
    x = Advance(text, starts[r], pos.Col);
}

TLogPos TLogWidget::PosAtRow(size_t row, qreal x) const {
    if (Lines.LineCount() == 0)
        return TLogPos{};
    row = std::min(row, TotalRows() - 1);
    const size_t line = LineOfRow(row);
    const std::string_view text = Lines.Line(line);
    std::vector<size_t> starts;
    RowStarts(text, starts);
    const size_t r = std::min(row - RowsBefore(line), starts.size() - 1);
    const size_t end = r + 1 < starts.size() ? starts[r + 1] : text.size();
    size_t col = starts[r];
    if (FixedPitch) {
        const qreal cells = std::max<qreal>(0, std::round(x / CharWidth));
        col = std::min(end, starts[r] + static_cast<size_t>(cells));
    } else {
        qreal left = 0;
        while (col < end) {
            const qreal a = Advances[static_cast<unsigned char>(text[col])];
            if (x < left + a / 2)
                break;
            left += a;
            ++col;
        }
    }
    return TLogPos{line, col};
}

TLogPos TLogWidget::PosAt(QPointF point) const {
    const qreal y = point.y() - TopMargin;
    const qreal row = std::floor(y / RowHeight) + verticalScrollBar()->value();
    return PosAtRow(static_cast<size_t>(std::max<qreal>(0, row)), point.x() - LeftMargin);
}

TLogPos TLogWidget::MoveTarget(TMove move) const {
    const size_t count = Lines.LineCount();
    if (count == 0)
        return TLogPos{};
    TLogPos p = Caret;
    const std::string_view line = Lines.Line(p.Line);
    switch (move) {
    case TMove::PrevChar:
        if (p.Col > 0)
            --p.Col;
        else if (p.Line > 0)
            p = TLogPos{p.Line - 1, Lines.LineLength(p.Line - 1)};
        return p;
    case TMove::NextChar:
        if (p.Col < line.size())
            ++p.Col;
        else if (p.Line + 1 < count)
            p = TLogPos{p.Line + 1, 0};
        return p;
    case TMove::PrevWord:
        if (p.Col == 0)
            return p.Line > 0 ? TLogPos{p.Line - 1, Lines.LineLength(p.Line - 1)} : p;
        while (p.Col > 0 && !IsWordByte(line[p.Col - 1]))
            --p.Col;
        while (p.Col > 0 && IsWordByte(line[p.Col - 1]))
            --p.Col;
        return p;
    case TMove::NextWord:
        if (p.Col == line.size())
            return p.Line + 1 < count ? TLogPos{p.Line + 1, 0} : p;
        while (p.Col < line.size() && IsWordByte(line[p.Col]))
            ++p.Col;
        while (p.Col < line.size() && !IsWordByte(line[p.Col]))
            ++p.Col;
        return p;
    case TMove::LineStart:
        return TLogPos{p.Line, 0};
    case TMove::LineEnd:
        return TLogPos{p.Line, line.size()};
    case TMove::DocStart:
        return TLogPos{};
    case TMove::DocEnd:
        return Lines.End();
    case TMove::RowUp:
    case TMove::RowDown:
    case TMove::PageUp:
    case TMove::PageDown: {
        size_t row;
        qreal x;
        Locate(Caret, row, x);
        if (WantedX >= 0)
            x = WantedX;
        const size_t step =
            move == TMove::RowUp || move == TMove::RowDown ? 1 : static_cast<size_t>(VisibleRows());
        if (move == TMove::RowUp || move == TMove::PageUp) {
            if (row == 0)
                return TLogPos{};
            row = row > step ? row - step : 0;
        } else {
            if (row + 1 >= TotalRows())
                return Lines.End();
            row = std::min(row + step, TotalRows() - 1);
        }
        return PosAtRow(row, x);
    }
    }
    return p;
}

void TLogWidget::Move(TMove move, bool select) {
    const bool vertical = move == TMove::RowUp || move == TMove::RowDown || move == TMove::PageUp ||
                          move == TMove::PageDown;
    if (vertical && WantedX < 0) {
        size_t row;
        Locate(Caret, row, WantedX);
    }
    const TLogPos target = MoveTarget(move);
    if (move == TMove::PageUp || move == TMove::PageDown) {
        // The page turns with the caret, as in any text field.
        QScrollBar* bar = verticalScrollBar();
        bar->setValue(bar->value() + (move == TMove::PageUp ? -1 : 1) * VisibleRows());
    }
    const qreal keep = WantedX;
    SetCaretPos(target, select);
    WantedX = vertical ? keep : -1;
}

void TLogWidget::EnsureCaretVisible() {
    size_t row;
    qreal x;
    Locate(Caret, row, x);
    QScrollBar* bar = verticalScrollBar();
    const size_t top = static_cast<size_t>(bar->value());
    const size_t visible = static_cast<size_t>(VisibleRows());
    if (row < top)
        bar->setValue(static_cast<int>(row));
    else if (row >= top + visible)
        bar->setValue(static_cast<int>(row - visible + 1));
}

// --- Clipboard, menu, file --------------------------------------------------

QMenu* TLogWidget::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = HasSelection();
    auto add = [&](const QString& text, const char* name, QKeySequence::StandardKey key,
                   bool enabled, void (TLogWidget::*slot)()) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (key != QKeySequence::UnknownKey)
            a->setShortcut(QKeySequence(key));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, slot);
    };
    add(tr("Cu&t"), "edit-cut", QKeySequence::Cut, selected, &TLogWidget::Cut);
    add(tr("&Copy"), "edit-copy", QKeySequence::Copy, selected, &TLogWidget::Copy);
    add(tr("&Paste"), "edit-paste", QKeySequence::Paste,
        !QApplication::clipboard()->text().isEmpty(), &TLogWidget::Paste);
    add(tr("Delete"), "edit-delete", QKeySequence::UnknownKey, selected,
        &TLogWidget::DeleteSelection);
    menu->addSeparator();
    add(tr("Select All"), "select-all", QKeySequence::SelectAll, Lines.LineCount() > 0,
        &TLogWidget::SelectAll);
    return menu;
}

bool TLogWidget::WriteTo(QIODevice& device) const {
    return Lines.WriteUtf8CrLf([&device](const char* data, size_t size) {
        return device.write(data, static_cast<qint64>(size)) == static_cast<qint64>(size);
    });
}

// --- Events -----------------------------------------------------------------

bool TLogWidget::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        // Keys the text field uses itself must not trigger the window's
        // shortcuts.
        auto* ke = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers mods =
            ke->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (ke->matches(QKeySequence::Copy) || ke->matches(QKeySequence::Cut) ||
            ke->matches(QKeySequence::Paste) || ke->matches(QKeySequence::SelectAll) ||
            (mods == Qt::NoModifier && ke->key() != Qt::Key_Tab && ke->key() != Qt::Key_Backtab &&
             ke->key() != Qt::Key_Escape)) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TLogWidget::keyPressEvent(QKeyEvent* e) {
    if (e->matches(QKeySequence::Cut)) {
        Cut();
        return;
    }
    if (e->matches(QKeySequence::Copy)) {
        Copy();
        return;
    }
    if (e->matches(QKeySequence::Paste)) {
        Paste();
        return;
    }
    if (e->matches(QKeySequence::SelectAll)) {
        SelectAll();
        return;
    }
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Left:
        Move(ctrl ? TMove::PrevWord : TMove::PrevChar, shift);
        return;
    case Qt::Key_Right:
        Move(ctrl ? TMove::NextWord : TMove::NextChar, shift);
        return;
    case Qt::Key_Up:
        Move(TMove::RowUp, shift);
        return;
    case Qt::Key_Down:
        Move(TMove::RowDown, shift);
        return;
    case Qt::Key_PageUp:
        Move(TMove::PageUp, shift);
        return;
    case Qt::Key_PageDown:
        Move(TMove::PageDown, shift);
        return;
    case Qt::Key_Home:
        Move(ctrl ? TMove::DocStart : TMove::LineStart, shift);
        return;
    case Qt::Key_End:
        Move(ctrl ? TMove::DocEnd : TMove::LineEnd, shift);
        return;
    case Qt::Key_Backspace:
        if (!HasSelection() && !(Caret == TLogPos{}))
            Anchor = MoveTarget(TMove::PrevChar);
        DeleteSelection();
        return;
    case Qt::Key_Delete:
        if (!HasSelection())
            Anchor = MoveTarget(TMove::NextChar);
        DeleteSelection();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        InsertText(QStringLiteral("\n"));
        return;
    default:
        break;
    }
    const QString text = e->text();
    const bool typing = !text.isEmpty() && !ctrl && !(e->modifiers() & Qt::AltModifier) &&
                        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (typing) {
        InsertText(text);
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TLogWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    WantedX = -1;
    SetCaretPos(PosAt(e->position()), e->modifiers() & Qt::ShiftModifier);
    Dragging = true;
}

void TLogWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!Dragging || !(e->buttons() & Qt::LeftButton))
        return;
    DragPoint = e->position().toPoint();
    SetCaretPos(PosAt(e->position()), true);
    // Outside the view the selection keeps growing while the view scrolls.
    const bool outside = DragPoint.y() < 0 || DragPoint.y() >= viewport()->height();
    if (outside && !ScrollTimer.isActive())
        ScrollTimer.start(50, this);
    else if (!outside)
        ScrollTimer.stop();
}

void TLogWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        Dragging = false;
        ScrollTimer.stop();
    }
}

void TLogWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || Lines.LineCount() == 0)
        return;
    const TLogPos at = PosAt(e->position());
    const std::string_view line = Lines.Line(at.Line);
    size_t from = at.Col;
    size_t to = at.Col;
    // The word under the pointer, or the one it touches from the right.
    if (to < line.size() && IsWordByte(line[to])) {
        while (to < line.size() && IsWordByte(line[to]))
            ++to;
        while (from > 0 && IsWordByte(line[from - 1]))
            --from;
    } else if (from > 0 && IsWordByte(line[from - 1])) {
        while (from > 0 && IsWordByte(line[from - 1]))
            --from;
    } else if (to < line.size()) {
        ++to;
    }
    Anchor = TLogPos{at.Line, from};
    SetCaretPos(TLogPos{at.Line, to}, true);
    Dragging = false;
}

void TLogWidget::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

void TLogWidget::focusInEvent(QFocusEvent* e) {
    RestartBlink();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(e);
}

void TLogWidget::focusOutEvent(QFocusEvent* e) {
    BlinkTimer.stop();
    CaretOn = false;
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(e);
}

void TLogWidget::RestartBlink() {
    CaretOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        BlinkTimer.start(flash / 2, this);
    else
        BlinkTimer.stop();
}

void TLogWidget::timerEvent(QTimerEvent* e) {
    if (e->timerId() == BlinkTimer.timerId()) {
        CaretOn = !CaretOn;
        viewport()->update();
    } else if (e->timerId() == ScrollTimer.timerId()) {
        AutoScroll();
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

void TLogWidget::AutoScroll() {
    QScrollBar* bar = verticalScrollBar();
    if (DragPoint.y() < 0)
        bar->setValue(bar->value() - 1);
    else if (DragPoint.y() >= viewport()->height())
        bar->setValue(bar->value() + 1);
    SetCaretPos(PosAt(DragPoint), true);
}

void TLogWidget::scrollContentsBy(int, int) {
    viewport()->update();
}

void TLogWidget::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) {
        UpdateMetrics();
        Rewrap();
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(e);
}

void TLogWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    if (TextWidth() != WrapWidth) {
        // Keep the line at the top of the view at the top.
        const size_t top = static_cast<size_t>(bar->value());
        const size_t line = top < TotalRows() ? LineOfRow(top) : 0;
        const size_t inLine = top < TotalRows() ? top - RowsBefore(line) : 0;
        Rewrap();
        if (line < Lines.LineCount())
            bar->setValue(
                static_cast<int>(RowsBefore(line) + std::min(inLine, RowsOfLine(line) - 1)));
    } else {
        UpdateScrollBar();
    }
    if (atEnd)
        bar->setValue(bar->maximum());
}

void TLogWidget::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setFont(DrawFont);
    const QPalette& pal = palette();
    const QColor textColor = pal.color(QPalette::Text);
    const QColor highText = pal.color(QPalette::HighlightedText);
    const QColor highBack = pal.color(QPalette::Highlight);
    const int height = viewport()->height();

    const TLogPos selFrom = std::min(Caret, Anchor);
    const TLogPos selTo = std::max(Caret, Anchor);
    const bool selection = HasSelection();

    const size_t top = static_cast<size_t>(verticalScrollBar()->value());
    std::vector<size_t> starts;
    QString shown;
    int y = TopMargin;
    size_t line = top < TotalRows() ? LineOfRow(top) : Lines.LineCount();
    size_t row = line < Lines.LineCount() ? top - RowsBefore(line) : 0;
    for (; line < Lines.LineCount() && y < height; ++line, row = 0) {
        const std::string_view text = Lines.Line(line);
        RowStarts(text, starts);
        // The selected part of this line; a selected line end shows as one
        // highlighted blank after the text.
        size_t a = SIZE_MAX, b = 0;
        bool lineEndSelected = false;
        if (selection && selFrom.Line <= line && line <= selTo.Line) {
            a = selFrom.Line == line ? selFrom.Col : 0;
            b = selTo.Line == line ? selTo.Col : text.size();
            lineEndSelected = selTo.Line > line;
        }
        for (; row < starts.size() && y < height; ++row, y += RowHeight) {
            const size_t c0 = starts[row];
            const size_t c1 = row + 1 < starts.size() ? starts[row + 1] : text.size();
            shown.resize(static_cast<qsizetype>(c1 - c0));
            for (size_t i = c0; i < c1; ++i)
                shown[static_cast<qsizetype>(i - c0)] =
                    QChar(Shown[static_cast<unsigned char>(text[i])]);
            const qreal baseline = y + Ascent;
            const size_t s0 = std::max(a, c0);
            const size_t s1 = std::min(b, c1);
            if (s0 >= s1) {
                p.setPen(textColor);
                p.drawText(QPointF(LeftMargin, baseline), shown);
            } else {
                const qreal x0 = LeftMargin + Advance(text, c0, s0);
                const qreal x1 = x0 + Advance(text, s0, s1);
                p.fillRect(QRectF(x0, y, x1 - x0, RowHeight), highBack);
                p.setPen(textColor);
                p.drawText(QPointF(LeftMargin, baseline),
                           shown.left(static_cast<qsizetype>(s0 - c0)));
                p.drawText(QPointF(x1, baseline), shown.mid(static_cast<qsizetype>(s1 - c0)));
                p.setPen(highText);
                p.drawText(QPointF(x0, baseline), shown.mid(static_cast<qsizetype>(s0 - c0),
                                                            static_cast<qsizetype>(s1 - s0)));
            }
            if (lineEndSelected && row + 1 == starts.size())
                p.fillRect(QRectF(LeftMargin + Advance(text, c0, c1), y, Advances[' '], RowHeight),
                           highBack);
        }
    }

    if (CaretOn && hasFocus())
        p.fillRect(CaretRect(Caret), textColor);
}

QRect TLogWidget::CaretRect(TLogPos pos) const {
    size_t row;
    qreal x;
    Locate(pos, row, x);
    const long long top = verticalScrollBar()->value();
    const long long y = TopMargin + (static_cast<long long>(row) - top) * RowHeight;
    return QRect(static_cast<int>(std::lround(LeftMargin + x)), static_cast<int>(y), 1, RowHeight);
}
