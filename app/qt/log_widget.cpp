#include "log_widget.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <string>

namespace {

// Room between the frame and the text, as a plain text field leaves it.
constexpr int LeftMargin = 4;
constexpr int RightMargin = 4;
constexpr int TopMargin = 2;

QChar Shown(char c) {
    return QChar(static_cast<char16_t>(LogShownByte(static_cast<unsigned char>(c))));
}

// A log holds single-byte text only: characters outside Latin-1 become '?'.
std::string ToLatin1(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\x2029' || c == u'\x2028') {
            out.push_back('\n');
        } else if (c < 0x100) {
            out.push_back(static_cast<char>(c));
        } else {
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            out.push_back('?');
        }
    }
    return out;
}

QString FromLatin1(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TLogWidget::TLogWidget(TLogModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), Log(model) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_KeyCompression);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!Mirroring)
            Log.ScrollTo(static_cast<size_t>(std::max(0, value)));
    });
    MeasureFont();
    Log.SetListener(this);
    Log.SetMetrics(ViewMetrics());
    LogScrolled();
}

TLogWidget::~TLogWidget() {
    Log.SetListener(nullptr);
}

// --- Font and view size ---------------------------------------------------

void TLogWidget::MeasureFont() {
    // No kerning and no ligatures, so a row is as wide as the sum of its
    // characters and the model's arithmetic matches what is painted.
    DrawFont = font();
    DrawFont.setKerning(false);
    DrawFont.setStyleStrategy(
        QFont::StyleStrategy(DrawFont.styleStrategy() | QFont::PreferNoShaping));
    const QFontMetricsF fm(DrawFont);
    for (int c = 0; c < 256; ++c)
        Measured.Advances[static_cast<size_t>(c)] =
            fm.horizontalAdvance(Shown(static_cast<char>(c)));
    Measured.FixedPitch = Measured.AllAdvancesEqual();
    Measured.RowHeight = std::max(1, static_cast<int>(std::ceil(fm.lineSpacing())));
    Ascent = static_cast<int>(std::ceil(fm.ascent()));
}

TLogMetrics TLogWidget::ViewMetrics() const {
    TLogMetrics m = Measured;
    m.WrapWidth = std::max(1, viewport()->width() - LeftMargin - RightMargin);
    m.ViewHeight = viewport()->height() - TopMargin;
    return m;
}

void TLogWidget::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) {
        MeasureFont();
        Log.SetMetrics(ViewMetrics());
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(e);
}

void TLogWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    Log.SetMetrics(ViewMetrics());
}

// --- What the model says -----------------------------------------------------

void TLogWidget::LogRowsChanged(size_t firstRow) {
    // Rows below the view need no painting.
    if (firstRow < Log.TopRow() + Log.VisibleRows() + 1)
        viewport()->update();
}

void TLogWidget::LogScrolled() {
    Mirroring = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(static_cast<int>(std::min<size_t>(Log.VisibleRows(), INT_MAX)));
    bar->setRange(0, static_cast<int>(std::min<size_t>(Log.MaxTopRow(), INT_MAX)));
    bar->setValue(static_cast<int>(std::min<size_t>(Log.TopRow(), INT_MAX)));
    Mirroring = false;
}

void TLogWidget::LogCaretMoved() {
    RestartBlink();
    viewport()->update();
}

void TLogWidget::scrollContentsBy(int, int) {
    viewport()->update();
}

// --- Clipboard and menu --------------------------------------------------------

void TLogWidget::Copy() {
    if (Log.HasSelection())
        QApplication::clipboard()->setText(FromLatin1(Log.SelectedText()));
}

void TLogWidget::Cut() {
    if (Log.HasSelection())
        QApplication::clipboard()->setText(FromLatin1(Log.Cut()));
}

void TLogWidget::Paste() {
    Log.Paste(ToLatin1(QApplication::clipboard()->text()));
}

QMenu* TLogWidget::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = Log.HasSelection();
    auto add = [&](const QString& text, const char* name, QKeySequence::StandardKey key,
                   bool enabled, const std::function<void()>& run) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        if (key != QKeySequence::UnknownKey)
            a->setShortcut(QKeySequence(key));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, run);
    };
    add(QString::fromUtf8("&Ausschneiden"), "edit-cut", QKeySequence::Cut, selected,
        [this] { Cut(); });
    add(QString::fromUtf8("&Kopieren"), "edit-copy", QKeySequence::Copy, selected,
        [this] { Copy(); });
    add(QString::fromUtf8("&Einf\u00fcgen"), "edit-paste", QKeySequence::Paste,
        !QApplication::clipboard()->text().isEmpty(), [this] { Paste(); });
    add(QString::fromUtf8("&L\u00f6schen"), "edit-delete", QKeySequence::UnknownKey, selected,
        [this] { Log.DeleteSelection(); });
    menu->addSeparator();
    add(QString::fromUtf8("Alles &markieren"), "select-all", QKeySequence::SelectAll,
        Log.LineCount() > 0, [this] { Log.SelectAll(); });
    return menu;
}

// --- Keys and mouse ------------------------------------------------------------

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
        Log.SelectAll();
        return;
    }
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    switch (e->key()) {
    case Qt::Key_Left:
        Log.Move(ctrl ? TLogMove::PrevWord : TLogMove::PrevChar, shift);
        return;
    case Qt::Key_Right:
        Log.Move(ctrl ? TLogMove::NextWord : TLogMove::NextChar, shift);
        return;
    case Qt::Key_Up:
        Log.Move(TLogMove::RowUp, shift);
        return;
    case Qt::Key_Down:
        Log.Move(TLogMove::RowDown, shift);
        return;
    case Qt::Key_PageUp:
        Log.Move(TLogMove::PageUp, shift);
        return;
    case Qt::Key_PageDown:
        Log.Move(TLogMove::PageDown, shift);
        return;
    case Qt::Key_Home:
        Log.Move(ctrl ? TLogMove::DocStart : TLogMove::LineStart, shift);
        return;
    case Qt::Key_End:
        Log.Move(ctrl ? TLogMove::DocEnd : TLogMove::LineEnd, shift);
        return;
    case Qt::Key_Backspace:
        Log.Backspace();
        return;
    case Qt::Key_Delete:
        Log.Delete();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Log.Enter();
        return;
    default:
        break;
    }
    const QString text = e->text();
    const bool typing = !text.isEmpty() && !ctrl && !(e->modifiers() & Qt::AltModifier) &&
                        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (typing) {
        Log.InsertText(ToLatin1(text));
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

TLogPos TLogWidget::PosAt(QPointF point) const {
    const qreal y = point.y() - TopMargin;
    const qreal row = std::floor(y / Log.Metrics().RowHeight) + static_cast<qreal>(Log.TopRow());
    return Log.PosAtRow(static_cast<size_t>(std::max<qreal>(0, row)), point.x() - LeftMargin);
}

void TLogWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    Log.SetCaretPos(PosAt(e->position()), e->modifiers() & Qt::ShiftModifier);
    Dragging = true;
}

void TLogWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!Dragging || !(e->buttons() & Qt::LeftButton))
        return;
    DragPoint = e->position().toPoint();
    Log.SetCaretPos(PosAt(e->position()), true);
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
    if (e->button() != Qt::LeftButton || Log.LineCount() == 0)
        return;
    Log.SelectWordAt(PosAt(e->position()));
    Dragging = false;
}

void TLogWidget::AutoScroll() {
    if (DragPoint.y() < 0)
        Log.ScrollBy(-1);
    else if (DragPoint.y() >= viewport()->height())
        Log.ScrollBy(1);
    Log.SetCaretPos(PosAt(DragPoint), true);
}

void TLogWidget::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = CreateContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

// --- Caret blinking --------------------------------------------------------------

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

// --- Painting ----------------------------------------------------------------------

void TLogWidget::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    p.setFont(DrawFont);
    const QPalette& pal = palette();
    const QColor textColor = pal.color(QPalette::Text);
    const QColor highText = pal.color(QPalette::HighlightedText);
    const QColor highBack = pal.color(QPalette::Highlight);
    const int rowHeight = Log.Metrics().RowHeight;
    const int room = viewport()->height() - TopMargin;

    Log.RowsInView(room > 0 ? static_cast<size_t>((room + rowHeight - 1) / rowHeight) : 0, Rows);
    QString shown;
    int y = TopMargin;
    for (const TLogRowView& row : Rows) {
        shown.resize(static_cast<qsizetype>(row.Text.size()));
        for (size_t i = 0; i < row.Text.size(); ++i)
            shown[static_cast<qsizetype>(i)] = Shown(row.Text[i]);
        const qreal baseline = y + Ascent;
        if (row.SelectedFrom >= row.SelectedTo) {
            p.setPen(textColor);
            p.drawText(QPointF(LeftMargin, baseline), shown);
        } else {
            const qreal x0 = LeftMargin + row.SelectedLeft;
            const qreal x1 = LeftMargin + row.SelectedRight;
            const auto from = static_cast<qsizetype>(row.SelectedFrom);
            const auto to = static_cast<qsizetype>(row.SelectedTo);
            p.fillRect(QRectF(x0, y, x1 - x0, rowHeight), highBack);
            p.setPen(textColor);
            p.drawText(QPointF(LeftMargin, baseline), shown.left(from));
            p.drawText(QPointF(x1, baseline), shown.mid(to));
            p.setPen(highText);
            p.drawText(QPointF(x0, baseline), shown.mid(from, to - from));
        }
        // A selected line end shows as one highlighted blank after the text.
        if (row.LineEndSelected)
            p.fillRect(QRectF(LeftMargin + row.Width, y, Log.Metrics().Advances[' '], rowHeight),
                       highBack);
        y += rowHeight;
    }

    if (CaretOn && hasFocus())
        p.fillRect(CaretRect(Log.CaretPos()), textColor);
}

QRect TLogWidget::CaretRect(TLogPos pos) const {
    const TLogPlace place = Log.PlaceOf(pos);
    const int rowHeight = Log.Metrics().RowHeight;
    const long long top = static_cast<long long>(Log.TopRow());
    const long long y = TopMargin + (static_cast<long long>(place.Row) - top) * rowHeight;
    return QRect(static_cast<int>(std::lround(LeftMargin + place.X)), static_cast<int>(y), 1,
                 rowHeight);
}
