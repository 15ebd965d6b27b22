#include "log_widget.h"

#include "latin1_text.h"

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

namespace {

// Room between the frame and the text, as a plain text field leaves it.
constexpr int LeftMargin = 4;
constexpr int RightMargin = 4;
constexpr int TopMargin = 2;

QChar Shown(char c) {
    return QChar(LogShownChar(static_cast<unsigned char>(c)));
}

TLogKey LogKeyOf(int key) {
    switch (key) {
    case Qt::Key_Left:
        return TLogKey::Left;
    case Qt::Key_Right:
        return TLogKey::Right;
    case Qt::Key_Up:
        return TLogKey::Up;
    case Qt::Key_Down:
        return TLogKey::Down;
    case Qt::Key_PageUp:
        return TLogKey::PageUp;
    case Qt::Key_PageDown:
        return TLogKey::PageDown;
    case Qt::Key_Home:
        return TLogKey::Home;
    case Qt::Key_End:
        return TLogKey::End;
    case Qt::Key_Backspace:
        return TLogKey::Backspace;
    case Qt::Key_Delete:
        return TLogKey::Delete;
    case Qt::Key_Insert:
        return TLogKey::Insert;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return TLogKey::Enter;
    case Qt::Key_A:
        return TLogKey::A;
    case Qt::Key_C:
        return TLogKey::C;
    case Qt::Key_V:
        return TLogKey::V;
    case Qt::Key_X:
        return TLogKey::X;
    default:
        return TLogKey::Other;
    }
}

TLogKeyMods ModsOf(const QKeyEvent* e) {
    return {(e->modifiers() & Qt::ShiftModifier) != 0, (e->modifiers() & Qt::ControlModifier) != 0,
            (e->modifiers() & Qt::AltModifier) != 0};
}

QKeySequence ShortcutOf(TLogCommand command) {
    switch (command) {
    case TLogCommand::Cut:
        return QKeySequence::Cut;
    case TLogCommand::Copy:
        return QKeySequence::Copy;
    case TLogCommand::Paste:
        return QKeySequence::Paste;
    case TLogCommand::SelectAll:
        return QKeySequence::SelectAll;
    case TLogCommand::Delete:
        break;
    }
    return QKeySequence();
}

const char* ActionName(TLogCommand command) {
    const char* const names[] = {"edit-cut", "edit-copy", "edit-paste", "edit-delete",
                                 "select-all"};
    return names[static_cast<int>(command)];
}

} // namespace

std::string TQtClipboard::Text() const {
    return QApplication::clipboard()->text().toUtf8().toStdString();
}

void TQtClipboard::SetText(const std::string& utf8) {
    QApplication::clipboard()->setText(
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

TLogWidget::TLogWidget(TLogModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), Log(model), Input(model, Clipboard, LeftMargin, TopMargin) {
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

// --- Keys, mouse and menu ------------------------------------------------------

QMenu* TLogWidget::CreateContextMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    for (const TLogMenuItem& item : Input.ContextMenu()) {
        if (item.SeparatorBefore)
            menu->addSeparator();
        QAction* a = menu->addAction(QString::fromUtf8(item.Caption));
        a->setObjectName(QString::fromLatin1(ActionName(item.Command)));
        a->setShortcut(ShortcutOf(item.Command));
        a->setEnabled(item.Enabled);
        const TLogCommand command = item.Command;
        connect(a, &QAction::triggered, this, [this, command] { Input.Run(command); });
    }
    return menu;
}

bool TLogWidget::event(QEvent* e) {
    if (e->type() == QEvent::ShortcutOverride) {
        // Keys the text field uses itself must not trigger the window's
        // shortcuts.
        auto* ke = static_cast<QKeyEvent*>(e);
        const Qt::KeyboardModifiers mods =
            ke->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        const bool plain = mods == Qt::NoModifier && ke->key() != Qt::Key_Tab &&
                           ke->key() != Qt::Key_Backtab && ke->key() != Qt::Key_Escape;
        const bool ctrlKey = (mods & Qt::ControlModifier) && LogKeyOf(ke->key()) != TLogKey::Other;
        if (plain || ctrlKey) {
            e->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TLogWidget::keyPressEvent(QKeyEvent* e) {
    if (Input.Key(LogKeyOf(e->key()), ModsOf(e)))
        return;
    const QString text = e->text();
    const bool typing = !text.isEmpty() && !(e->modifiers() & Qt::ControlModifier) &&
                        !(e->modifiers() & Qt::AltModifier) &&
                        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (typing) {
        const QByteArray utf8 = text.toUtf8();
        Input.Type(
            Utf8ToLatin1(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))));
        return;
    }
    QAbstractScrollArea::keyPressEvent(e);
}

void TLogWidget::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(e);
        return;
    }
    Input.Press(e->position().x(), e->position().y(), e->modifiers() & Qt::ShiftModifier);
}

void TLogWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton))
        return;
    Input.Drag(e->position().x(), e->position().y());
    FollowDragScrolling();
}

void TLogWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        Input.Release();
        FollowDragScrolling();
    }
}

void TLogWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        Input.DoubleClick(e->position().x(), e->position().y());
}

void TLogWidget::wheelEvent(QWheelEvent* e) {
    Input.Wheel(e->angleDelta().y() / 120.0);
    e->accept();
}

void TLogWidget::FollowDragScrolling() {
    if (Input.DragScrolling() && !ScrollTimer.isActive())
        ScrollTimer.start(TLogViewInput::DragScrollMilliseconds, this);
    else if (!Input.DragScrolling())
        ScrollTimer.stop();
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
        Input.DragScrollTick();
        FollowDragScrolling();
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
    const TLogCaretBox box = Input.CaretBox(pos);
    return QRect(static_cast<int>(std::lround(box.X)), static_cast<int>(std::lround(box.Y)), 1,
                 box.Height);
}
