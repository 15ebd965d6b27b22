#include "log_widget.h"

#include "latin1_text.h"
#include "qt_platform.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWindow>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Room between the frame and the text, as a plain text field leaves it.
constexpr int LeftMargin = 4;
constexpr int RightMargin = 4;
constexpr int TopMargin = 2;

TLogKey LogKeyOf(int key) {
    static const std::pair<int, TLogKey> keys[] = {{Qt::Key_Left, TLogKey::Left},
                                                   {Qt::Key_Right, TLogKey::Right},
                                                   {Qt::Key_Up, TLogKey::Up},
                                                   {Qt::Key_Down, TLogKey::Down},
                                                   {Qt::Key_PageUp, TLogKey::PageUp},
                                                   {Qt::Key_PageDown, TLogKey::PageDown},
                                                   {Qt::Key_Home, TLogKey::Home},
                                                   {Qt::Key_End, TLogKey::End},
                                                   {Qt::Key_Backspace, TLogKey::Backspace},
                                                   {Qt::Key_Delete, TLogKey::Delete},
                                                   {Qt::Key_Insert, TLogKey::Insert},
                                                   {Qt::Key_Return, TLogKey::Enter},
                                                   {Qt::Key_Enter, TLogKey::Enter},
                                                   {Qt::Key_A, TLogKey::A},
                                                   {Qt::Key_C, TLogKey::C},
                                                   {Qt::Key_V, TLogKey::V},
                                                   {Qt::Key_X, TLogKey::X}};
    for (const auto& [qt, log] : keys) {
        if (qt == key)
            return log;
    }
    return TLogKey::Other;
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
    case TLogCommand::Owner:
        break;
    }
    return QKeySequence();
}

QString ActionName(TLogCommand command) {
    const char* const names[] = {"edit-cut", "edit-copy", "edit-paste", "edit-delete",
                                 "select-all"};
    const int i = static_cast<int>(command);
    const int owner = static_cast<int>(TLogCommand::Owner);
    return i < owner ? QString::fromLatin1(names[i]) : QString("owner-%1").arg(i - owner);
}

} // namespace

// Draws the view's rows with a painter.
class TQtCanvas : public TLogCanvas {
public:
    TQtCanvas(QPainter& painter, const QPalette& palette, int ascent)
        : Painter(painter), Palette(palette), Ascent(ascent) {}
    void Fill(double x, double y, double width, double height, TLogInk ink) override {
        Painter.fillRect(QRectF(x, y, width, height), ColorOf(ink));
    }
    void Text(double x, double y, std::string_view latin1, TLogInk ink) override {
        Shown.resize(static_cast<qsizetype>(latin1.size()));
        for (size_t i = 0; i < latin1.size(); ++i)
            Shown[static_cast<qsizetype>(i)] =
                QChar(LogShownChar(static_cast<unsigned char>(latin1[i])));
        Painter.setPen(ColorOf(ink));
        Painter.drawText(QPointF(x, y + Ascent), Shown);
    }

private:
    QColor ColorOf(TLogInk ink) const {
        switch (ink) {
        case TLogInk::SelectedText:
            return Palette.color(QPalette::HighlightedText);
        case TLogInk::Selection:
            return Palette.color(QPalette::Highlight);
        case TLogInk::ChecksumError:
        case TLogInk::ShortPreamble: {
            const TLogRgb c = MarkColor(ink);
            return QColor(c.R, c.G, c.B);
        }
        case TLogInk::Text:
            break;
        }
        return Palette.color(QPalette::Text);
    }

    QPainter& Painter;
    const QPalette& Palette;
    int Ascent;
    QString Shown;
};

TLogWidget::TLogWidget(TLogModel& model, QWidget* parent)
    : QAbstractScrollArea(parent), View(model, *this, LeftMargin, TopMargin) {
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
            View.ScrollBar(TLogScroll::To, static_cast<size_t>(std::max(0, value)));
    });
    Measure();
}

TLogWidget::~TLogWidget() = default;

// --- Font and view size ---------------------------------------------------

void TLogWidget::Measure() {
    // No kerning and no ligatures, so a row is as wide as the sum of its
    // characters and the view's arithmetic matches what is painted.
    DrawFont = font();
    DrawFont.setKerning(false);
    DrawFont.setStyleStrategy(
        QFont::StyleStrategy(DrawFont.styleStrategy() | QFont::PreferNoShaping));
    const QFontMetricsF fm(DrawFont);
    TLogMetrics m;
    for (int c = 0; c < 256; ++c)
        m.Advances[static_cast<size_t>(c)] =
            fm.horizontalAdvance(QChar(LogShownChar(static_cast<unsigned char>(c))));
    m.FixedPitch = m.AllAdvancesEqual();
    m.RowHeight = std::max(1, static_cast<int>(std::ceil(fm.lineSpacing())));
    Ascent = static_cast<int>(std::ceil(fm.ascent()));
    m.WrapWidth = std::max(1, viewport()->width() - LeftMargin - RightMargin);
    m.ViewHeight = viewport()->height() - TopMargin;
    View.SetMetrics(m);
}

void TLogWidget::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange)
        Measure();
    QAbstractScrollArea::changeEvent(e);
}

void TLogWidget::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    Measure();
}

// --- What the view asks of the toolkit ------------------------------------------

std::string TLogWidget::ClipboardText() const {
    return QApplication::clipboard()->text().toUtf8().toStdString();
}

bool TLogWidget::SetClipboardText(const std::string& utf8) {
    return PutTextOnClipboard(utf8);
}

void TLogWidget::Invalidate(double fromY) {
    const QRect all = viewport()->rect();
    viewport()->update(all.adjusted(0, std::max(0, static_cast<int>(fromY)), 0, 0));
}

void TLogWidget::ScrollView(double dy) {
    viewport()->scroll(0, -static_cast<int>(std::lround(dy)));
}

bool TLogWidget::Shown() const {
    const QWindow* w = window()->windowHandle();
    return isVisible() && w != nullptr && w->isExposed() &&
           !(window()->windowState() & Qt::WindowMinimized);
}

void TLogWidget::RunFrameTimer(int milliseconds) {
    if (milliseconds > 0)
        FrameTimer.start(milliseconds, this);
    else
        FrameTimer.stop();
}

void TLogWidget::ShowScrollBar(size_t maxTop, size_t page, size_t top, bool) {
    Mirroring = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(static_cast<int>(std::min<size_t>(page, INT_MAX)));
    bar->setRange(0, static_cast<int>(std::min<size_t>(maxTop, INT_MAX)));
    bar->setValue(static_cast<int>(std::min<size_t>(top, INT_MAX)));
    Mirroring = false;
}

void TLogWidget::CaretMoved() {
    CaretOn = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        BlinkTimer.start(flash / 2, this);
    else
        BlinkTimer.stop();
}

void TLogWidget::RunDragTimer(bool running) {
    if (running)
        ScrollTimer.start(TLogView::DragScrollMilliseconds, this);
    else
        ScrollTimer.stop();
}

void TLogWidget::scrollContentsBy(int, int) {
    // The view moves and paints what it shows at its frames.
}

// --- Keys, mouse and menu ------------------------------------------------------

QMenu* TLogWidget::CreateContextMenu(QWidget* parent, const QPoint* at) {
    auto* menu = new QMenu(parent);
    for (const TLogMenuItem& item :
         at ? View.ContextMenuAt(at->x(), at->y()) : View.ContextMenu()) {
        if (item.SeparatorBefore)
            menu->addSeparator();
        QAction* a = menu->addAction(QString::fromUtf8(item.Caption));
        a->setObjectName(ActionName(item.Command));
        a->setShortcut(item.Command >= TLogCommand::Owner
                           ? QKeySequence(QString::fromUtf8(item.Shortcut))
                           : ShortcutOf(item.Command));
        a->setEnabled(item.Enabled);
        const TLogCommand command = item.Command;
        connect(a, &QAction::triggered, this, [this, command] { View.Run(command); });
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
    if (View.Key(LogKeyOf(e->key()), ModsOf(e)))
        return;
    const QString text = e->text();
    const bool typing = !text.isEmpty() && !(e->modifiers() & Qt::ControlModifier) &&
                        !(e->modifiers() & Qt::AltModifier) &&
                        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (typing) {
        const QByteArray utf8 = text.toUtf8();
        View.Type(
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
    View.Press(e->position().x(), e->position().y(), e->modifiers() & Qt::ShiftModifier);
}

void TLogWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!(e->buttons() & Qt::LeftButton))
        return;
    View.Drag(e->position().x(), e->position().y());
}

void TLogWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        View.Release();
}

void TLogWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        View.DoubleClick(e->position().x(), e->position().y());
}

void TLogWidget::wheelEvent(QWheelEvent* e) {
    View.Wheel(e->angleDelta().y() / 120.0);
    e->accept();
}

void TLogWidget::contextMenuEvent(QContextMenuEvent* e) {
    const QPoint at = e->pos();
    QMenu* menu = CreateContextMenu(this, e->reason() == QContextMenuEvent::Mouse ? &at : nullptr);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

// --- Caret blinking --------------------------------------------------------------

void TLogWidget::focusInEvent(QFocusEvent* e) {
    CaretMoved();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(e);
}

void TLogWidget::focusOutEvent(QFocusEvent* e) {
    BlinkTimer.stop();
    CaretOn = false;
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(e);
}

void TLogWidget::timerEvent(QTimerEvent* e) {
    if (e->timerId() == BlinkTimer.timerId()) {
        CaretOn = !CaretOn;
        viewport()->update();
    } else if (e->timerId() == FrameTimer.timerId()) {
        View.Frame();
    } else if (e->timerId() == ScrollTimer.timerId()) {
        View.DragScrollTick();
    } else {
        QAbstractScrollArea::timerEvent(e);
    }
}

// --- Painting ----------------------------------------------------------------------

void TLogWidget::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    p.setFont(DrawFont);
    TQtCanvas canvas(p, palette(), Ascent);
    const QRect dirty = e->rect();
    View.Paint(canvas, viewport()->height(), CaretOn && hasFocus(), dirty.top(),
               dirty.bottom() + 1);
}

QRect TLogWidget::CaretRect(TLogPos pos) const {
    const TLogCaretBox box = View.CaretBox(pos);
    return QRect(static_cast<int>(std::lround(box.X)), static_cast<int>(std::lround(box.Y)), 1,
                 box.Height);
}
