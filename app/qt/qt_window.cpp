#include "qt_window.h"

#include "chart_widget.h"
#include "classic_group_box.h"
#include "clickable_image.h"
#include "fonts.h"
#include "log_widget.h"
#include "qt_platform.h"
#include "table_widget.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>

namespace {

QString Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QColor FromColorRef(TColorRef c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                  static_cast<int>((c >> 16) & 0xFF));
}

} // namespace

TQtWindow::TQtWindow(TForm& form, std::vector<TControl*> controls, TQtPlatform& platform,
                     QWidget* owner)
    : QWidget(owner, owner ? Qt::Window : Qt::WindowFlags()), Model(form), Platform(platform),
      ControlList(controls), Mirror(form, std::move(controls), *this) {
    setObjectName(QString::fromStdString(form.Name()));
    setFont(ControlFont());
    Mirror.Build();
    if (owner == nullptr)
        Platform.SetOwner(this);
    Model.OnClose = [this] { close(); };
}

TQtWindow::~TQtWindow() {
    Model.OnClose = nullptr;
}

QSplitter* TQtWindow::LogSplitter() {
    if (Splitter1 == nullptr) {
        // The panel on the left, the logs in a splitter beside it.
        Splitter1 = new QSplitter(this);
        Splitter1->setChildrenCollapsible(false);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(Splitter1, 1);
    }
    return Splitter1;
}

QWidget* TQtWindow::WidgetOf(const TControl& control) const {
    const auto found = Widgets.find(&control);
    return found == Widgets.end() ? nullptr : found->second;
}

void TQtWindow::CreateNative(TControl& c) {
    QWidget* parent = c.Parent() == &Model ? this : WidgetOf(*c.Parent());
    QWidget* w = nullptr;
    switch (c.Kind()) {
    case TControlKind::Form:
        return;
    case TControlKind::Panel:
        w = new QWidget(this);
        w->setFixedWidth(c.Geometry().Width);
        LogSplitter();
        static_cast<QHBoxLayout*>(layout())->insertWidget(0, w);
        break;
    case TControlKind::Label:
        w = new QLabel(parent);
        break;
    case TControlKind::GroupBox:
        w = new TClassicGroupBox(parent);
        break;
    case TControlKind::Button: {
        auto* b = new QPushButton(parent);
        connect(b, &QPushButton::clicked, this, [this, &c] { Mirror.Clicked(c); });
        w = b;
        break;
    }
    case TControlKind::Picture: {
        auto* image = new TClickableImage(parent);
        image->setPixmap(QPixmap(":/icons/picture.bmp"));
        connect(image, &TClickableImage::clicked, this, [this, &c] { Mirror.Clicked(c); });
        w = image;
        break;
    }
    case TControlKind::CheckBox: {
        auto* b = new QCheckBox(parent);
        // toggled, not clicked: the keyboard's space bar changes it too.
        connect(b, &QCheckBox::toggled, this, [this, &c](bool on) { Mirror.Toggled(c, on); });
        w = b;
        break;
    }
    case TControlKind::RadioButton: {
        auto* b = new QRadioButton(parent);
        connect(b, &QRadioButton::toggled, this, [this, &c](bool on) { Mirror.Toggled(c, on); });
        w = b;
        break;
    }
    case TControlKind::Edit: {
        auto* e = new QLineEdit(parent);
        connect(e, &QLineEdit::textChanged, this,
                [this, &c](const QString& text) { Mirror.Edited(c, text.toUtf8().toStdString()); });
        w = e;
        break;
    }
    case TControlKind::ProgressBar: {
        auto* gauge = new QProgressBar(parent);
        gauge->setTextVisible(false);
        w = gauge;
        break;
    }
    case TControlKind::Memo: {
        auto* log = new TLogWidget(static_cast<TMemo&>(c).Lines, LogSplitter());
        log->SetOwnerMenu(&static_cast<TMemo&>(c).Menu);
        log->setFont(c.Look() == TLook::Monitor ? MonitorFont() : ControlFont());
        if (c.Look() == TLook::Note) {
            QPalette tip = log->palette();
            tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
            tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
            log->setPalette(tip);
        }
        if (!c.TabStop())
            log->setFocusPolicy(Qt::ClickFocus);
        log->SetProgressHost(&Platform);
        Splitter1->addWidget(log);
        // The first log takes what the window gains; the side log keeps its
        // width.
        Splitter1->setStretchFactor(Splitter1->count() - 1, Splitter1->count() == 1 ? 1 : 0);
        if (Splitter1->count() > 1)
            SideLog = log;
        else
            FirstLog = log;
        w = log;
        break;
    }
    case TControlKind::Table: {
        auto* table = new TTableWidget(static_cast<TTable&>(c), parent);
        connect(table, &TTableWidget::RowChosen, this,
                [this, &c](int row) { Mirror.RowChosen(c, row); });
        w = table;
        break;
    }
    case TControlKind::BarChart:
        w = new TChartWidget(static_cast<TBarChart&>(c), parent);
        break;
    case TControlKind::Splitter:
        // Not a control of its own: the handle between the splitter's logs.
        LogSplitter()->setObjectName(QString::fromStdString(c.Name()));
        Splitter1->setHandleWidth(c.Geometry().Width);
        return;
    case TControlKind::Timer: {
        Timer1 = new QTimer(this);
        Timer1->setObjectName(QString::fromStdString(c.Name()));
        auto& timer = static_cast<TTimer&>(c);
        connect(Timer1, &QTimer::timeout, this, [&timer] { timer.Fire(); });
        return;
    }
    }
    w->setObjectName(QString::fromStdString(c.Name()));
    if (c.Look() == TLook::Bold)
        w->setFont(ControlFont(true));
    Widgets[&c] = w;
}

void TQtWindow::ShowText(TControl& c, const std::string& text) {
    QWidget* w = WidgetOf(c);
    const QString shown = Text(text);
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        b->setText(shown);
    else if (auto* g = qobject_cast<QGroupBox*>(w))
        g->setTitle(shown);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(shown);
    else if (auto* e = qobject_cast<QLineEdit*>(w); e && e->text() != shown)
        e->setText(shown);
}

void TQtWindow::ShowRect(TControl& c, const TRect& r, bool fitToText) {
    QWidget* w = WidgetOf(c);
    if (fitToText) {
        w->move(r.Left, r.Top);
        w->adjustSize();
    } else {
        w->setGeometry(r.Left, r.Top, r.Width, r.Height);
    }
}

void TQtWindow::ShowChecked(TControl& c, bool checked) {
    static_cast<QAbstractButton*>(WidgetOf(c))->setChecked(checked);
}

void TQtWindow::ShowVisible(TControl& c, bool visible) {
    if (&c != &Model) {
        WidgetOf(c)->setVisible(visible);
    } else if (!visible) {
        hide();
    } else {
        show();
        raise();
        activateWindow();
    }
}

void TQtWindow::ShowEnabled(TControl& c, bool enabled) {
    WidgetOf(c)->setEnabled(enabled);
}

void TQtWindow::ShowReadOnlyGroup(TControl& group, bool readOnly) {
    auto* box = static_cast<QGroupBox*>(WidgetOf(group));
    if (!readOnly) {
        box->setEnabled(true);
        return;
    }
    // A control disabled in its own right keeps the disabled look.
    QList<QWidget*> disabled;
    for (const TControl* c : ControlList) {
        if (c->Parent() == &group && !c->Enabled())
            disabled << WidgetOf(*c);
    }
    DisableKeepingTheLook(box, disabled);
}

void TQtWindow::ShowHint(TControl& c, const std::string& hint) {
    WidgetOf(c)->setToolTip(Text(hint));
}

void TQtWindow::ShowGauge(TProgressBar& bar) {
    auto* g = static_cast<QProgressBar*>(WidgetOf(bar));
    g->setRange(bar.Min(), bar.Max());
    g->setValue(bar.Position());
    // The bar's colour is the style's highlight: a style sheet would cost
    // more than the tick at every repaint.
    const QColor color = FromColorRef(bar.BarColor());
    if (g->palette().color(QPalette::Highlight) != color) {
        QPalette palette = g->palette();
        palette.setColor(QPalette::Highlight, color);
        g->setPalette(palette);
    }
}

void TQtWindow::ShowTimer(TTimer& timer) {
    Timer1->setInterval(timer.Interval());
    if (timer.Running() != Timer1->isActive())
        timer.Running() ? Timer1->start() : Timer1->stop();
}

void TQtWindow::ShowColumns(TTable& table) {
    static_cast<TTableWidget*>(WidgetOf(table))->ShowColumns();
}

void TQtWindow::ShowRows(TTable& table) {
    static_cast<TTableWidget*>(WidgetOf(table))->ShowRows();
}

void TQtWindow::ShowSelection(TTable& table) {
    static_cast<TTableWidget*>(WidgetOf(table))->ShowSelection();
}

void TQtWindow::ShowChart(TBarChart& chart) {
    WidgetOf(chart)->update();
}

void TQtWindow::SendToBack(TControl& c) {
    WidgetOf(c)->lower();
}

void TQtWindow::ShowTitle(const std::string& title) {
    setWindowTitle(Text(title));
}

void TQtWindow::ShowFocus(TControl& c) {
    if (QWidget* w = WidgetOf(c))
        w->setFocus();
}

void TQtWindow::ShowLogs(bool sideShown, int sideWidth) {
    if (SideLog == nullptr)
        return;
    if (sideShown && SideLog->isHidden()) {
        SideLog->show();
        // The side log comes back at its own width, taken from the first.
        const int total = Splitter1->width();
        Splitter1->setSizes({qMax(1, total - sideWidth - Splitter1->handleWidth()), sideWidth});
    } else if (!sideShown) {
        SideLog->hide();
    }
}

QMargins TQtWindow::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

void TQtWindow::ShowMinSize(int width, int height) {
    const QMargins f = FrameMargins();
    setMinimumSize(qMax(0, width - f.left() - f.right()), qMax(0, height - f.top() - f.bottom()));
}

void TQtWindow::ShowWindowRect(const TRect& r) {
    // Without a window manager there is no frame and the outer size is the
    // window's own. With one, the frame is known only once the window is
    // shown; event() then fits the inside again.
    const QMargins f = FrameMargins();
    resize(r.Width - f.left() - f.right(), r.Height - f.top() - f.bottom());
    if (pos() != QPoint(r.Left, r.Top))
        move(r.Left, r.Top);
}

bool TQtWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange: {
        Mirror.ClientResized(width(), height());
        const QMargins frame = FrameMargins();
        if (frame != FrameSeen) {
            // The window manager has put a frame around the window (or
            // changed it): the outer size stays what the model says, so the
            // inside gives way.
            FrameSeen = frame;
            Mirror.ShowWindowAgain();
        } else if (isVisible()) {
            const QRect outer = frameGeometry();
            Mirror.WindowMoved({outer.x(), outer.y(), outer.width(), outer.height()});
        }
        break;
    }
    default:
        break;
    }
    return handled;
}

void TQtWindow::closeEvent(QCloseEvent* event) {
    // A window that only hides has been hidden by the model.
    if (!Mirror.CloseBox())
        event->ignore();
}

void TQtWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12 && Mirror.FunctionKey(key - Qt::Key_F1 + 1))
        return;
    QWidget::keyPressEvent(event);
}
