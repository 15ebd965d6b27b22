// Building the main window: controls, start-up defaults, layout, and the
// window's side of the decoder host.
#include "main_window.h"

#include "ini_file.h"
#include "latin1_text.h"
#include "port_names.h"
#include "settings_place.h"

#include <exception>
#include <stdexcept>

const char* const DccStandardsUrl =
    "https://www.nmra.org/index-nmra-standards-and-recommended-practices";

TfrmMain::TfrmMain(TPlatform& platform)
    : TForm("frmMain"), Panel1("Panel1", this), Label1("Label1", &Panel1),
      btnCheck("btnCheck", &Panel1), RadioGroupComPort("RadioGroupComPort", &Panel1),
      rad_com1("rad_com1", &Panel1, PortGroup), rad_com2("rad_com2", &Panel1, PortGroup),
      rad_com3("rad_com3", &Panel1, PortGroup), rad_com4("rad_com4", &Panel1, PortGroup),
      rad_com5("rad_com5", &Panel1, PortGroup), rad_com6("rad_com6", &Panel1, PortGroup),
      rad_com7("rad_com7", &Panel1, PortGroup), rad_com8("rad_com8", &Panel1, PortGroup),
      rad_com9("rad_com9", &Panel1, PortGroup), RadCom{&rad_com1, &rad_com2, &rad_com3,
                                                       &rad_com4, &rad_com5, &rad_com6,
                                                       &rad_com7, &rad_com8, &rad_com9},
      GroupBoxHardware("GroupBoxHardware", &Panel1), Label2("Label2", &GroupBoxHardware),
      Label3("Label3", &GroupBoxHardware), Label5("Label5", &GroupBoxHardware),
      cbx_mot("cbx_mot", &GroupBoxHardware), cbx_dcc_stream("cbx_dcc_stream", &GroupBoxHardware),
      Label4("Label4", &GroupBoxHardware), edt_version("edt_version", &GroupBoxHardware),
      GroupBoxTextfeld("GroupBoxTextfeld", &Panel1), btn_clear("btn_clear", &GroupBoxTextfeld),
      btn_save("btn_save", &GroupBoxTextfeld), btn_clipboard("btn_clipboard", &GroupBoxTextfeld),
      btnStart("btnStart", &Panel1), btnStop("btnStop", &Panel1), btnClose("btnClose", &Panel1),
      GroupBoxAnzeige1("GroupBoxAnzeige1", &Panel1), cbx_time("cbx_time", &GroupBoxAnzeige1),
      cbx_binaer("cbx_binaer", &GroupBoxAnzeige1),
      cbx_bitstream("cbx_bitstream", &GroupBoxAnzeige1),
      cbx_schrott("cbx_schrott", &GroupBoxAnzeige1),
      cbx_only_once("cbx_only_once", &GroupBoxAnzeige1), GroupBoxFilter("GroupBoxFilter", &Panel1),
      cbx_filter("cbx_filter", &GroupBoxFilter), edt_min("edt_min", &GroupBoxFilter),
      Label6("Label6", &GroupBoxFilter), edt_max("edt_max", &GroupBoxFilter),
      GroupBoxAnzeigeSchalt("GroupBoxAnzeigeSchalt", &Panel1),
      cbx_schaltbefehle("cbx_schaltbefehle", &GroupBoxAnzeigeSchalt),
      cbx_nur_ON("cbx_nur_ON", &GroupBoxAnzeigeSchalt),
      GroupBoxAnzeigeLok("GroupBoxAnzeigeLok", &Panel1),
      cbx_lokbefehle_s("cbx_lokbefehle_s", &GroupBoxAnzeigeLok),
      cbx_lokbefehle_f("cbx_lokbefehle_f", &GroupBoxAnzeigeLok),
      cbx_railcom("cbx_railcom", &GroupBoxAnzeigeLok), cbx_idle("cbx_idle", &GroupBoxAnzeigeLok),
      cbx_sonstige("cbx_sonstige", &GroupBoxAnzeigeLok), cbx_cv("cbx_cv", &GroupBoxAnzeigeLok),
      Image1("Image1", &Panel1), ProgressBar2("ProgressBar2", &Panel1), Memo1("Memo1", this),
      Splitter1("Splitter1", this), Memo2("Memo2", this), Timer1("Timer1", this),
      StreamDecoder(*this), Platform(platform), SettingsFile(), SettingsFolder() {
    const TSettingsPlace place = ChooseSettingsPlace(platform.ProgramPath());
    SettingsFile = place.Path;
    SettingsFolder = place.UserFolder;
    BuildControls();
    ConnectHandlers();

    // The constructor's defaults, in order; the settings file comes last.
    Move(50, 50);
    SetCaption("Fennox V1.18");
    Label1.SetCaption("27-11-2015");
    btnStart.SetEnabled(false);
    btnStop.SetEnabled(false);
    btnCheck.SetEnabled(true);
    Timer1.SetInterval(10);
    ReadSize = 255;
    ProgressBar2.SetRange(0, 4096);
    SetGauge(0);
    rad_com1.SetChecked(true);
    cbx_mot.SetChecked(false);
    cbx_dcc_stream.SetChecked(false);
    ArrangeControls();
    ReadProgIni();
}

TfrmMain::~TfrmMain() {
    SetComLinkHook({});
}

void TfrmMain::SetObserver(TControlObserver* observer) {
    TControl::SetObserver(observer);
    for (TControl* c : AllControls)
        c->SetObserver(observer);
}

void TfrmMain::BuildControls() {
    AllControls = {&Panel1,
                   &Label1,
                   &btnCheck,
                   &RadioGroupComPort,
                   &rad_com1,
                   &rad_com2,
                   &rad_com3,
                   &rad_com4,
                   &rad_com5,
                   &rad_com6,
                   &rad_com7,
                   &rad_com8,
                   &rad_com9,
                   &GroupBoxHardware,
                   &Label2,
                   &Label3,
                   &Label5,
                   &cbx_mot,
                   &cbx_dcc_stream,
                   &Label4,
                   &edt_version,
                   &GroupBoxTextfeld,
                   &btn_clear,
                   &btn_save,
                   &btn_clipboard,
                   &btnStart,
                   &btnStop,
                   &btnClose,
                   &GroupBoxAnzeige1,
                   &cbx_time,
                   &cbx_binaer,
                   &cbx_bitstream,
                   &cbx_schrott,
                   &cbx_only_once,
                   &GroupBoxFilter,
                   &cbx_filter,
                   &edt_min,
                   &Label6,
                   &edt_max,
                   &GroupBoxAnzeigeSchalt,
                   &cbx_schaltbefehle,
                   &cbx_nur_ON,
                   &GroupBoxAnzeigeLok,
                   &cbx_lokbefehle_s,
                   &cbx_lokbefehle_f,
                   &cbx_railcom,
                   &cbx_idle,
                   &cbx_sonstige,
                   &cbx_cv,
                   &Image1,
                   &ProgressBar2,
                   &Memo1,
                   &Splitter1,
                   &Memo2,
                   &Timer1};

    const auto place = [](TControl& c, int left, int top, int width, int height) {
        c.SetGeometry({left, top, width, height});
    };
    Panel1.SetGeometry({0, 0, Panel1Width, 0});
    // Labels size themselves to their text in the front end; only their
    // place is fixed.
    place(Label1, 112, 8, 0, 0);
    btnCheck.SetCaption("COM Suche");
    place(btnCheck, 16, 16, 75, 25);
    RadioGroupComPort.SetCaption("COM-Port");
    place(RadioGroupComPort, 0, 0, 169, 89);
    static const int radioPos[9][2] = {{6, 56},  {6, 72},  {6, 88},   {6, 104}, {60, 56},
                                       {60, 72}, {60, 88}, {60, 104}, {114, 56}};
    for (int i = 0; i < 9; ++i) {
        RadCom[i]->SetCaption("Com" + std::to_string(i + 1));
        place(*RadCom[i], radioPos[i][0], radioPos[i][1], i == 8 ? 49 : 57, 17);
        // Each port choice shows the device it stands for.
        RadCom[i]->SetHint(PortDevicePath(PortName(i + 1)));
    }

    GroupBoxHardware.SetCaption("Fennox Hardware Info");
    place(GroupBoxHardware, 0, 0, 169, 113);
    // Shown for reading only: none of its controls can be operated.
    GroupBoxHardware.SetEnabled(false);
    Label2.SetCaption("Diese Parameter werden vom");
    place(Label2, 8, 16, 0, 0);
    Label3.SetCaption("Fennox \xC3\xBC"
                      "bertragen und k\xC3\xB6"
                      "nnen");
    place(Label3, 8, 29, 0, 0);
    Label5.SetCaption("hier NICHT ver\xC3\xA4"
                      "ndert werden!");
    place(Label5, 8, 42, 0, 0);
    cbx_mot.SetCaption("Mot");
    place(cbx_mot, 10, 60, 52, 17);
    cbx_dcc_stream.SetCaption("DCC");
    place(cbx_dcc_stream, 75, 60, 68, 17);
    Label4.SetCaption("SW Version");
    place(Label4, 10, 87, 0, 0);
    place(edt_version, 75, 84, 75, 21);
    edt_version.SetEnabled(false);

    GroupBoxTextfeld.SetCaption("Textfeld");
    place(GroupBoxTextfeld, 0, 0, 169, 81);
    btn_clear.SetCaption("l\xC3\xB6"
                         "schen");
    place(btn_clear, 8, 16, 73, 25);
    btn_save.SetCaption("speichern");
    place(btn_save, 86, 16, 75, 25);
    btn_clipboard.SetCaption("Copy to Clipboard");
    place(btn_clipboard, 7, 47, 154, 25);

    btnStart.SetCaption("Start");
    btnStart.Bold = true;
    place(btnStart, 8, 0, 153, 25);
    btnStop.SetCaption("Stop");
    btnStop.Bold = true;
    place(btnStop, 8, 0, 153, 25);
    btnClose.SetCaption("Ende");
    btnClose.Bold = true;
    place(btnClose, 0, 0, 153, 19);

    GroupBoxAnzeige1.SetCaption("Anzeige-Art");
    place(GroupBoxAnzeige1, 0, 0, 169, 127);
    cbx_time.SetCaption("auch Zeit anzeigen");
    place(cbx_time, 13, 20, 150, 17);
    cbx_binaer.SetCaption("auch bin\xC3\xA4r anzeigen");
    place(cbx_binaer, 13, 40, 150, 17);
    cbx_bitstream.SetCaption("Bitstream-Fenster");
    place(cbx_bitstream, 37, 60, 126, 17);
    cbx_schrott.SetCaption("Schrott-Daten");
    place(cbx_schrott, 13, 80, 150, 17);
    cbx_only_once.SetCaption("keine Doppelten");
    place(cbx_only_once, 13, 100, 150, 17);

    GroupBoxFilter.SetCaption("Filter");
    place(GroupBoxFilter, 0, 0, 169, 66);
    cbx_filter.SetCaption("Filter auf Adress-Bereich");
    cbx_filter.SetHint("Es kann auf Adress-Bereiche gefiltert werden. Nur Adressen zwischen "
                       "MIN und MAX werden angezeigt");
    place(cbx_filter, 8, 14, 155, 17);
    edt_min.SetHint("Adress-Filter: MIN Grenzwert");
    place(edt_min, 11, 36, 54, 21);
    Label6.SetCaption("bis");
    place(Label6, 72, 40, 0, 0);
    edt_max.SetHint("Adress-Filter: MAX Grenzwert");
    place(edt_max, 96, 36, 54, 21);

    GroupBoxAnzeigeSchalt.SetCaption("Schalt Befehle");
    place(GroupBoxAnzeigeSchalt, 0, 0, 169, 106);
    cbx_schaltbefehle.SetCaption("zeige Schalt-Befehle");
    place(cbx_schaltbefehle, 13, 20, 150, 17);
    cbx_nur_ON.SetCaption("nur ON Befehle");
    place(cbx_nur_ON, 13, 40, 150, 17);

    GroupBoxAnzeigeLok.SetCaption("LOK Befehle");
    place(GroupBoxAnzeigeLok, 0, 0, 169, 151);
    cbx_lokbefehle_s.SetCaption("zeige SPEED Befehle");
    place(cbx_lokbefehle_s, 13, 20, 150, 17);
    cbx_lokbefehle_f.SetCaption("zeige F-Befehle");
    place(cbx_lokbefehle_f, 13, 40, 150, 17);
    cbx_railcom.SetCaption("zeige RailCom-Befehle");
    place(cbx_railcom, 13, 60, 150, 17);
    cbx_idle.SetCaption("zeige Idle");
    place(cbx_idle, 13, 78, 150, 17);
    cbx_sonstige.SetCaption("sonstige");
    place(cbx_sonstige, 13, 96, 150, 17);
    cbx_cv.SetCaption("CV Befehle");
    place(cbx_cv, 13, 114, 150, 17);

    Image1.SetHint("Zur WebSite");
    place(Image1, 0, 0, 200, 32);
    ProgressBar2.SetHint("Anzeige F\xC3\xBC"
                         "llstand des Eingangs-Puffers");
    place(ProgressBar2, 0, 0, 0, 16);

    // The Bitstream log and its splitter are shown by ArrangeControls when
    // the Bitstream switch is on.
    Splitter1.SetVisible(false);
    Memo2.SetVisible(false);
    place(Memo2, 0, 0, Memo2Width, 0);
    place(Splitter1, 0, 0, Splitter1Width, 0);
}

void TfrmMain::ConnectHandlers() {
    const auto guarded = [this](void (TfrmMain::*handler)()) {
        return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
    };
    btnCheck.OnClick = guarded(&TfrmMain::btnCheckClick);
    btnStart.OnClick = guarded(&TfrmMain::btnStartClick);
    btnStop.OnClick = guarded(&TfrmMain::btnStopClick);
    btnClose.OnClick = guarded(&TfrmMain::btnCloseClick);
    for (TRadioButton* r : RadCom)
        r->OnClick = guarded(&TfrmMain::rad_comClick);
    // The tick handles its own failures (its error box must count as part
    // of the tick).
    Timer1.OnTimer = [this] { Timer1Timer(); };
    btn_clear.OnClick = guarded(&TfrmMain::btn_clearClick);
    btn_save.OnClick = guarded(&TfrmMain::btn_saveClick);
    btn_clipboard.OnClick = guarded(&TfrmMain::btn_clipboardClick);
    Image1.OnClick = guarded(&TfrmMain::Image1Click);
    cbx_filter.OnClick = guarded(&TfrmMain::cbx_filterClick);
    cbx_bitstream.OnClick = guarded(&TfrmMain::cbx_bitstreamClick);
    edt_min.OnChange = guarded(&TfrmMain::edt_minChange);
    edt_max.OnChange = guarded(&TfrmMain::edt_maxChange);

    TComLinkHook hook;
    hook.ShowErrorBox = [this](const std::string& caption, const std::string& text) {
        Platform.ShowCommErrorBox(caption, text);
    };
    hook.RequestStop = [this] {
        btnStart.SetEnabled(true);
        btnStop.SetEnabled(false);
    };
    SetComLinkHook(hook);
}

void TfrmMain::Guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        Platform.ShowErrorBox(e.what());
    } catch (...) {
        Platform.ShowErrorBox("Unbekannter Fehler");
    }
}

void TfrmMain::ArrangeControls() {
    const TPanelLayout l = ArrangeLayout(ControlSizes());
    btnCheck.SetGeometry(l.btnCheck);
    RadioGroupComPort.SetGeometry(l.RadioGroupComPort);
    GroupBoxHardware.SetGeometry(l.GroupBoxHardware);
    GroupBoxTextfeld.SetGeometry(l.GroupBoxTextfeld);
    btnStart.SetGeometry(l.btnStart);
    btnStop.SetGeometry(l.btnStop);
    btnClose.SetGeometry(l.btnClose);
    GroupBoxAnzeige1.SetGeometry(l.GroupBoxAnzeige1);
    GroupBoxFilter.SetGeometry(l.GroupBoxFilter);
    GroupBoxAnzeigeSchalt.SetGeometry(l.GroupBoxAnzeigeSchalt);
    GroupBoxAnzeigeLok.SetGeometry(l.GroupBoxAnzeigeLok);
    Image1.SetGeometry(l.Image1);
    ProgressBar2.SetGeometry(l.ProgressBar2);

    // The outer height, frame included; the width only raised to the
    // minimum.
    SetMinSize(0, 0);
    Resize(Geometry().Width, l.WindowHeight);
    SetMinSize(MinWindowWidth, MinWindowHeight);

    if (cbx_bitstream.Checked()) {
        Memo2.SetVisible(true);
        Splitter1.SetVisible(true);
    } else {
        Splitter1.SetVisible(false);
        Memo2.SetVisible(false);
    }
}

TCheckBox& TfrmMain::Box(TSwitch s) {
    return const_cast<TCheckBox&>(static_cast<const TfrmMain*>(this)->Box(s));
}

const TCheckBox& TfrmMain::Box(TSwitch s) const {
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
    return Box(s).Checked();
}
void TfrmMain::SetChecked(TSwitch s, bool checked) {
    Box(s).SetChecked(checked);
}
void TfrmMain::SetVisible(TSwitch s, bool visible) {
    Box(s).SetVisible(visible);
}
void TfrmMain::SetEnabled(TSwitch s, bool enabled) {
    Box(s).SetEnabled(enabled);
}
std::string TfrmMain::MinText() const {
    return Utf8ToLatin1(edt_min.Text());
}
std::string TfrmMain::MaxText() const {
    return Utf8ToLatin1(edt_max.Text());
}
void TfrmMain::AppendMonitorLine(std::string_view line) {
    Memo1.Lines.AppendLatin1(line);
}
void TfrmMain::AppendBitstreamLine(std::string_view line) {
    Memo2.Lines.AppendLatin1(line);
}
void TfrmMain::SetVersionText(const std::string& text) {
    edt_version.SetText(Latin1ToUtf8(text));
}
std::string_view TfrmMain::TimeText() {
    ClockText = Platform.TimeText();
    return ClockText;
}
