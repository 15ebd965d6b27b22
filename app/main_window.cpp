// Building the main window: controls, start-up defaults, layout, and the
// window's side of the decoder host.
#include "main_window.h"

#include "classic_group_box.h"
#include "clickable_image.h"
#include "clock_text.h"
#include "error_box.h"
#include "fonts.h"
#include "ini_file.h"
#include "log_view.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTimer>

#include <stdexcept>

const char* const DccStandardsUrl =
    "https://www.nmra.org/index-nmra-standards-and-recommended-practices";

namespace {

template <typename T> T* Make(QWidget* parent, const char* name) {
    T* w = new T(parent);
    w->setObjectName(name);
    return w;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int left,
                        int top, int width, int height, bool bold = false) {
    QPushButton* b = Make<QPushButton>(parent, name);
    b->setText(caption);
    b->setGeometry(left, top, width, height);
    b->setFont(ControlFont(bold));
    return b;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, int left,
                        int top, int width = 150, int height = 17) {
    QCheckBox* c = Make<QCheckBox>(parent, name);
    c->setText(caption);
    c->setGeometry(left, top, width, height);
    return c;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top) {
    QLabel* l = Make<QLabel>(parent, name);
    l->setText(caption);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QGroupBox* MakeGroupBox(QWidget* parent, const char* name, const QString& caption, int width,
                        int height) {
    QGroupBox* g = Make<TClassicGroupBox>(parent, name);
    g->setTitle(caption);
    g->resize(width, height);
    return g;
}

void Place(QWidget* w, const TRect& r) {
    w->setGeometry(r.Left, r.Top, r.Width, r.Height);
}

} // namespace

TfrmMain::TfrmMain(const QString& programPath)
    : QWidget(nullptr), StreamDecoder(*this),
      SettingsFile(QString::fromStdString(SettingsFileName(programPath.toStdString()))) {
    setObjectName("frmMain");
    setFont(ControlFont());
    BuildControls();
    ConnectHandlers();

    // The constructor's defaults, in order; the settings file comes last.
    move(50, 50);
    setWindowTitle("Fennox V1.18");
    Label1->setText("27-11-2015");
    Label1->adjustSize();
    btnStart->setEnabled(false);
    btnStop->setEnabled(false);
    btnCheck->setEnabled(true);
    Timer1->setInterval(10);
    ReadSize = 255;
    ProgressBar2->setRange(0, 4096);
    SetGauge(0);
    rad_com1->setChecked(true);
    cbx_mot->setChecked(false);
    cbx_dcc_stream->setChecked(false);
    ArrangeControls();
    ReadProgIni();
}

TfrmMain::~TfrmMain() {
    SetComLinkHook({});
}

void TfrmMain::BuildControls() {
    Panel1 = Make<QWidget>(this, "Panel1");
    Panel1->setFixedWidth(Panel1Width);

    Label1 = MakeLabel(Panel1, "Label1", QString(), 112, 8);
    btnCheck = MakeButton(Panel1, "btnCheck", "COM Suche", 16, 16, 75, 25);

    RadioGroupComPort = MakeGroupBox(Panel1, "RadioGroupComPort", "COM-Port", 169, 89);
    // The port choices lie over the frame as children of the panel, so they
    // form one group of their own.
    static const char* const radioNames[9] = {"rad_com1", "rad_com2", "rad_com3",
                                              "rad_com4", "rad_com5", "rad_com6",
                                              "rad_com7", "rad_com8", "rad_com9"};
    for (int i = 0; i < 9; ++i) {
        QRadioButton* r = Make<QRadioButton>(Panel1, radioNames[i]);
        r->setText(QString("Com%1").arg(i + 1));
        RadCom[i] = r;
    }
    rad_com1 = RadCom[0], rad_com2 = RadCom[1], rad_com3 = RadCom[2];
    rad_com4 = RadCom[3], rad_com5 = RadCom[4], rad_com6 = RadCom[5];
    rad_com7 = RadCom[6], rad_com8 = RadCom[7], rad_com9 = RadCom[8];

    GroupBoxHardware = MakeGroupBox(Panel1, "GroupBoxHardware", "Fennox Hardware Info", 169, 113);
    Label2 = MakeLabel(GroupBoxHardware, "Label2", "Diese Parameter werden vom", 8, 16);
    Label3 = MakeLabel(GroupBoxHardware, "Label3", "Fennox \u00fcbertragen und k\u00f6nnen", 8, 29);
    Label5 = MakeLabel(GroupBoxHardware, "Label5", "hier NICHT ver\u00e4ndert werden!", 8, 42);
    cbx_mot = MakeCheckBox(GroupBoxHardware, "cbx_mot", "Mot", 10, 60, 52, 17);
    cbx_dcc_stream = MakeCheckBox(GroupBoxHardware, "cbx_dcc_stream", "DCC", 75, 60, 68, 17);
    Label4 = MakeLabel(GroupBoxHardware, "Label4", "SW Version", 10, 87);
    edt_version = Make<QLineEdit>(GroupBoxHardware, "edt_version");
    edt_version->setGeometry(75, 84, 75, 21);
    edt_version->setEnabled(false);
    DisableKeepingTheLook(GroupBoxHardware, {edt_version});

    GroupBoxTextfeld = MakeGroupBox(Panel1, "GroupBoxTextfeld", "Textfeld", 169, 81);
    btn_clear = MakeButton(GroupBoxTextfeld, "btn_clear", "l\u00f6schen", 8, 16, 73, 25);
    btn_save = MakeButton(GroupBoxTextfeld, "btn_save", "speichern", 86, 16, 75, 25);
    btn_clipboard =
        MakeButton(GroupBoxTextfeld, "btn_clipboard", "Copy to Clipboard", 7, 47, 154, 25);

    btnStart = MakeButton(Panel1, "btnStart", "Start", 8, 0, 153, 25, true);
    btnStop = MakeButton(Panel1, "btnStop", "Stop", 8, 0, 153, 25, true);
    btnClose = MakeButton(Panel1, "btnClose", "Ende", 0, 0, 153, 19, true);

    GroupBoxAnzeige1 = MakeGroupBox(Panel1, "GroupBoxAnzeige1", "Anzeige-Art", 169, 127);
    cbx_time = MakeCheckBox(GroupBoxAnzeige1, "cbx_time", "auch Zeit anzeigen", 13, 20);
    cbx_binaer = MakeCheckBox(GroupBoxAnzeige1, "cbx_binaer", "auch bin\u00e4r anzeigen", 13, 40);
    cbx_bitstream =
        MakeCheckBox(GroupBoxAnzeige1, "cbx_bitstream", "Bitstream-Fenster", 37, 60, 126, 17);
    cbx_schrott = MakeCheckBox(GroupBoxAnzeige1, "cbx_schrott", "Schrott-Daten", 13, 80);
    cbx_only_once = MakeCheckBox(GroupBoxAnzeige1, "cbx_only_once", "keine Doppelten", 13, 100);

    GroupBoxFilter = MakeGroupBox(Panel1, "GroupBoxFilter", "Filter", 169, 66);
    cbx_filter =
        MakeCheckBox(GroupBoxFilter, "cbx_filter", "Filter auf Adress-Bereich", 8, 14, 155, 17);
    cbx_filter->setToolTip("Es kann auf Adress-Bereiche gefiltert werden. Nur Adressen zwischen "
                           "MIN und MAX werden angezeigt");
    edt_min = Make<QLineEdit>(GroupBoxFilter, "edt_min");
    edt_min->setGeometry(11, 36, 54, 21);
    edt_min->setToolTip("Adress-Filter: MIN Grenzwert");
    Label6 = MakeLabel(GroupBoxFilter, "Label6", "bis", 72, 40);
    edt_max = Make<QLineEdit>(GroupBoxFilter, "edt_max");
    edt_max->setGeometry(96, 36, 54, 21);
    edt_max->setToolTip("Adress-Filter: MAX Grenzwert");

    GroupBoxAnzeigeSchalt =
        MakeGroupBox(Panel1, "GroupBoxAnzeigeSchalt", "Schalt Befehle", 169, 106);
    cbx_schaltbefehle =
        MakeCheckBox(GroupBoxAnzeigeSchalt, "cbx_schaltbefehle", "zeige Schalt-Befehle", 13, 20);
    cbx_nur_ON = MakeCheckBox(GroupBoxAnzeigeSchalt, "cbx_nur_ON", "nur ON Befehle", 13, 40);

    GroupBoxAnzeigeLok = MakeGroupBox(Panel1, "GroupBoxAnzeigeLok", "LOK Befehle", 169, 151);
    cbx_lokbefehle_s =
        MakeCheckBox(GroupBoxAnzeigeLok, "cbx_lokbefehle_s", "zeige SPEED Befehle", 13, 20);
    cbx_lokbefehle_f =
        MakeCheckBox(GroupBoxAnzeigeLok, "cbx_lokbefehle_f", "zeige F-Befehle", 13, 40);
    cbx_railcom = MakeCheckBox(GroupBoxAnzeigeLok, "cbx_railcom", "zeige RailCom-Befehle", 13, 60);
    cbx_idle = MakeCheckBox(GroupBoxAnzeigeLok, "cbx_idle", "zeige Idle", 13, 78);
    cbx_sonstige = MakeCheckBox(GroupBoxAnzeigeLok, "cbx_sonstige", "sonstige", 13, 96);
    cbx_cv = MakeCheckBox(GroupBoxAnzeigeLok, "cbx_cv", "CV Befehle", 13, 114);

    Image1 = new TClickableImage(Panel1);
    Image1->setObjectName("Image1");
    Image1->setToolTip("Zur WebSite");
    Image1->setPixmap(DrawFennoxLogo());
    Image1->resize(200, 32);

    ProgressBar2 = Make<QProgressBar>(Panel1, "ProgressBar2");
    ProgressBar2->setToolTip("Anzeige F\u00fcllstand des Eingangs-Puffers");
    ProgressBar2->setTextVisible(false);

    // The port frame is drawn first so the choices lie on top of it.
    RadioGroupComPort->lower();

    Splitter1 = Make<QSplitter>(this, "Splitter1");
    Splitter1->setHandleWidth(Splitter1Width);
    Splitter1->setChildrenCollapsible(false);
    Memo1 = std::make_unique<TLogView>(Splitter1);
    Memo1->Widget()->setObjectName("Memo1");
    Memo1->Widget()->setFont(MonitorFont());
    // Not a tab stop: the keyboard walks the panel's controls.
    Memo1->Widget()->setFocusPolicy(Qt::ClickFocus);
    Memo2 = std::make_unique<TLogView>(Splitter1);
    Memo2->Widget()->setObjectName("Memo2");
    QPalette tip = Memo2->Widget()->palette();
    tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
    tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
    Memo2->Widget()->setPalette(tip);
    Memo2->Widget()->hide();
    Splitter1->addWidget(Memo1->Widget());
    Splitter1->addWidget(Memo2->Widget());
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);

    QHBoxLayout* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(Splitter1, 1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");

    SaveDialog1 = new QFileDialog(this);
    SaveDialog1->setObjectName("SaveDialog1");
    SaveDialog1->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog1->setFileMode(QFileDialog::AnyFile);
    SaveDialog1->setNameFilters({"*.txt (*.txt)", "alle (*)"});
    SaveDialog1->setSizeGripEnabled(true);

    // Each port choice shows the device it stands for.
    for (int i = 0; i < 9; ++i)
        RadCom[i]->setToolTip(QString::fromStdString(PortDevicePath(PortName(i + 1))));
}

void TfrmMain::ConnectHandlers() {
    // toggled/textChanged fire for the program's own changes as for the
    // user's, and only when the state really changes.
    connect(btnCheck, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnCheckClick(); }); });
    connect(btnStart, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnStartClick(); }); });
    connect(btnStop, &QPushButton::clicked, this, [this] { Guarded([this] { btnStopClick(); }); });
    connect(btnClose, &QPushButton::clicked, this,
            [this] { Guarded([this] { btnCloseClick(); }); });
    for (QRadioButton* r : RadCom) {
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                Guarded([this] { rad_comClick(); });
        });
    }
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(btn_clear, &QPushButton::clicked, this,
            [this] { Guarded([this] { btn_clearClick(); }); });
    connect(btn_save, &QPushButton::clicked, this,
            [this] { Guarded([this] { btn_saveClick(); }); });
    connect(btn_clipboard, &QPushButton::clicked, this,
            [this] { Guarded([this] { btn_clipboardClick(); }); });
    connect(Image1, &TClickableImage::clicked, this,
            [this] { Guarded([this] { Image1Click(); }); });
    connect(cbx_filter, &QCheckBox::toggled, this,
            [this] { Guarded([this] { cbx_filterClick(); }); });
    connect(cbx_bitstream, &QCheckBox::toggled, this,
            [this] { Guarded([this] { cbx_bitstreamClick(); }); });
    connect(edt_min, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { edt_minChange(); }); });
    connect(edt_max, &QLineEdit::textChanged, this,
            [this] { Guarded([this] { edt_maxChange(); }); });

    TComLinkHook hook;
    hook.ShowErrorBox = [](const std::string& caption, const std::string& text) {
        ShowSystemErrorBox(QString::fromLocal8Bit(caption.c_str()),
                           QString::fromLocal8Bit(text.c_str()));
    };
    hook.RequestStop = [this] {
        btnStart->setEnabled(true);
        btnStop->setEnabled(false);
    };
    SetComLinkHook(hook);
}

void TfrmMain::Guarded(const std::function<void()>& handler) {
    RunGuarded(handler);
}

void TfrmMain::ArrangeControls() {
    const TPanelLayout l = ArrangeLayout(ControlSizes());
    Place(btnCheck, l.btnCheck);
    Place(RadioGroupComPort, l.RadioGroupComPort);
    Place(GroupBoxHardware, l.GroupBoxHardware);
    Place(GroupBoxTextfeld, l.GroupBoxTextfeld);
    Place(btnStart, l.btnStart);
    Place(btnStop, l.btnStop);
    Place(btnClose, l.btnClose);
    Place(GroupBoxAnzeige1, l.GroupBoxAnzeige1);
    Place(GroupBoxFilter, l.GroupBoxFilter);
    Place(GroupBoxAnzeigeSchalt, l.GroupBoxAnzeigeSchalt);
    Place(GroupBoxAnzeigeLok, l.GroupBoxAnzeigeLok);
    Place(Image1, l.Image1);
    Place(ProgressBar2, l.ProgressBar2);

    // The port choices keep their places over the frame.
    static const int radioPos[9][2] = {{6, 56},  {6, 72},  {6, 88},   {6, 104}, {60, 56},
                                       {60, 72}, {60, 88}, {60, 104}, {114, 56}};
    for (int i = 0; i < 9; ++i)
        RadCom[i]->setGeometry(radioPos[i][0], radioPos[i][1], i == 8 ? 49 : 57, 17);

    setMinimumSize(0, 0);
    SetOuterHeight(l.WindowHeight);
    ApplyMinimumSize();

    if (cbx_bitstream->isChecked()) {
        const bool wasHidden = Memo2->Widget()->isHidden();
        Memo2->Widget()->show();
        if (wasHidden) {
            // The Bitstream log comes back at its own width, taken from the
            // Monitor log.
            const int total = Splitter1->width();
            Splitter1->setSizes({qMax(1, total - Memo2Width - Splitter1Width), Memo2Width});
        }
    } else {
        Memo2->Widget()->hide();
    }
}

int TfrmMain::OuterWidth() const {
    return frameGeometry().width();
}
int TfrmMain::OuterHeight() const {
    return frameGeometry().height();
}

QMargins TfrmMain::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

void TfrmMain::SetOuterHeight(int height) {
    // Without a window manager there is no frame and the inner height is the
    // whole height. With one, the frame is known only once the window is
    // shown; FollowFrame then makes the outer size the one set here.
    const QMargins frame = FrameMargins();
    resize(qMax(width(), MinWindowWidth - frame.left() - frame.right()),
           height - frame.top() - frame.bottom());
}

void TfrmMain::ApplyMinimumSize() {
    const QMargins frame = FrameMargins();
    setMinimumSize(MinWindowWidth - frame.left() - frame.right(),
                   MinWindowHeight - frame.top() - frame.bottom());
}

void TfrmMain::FollowFrame() {
    const QMargins frame = FrameMargins();
    if (frame == FrameSeen)
        return;
    // The window manager has put a frame around the window (or changed it):
    // the outer size stays what the layout and the settings file asked for,
    // so the inner size gives way. The frame's place is the window manager's
    // and already the asked-for one.
    const int outerWidth = width() + FrameSeen.left() + FrameSeen.right();
    const int outerHeight = height() + FrameSeen.top() + FrameSeen.bottom();
    FrameSeen = frame;
    ApplyMinimumSize();
    resize(outerWidth - frame.left() - frame.right(), outerHeight - frame.top() - frame.bottom());
}

bool TfrmMain::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        FollowFrame();
        break;
    default:
        break;
    }
    return handled;
}

QCheckBox* TfrmMain::Box(TSwitch s) const {
    switch (s) {
    case TSwitch::cbx_time:
        return cbx_time;
    case TSwitch::cbx_binaer:
        return cbx_binaer;
    case TSwitch::cbx_bitstream:
        return cbx_bitstream;
    case TSwitch::cbx_schrott:
        return cbx_schrott;
    case TSwitch::cbx_only_once:
        return cbx_only_once;
    case TSwitch::cbx_filter:
        return cbx_filter;
    case TSwitch::cbx_schaltbefehle:
        return cbx_schaltbefehle;
    case TSwitch::cbx_nur_ON:
        return cbx_nur_ON;
    case TSwitch::cbx_lokbefehle_s:
        return cbx_lokbefehle_s;
    case TSwitch::cbx_lokbefehle_f:
        return cbx_lokbefehle_f;
    case TSwitch::cbx_railcom:
        return cbx_railcom;
    case TSwitch::cbx_idle:
        return cbx_idle;
    case TSwitch::cbx_sonstige:
        return cbx_sonstige;
    case TSwitch::cbx_cv:
        return cbx_cv;
    case TSwitch::cbx_mot:
        return cbx_mot;
    case TSwitch::cbx_dcc_stream:
        return cbx_dcc_stream;
    }
    throw std::logic_error("unknown switch");
}

bool TfrmMain::IsChecked(TSwitch s) const {
    return Box(s)->isChecked();
}
void TfrmMain::SetChecked(TSwitch s, bool checked) {
    Box(s)->setChecked(checked);
}
void TfrmMain::SetVisible(TSwitch s, bool visible) {
    Box(s)->setVisible(visible);
}
void TfrmMain::SetEnabled(TSwitch s, bool enabled) {
    Box(s)->setEnabled(enabled);
}
std::string TfrmMain::MinText() const {
    return edt_min->text().toLatin1().toStdString();
}
std::string TfrmMain::MaxText() const {
    return edt_max->text().toLatin1().toStdString();
}
void TfrmMain::AppendMonitorLine(const std::string& line) {
    Memo1->AppendLatin1(line);
}
void TfrmMain::AppendBitstreamLine(const std::string& line) {
    Memo2->AppendLatin1(line);
}
void TfrmMain::SetVersionText(const std::string& text) {
    edt_version->setText(QString::fromLatin1(text.c_str()));
}
std::string TfrmMain::TimeText() {
    return LocalTimeText();
}
