#include "qt_window.h"

#include "classic_group_box.h"
#include "clickable_image.h"
#include "fonts.h"
#include "log_widget.h"
#include "main_window.h"
#include "qt_platform.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
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

TQtWindow::TQtWindow(TfrmMain& model, TQtPlatform& platform)
    : QWidget(nullptr), Model(model), Platform(platform) {
    setObjectName("frmMain");
    setFont(ControlFont());
    Build();
    Platform.SetOwner(this);
    Model.OnClose = [this] { close(); };
    Model.SetObserver(this);
}

TQtWindow::~TQtWindow() {
    Model.SetObserver(nullptr);
    Model.OnClose = nullptr;
}

QWidget* TQtWindow::WidgetOf(const TControl& control) const {
    const auto found = Widgets.find(&control);
    return found == Widgets.end() ? nullptr : found->second;
}

void TQtWindow::Bind(TControl& control, QWidget* widget) {
    widget->setObjectName(QString::fromStdString(control.Name()));
    Widgets[&control] = widget;
}

void TQtWindow::Build() {
    TfrmMain& m = Model;
    QWidget* panel = new QWidget(this);
    panel->setFixedWidth(Panel1Width);
    Bind(m.Panel1, panel);
    const auto parentOf = [this](const TControl& c) { return WidgetOf(*c.Parent()); };

    const auto label = [&](TControl& c) { Bind(c, new QLabel(parentOf(c))); };
    const auto groupBox = [&](TControl& c) { Bind(c, new TClassicGroupBox(parentOf(c))); };
    const auto button = [&](TButton& c) {
        auto* b = new QPushButton(parentOf(c));
        b->setFont(ControlFont(c.Bold));
        Bind(c, b);
        connect(b, &QPushButton::clicked, this, [&c] { c.Click(); });
    };
    const auto checkBox = [&](TCheckBox& c) {
        auto* b = new QCheckBox(parentOf(c));
        Bind(c, b);
        // toggled, not clicked: the keyboard's space bar changes it too.
        connect(b, &QCheckBox::toggled, this, [this, &c](bool on) {
            if (!Applying)
                c.SetChecked(on);
        });
    };
    const auto edit = [&](TEdit& c) {
        auto* e = new QLineEdit(parentOf(c));
        Bind(c, e);
        connect(e, &QLineEdit::textChanged, this, [this, &c](const QString& text) {
            if (!Applying)
                c.SetText(text.toUtf8().toStdString());
        });
    };

    label(m.Label1);
    button(m.btnCheck);
    groupBox(m.RadioGroupComPort);
    for (TRadioButton* r : m.RadCom) {
        auto* b = new QRadioButton(parentOf(*r));
        Bind(*r, b);
        connect(b, &QRadioButton::toggled, this, [this, r](bool on) {
            if (on && !Applying)
                r->SetChecked(true);
        });
    }
    groupBox(m.GroupBoxHardware);
    label(m.Label2);
    label(m.Label3);
    label(m.Label5);
    checkBox(m.cbx_mot);
    checkBox(m.cbx_dcc_stream);
    label(m.Label4);
    edit(m.edt_version);
    groupBox(m.GroupBoxTextfeld);
    button(m.btn_clear);
    button(m.btn_save);
    button(m.btn_clipboard);
    button(m.btnStart);
    button(m.btnStop);
    button(m.btnClose);
    groupBox(m.GroupBoxAnzeige1);
    for (TCheckBox* c :
         {&m.cbx_time, &m.cbx_binaer, &m.cbx_bitstream, &m.cbx_schrott, &m.cbx_only_once})
        checkBox(*c);
    groupBox(m.GroupBoxFilter);
    checkBox(m.cbx_filter);
    edit(m.edt_min);
    label(m.Label6);
    edit(m.edt_max);
    groupBox(m.GroupBoxAnzeigeSchalt);
    checkBox(m.cbx_schaltbefehle);
    checkBox(m.cbx_nur_ON);
    groupBox(m.GroupBoxAnzeigeLok);
    for (TCheckBox* c : {&m.cbx_lokbefehle_s, &m.cbx_lokbefehle_f, &m.cbx_railcom, &m.cbx_idle,
                         &m.cbx_sonstige, &m.cbx_cv})
        checkBox(*c);

    auto* image = new TClickableImage(panel);
    image->setPixmap(DrawFennoxLogo());
    Bind(m.Image1, image);
    connect(image, &TClickableImage::clicked, this, [this] { Model.Image1.Click(); });

    auto* gauge = new QProgressBar(panel);
    gauge->setTextVisible(false);
    Bind(m.ProgressBar2, gauge);

    // The port frame is drawn first so the choices lie on top of it.
    WidgetOf(m.RadioGroupComPort)->lower();

    Splitter1 = new QSplitter(this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(Splitter1Width);
    Splitter1->setChildrenCollapsible(false);
    Memo1 = new TLogWidget(m.Memo1.Lines, Splitter1);
    Memo1->setFont(MonitorFont());
    // Not a tab stop: the keyboard walks the panel's controls.
    Memo1->setFocusPolicy(Qt::ClickFocus);
    Bind(m.Memo1, Memo1);
    Memo2 = new TLogWidget(m.Memo2.Lines, Splitter1);
    QPalette tip = Memo2->palette();
    tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
    Memo2->setPalette(tip);
    Bind(m.Memo2, Memo2);
    Splitter1->addWidget(Memo1);
    Splitter1->addWidget(Memo2);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(panel);
    layout->addWidget(Splitter1, 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, [this] { Model.Timer1.Fire(); });

    // Everything as the model has it now.
    for (TControl* c : m.Controls())
        MirrorAll(*c);
    setWindowTitle(Text(m.Caption()));
    ApplyMinimumSize();
    ApplyGeometry();
}

void TQtWindow::MirrorAll(TControl& control) {
    for (TChange what : EveryStateChange)
        Mirror(control, what);
}

void TQtWindow::ControlChanged(TControl& control, TChange what) {
    Mirror(control, what);
}

void TQtWindow::Mirror(TControl& control, TChange what) {
    const TFlagGuard applying(Applying);

    if (&control == &Model) {
        switch (what) {
        case TChange::Caption:
            setWindowTitle(Text(Model.Caption()));
            break;
        case TChange::Geometry:
            ApplyGeometry();
            break;
        case TChange::MinSize:
            ApplyMinimumSize();
            break;
        case TChange::Focus:
            if (QWidget* w = Model.Focused() ? WidgetOf(*Model.Focused()) : nullptr)
                w->setFocus();
            break;
        default:
            break;
        }
        return;
    }
    if (&control == &Model.Timer1) {
        if (what == TChange::Timer) {
            Timer1->setInterval(Model.Timer1.Interval());
            if (Model.Timer1.Running() != Timer1->isActive())
                Model.Timer1.Running() ? Timer1->start() : Timer1->stop();
        }
        return;
    }
    if (&control == &Model.Splitter1)
        return; // the splitter's handle comes and goes with the Bitstream log
    QWidget* w = WidgetOf(control);
    if (w == nullptr)
        return;
    const QSignalBlocker block(w);
    switch (what) {
    case TChange::Enabled:
        if (&control == &Model.GroupBoxHardware && !control.Enabled())
            DisableKeepingTheLook(static_cast<QGroupBox*>(w), {WidgetOf(Model.edt_version)});
        else
            w->setEnabled(control.Enabled());
        break;
    case TChange::Visible:
        if (&control == &Model.Memo2 && control.Visible() && Memo2->isHidden()) {
            Memo2->show();
            // The Bitstream log comes back at its own width, taken from the
            // Monitor log.
            const int total = Splitter1->width();
            Splitter1->setSizes({qMax(1, total - Memo2Width - Splitter1Width), Memo2Width});
        } else {
            w->setVisible(control.Visible());
        }
        break;
    case TChange::Caption:
        if (auto* b = qobject_cast<QAbstractButton*>(w)) {
            b->setText(Text(control.Caption()));
        } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
            g->setTitle(Text(control.Caption()));
        } else if (auto* l = qobject_cast<QLabel*>(w); l && &control != &Model.Image1) {
            l->setText(Text(control.Caption()));
            l->adjustSize();
        }
        break;
    case TChange::Hint:
        w->setToolTip(Text(control.Hint()));
        break;
    case TChange::Geometry: {
        const TRect& r = control.Geometry();
        if (&control == &Model.Memo1 || &control == &Model.Memo2 || &control == &Model.Panel1)
            break; // placed by the window's layout
        if (qobject_cast<QLabel*>(w) && &control != &Model.Image1) {
            w->move(r.Left, r.Top);
            w->adjustSize();
        } else {
            w->setGeometry(r.Left, r.Top, r.Width, r.Height);
        }
        break;
    }
    case TChange::Checked:
        if (auto* r = qobject_cast<QRadioButton*>(w))
            r->setChecked(static_cast<TRadioButton&>(control).Checked());
        else if (auto* c = qobject_cast<QCheckBox*>(w))
            c->setChecked(static_cast<TCheckBox&>(control).Checked());
        break;
    case TChange::Text:
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            const QString text = Text(static_cast<TEdit&>(control).Text());
            if (e->text() != text)
                e->setText(text);
        }
        break;
    case TChange::Gauge:
        if (auto* g = qobject_cast<QProgressBar*>(w)) {
            const TProgressBar& bar = Model.ProgressBar2;
            g->setRange(bar.Min(), bar.Max());
            g->setValue(bar.Position());
            const QString style = QString("QProgressBar::chunk { background-color: %1; }")
                                      .arg(FromColorRef(bar.BarColor()).name());
            // Restyling on every tick would cost more than the tick.
            if (g->styleSheet() != style)
                g->setStyleSheet(style);
        }
        break;
    default:
        break;
    }
}

QMargins TQtWindow::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

void TQtWindow::ApplyMinimumSize() {
    const QMargins f = FrameMargins();
    const TFlagGuard applying(Applying);
    setMinimumSize(qMax(0, Model.MinWidth() - f.left() - f.right()),
                   qMax(0, Model.MinHeight() - f.top() - f.bottom()));
}

void TQtWindow::ApplyGeometry() {
    // Without a window manager there is no frame and the outer size is the
    // window's own. With one, the frame is known only once the window is
    // shown; event() then fits the inside again.
    const TRect& r = Model.Geometry();
    const QMargins f = FrameMargins();
    const TFlagGuard applying(Applying);
    resize(r.Width - f.left() - f.right(), r.Height - f.top() - f.bottom());
    if (pos() != QPoint(r.Left, r.Top))
        move(r.Left, r.Top);
}

void TQtWindow::TakeGeometry() {
    const QRect outer = frameGeometry();
    Model.Move(outer.x(), outer.y());
    Model.Resize(outer.width(), outer.height());
}

bool TQtWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange: {
        const QMargins frame = FrameMargins();
        if (frame != FrameSeen) {
            // The window manager has put a frame around the window (or
            // changed it): the outer size stays what the model says, so the
            // inside gives way.
            FrameSeen = frame;
            ApplyMinimumSize();
            ApplyGeometry();
        } else if (!Applying && isVisible()) {
            TakeGeometry();
        }
        break;
    }
    default:
        break;
    }
    return handled;
}
