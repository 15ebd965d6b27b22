// Building the main window: controls, start-up defaults, layout, and the
// window's side of the decoder host.
#include "main_window.h"

#include "ini_file.h"
#include "latin1_text.h"
#include "port_names.h"
#include "settings_place.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

const char* const DccStandardsUrl =
    "https://www.nmra.org/index-nmra-standards-and-recommended-practices";

TfrmMain::TfrmMain(TPlatform& platform)
    : TForm("frmMain"), StreamDecoder(*this), Platform(platform), frmAnalyse(platform),
      SettingsFile(), SettingsFolder() {
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

void TfrmMain::BuildControls() {
#define FENNOX_CONTROL_POINTER(name, ...) &name,
    AllControls = {FENNOX_MAIN_CONTROLS(FENNOX_CONTROL_POINTER)};
#undef FENNOX_CONTROL_POINTER
#define FENNOX_SWITCH_BOX_Switch(name) SwitchBoxes[static_cast<int>(TSwitch::name)] = &name;
#define FENNOX_SWITCH_BOX_NoSwitch(name)
#define FENNOX_SWITCH_BOX(name, kind, parent, look, caption, hint, l, t, w, h, key, sw)            \
    FENNOX_SWITCH_BOX_##sw(name)
    FENNOX_MAIN_CONTROLS(FENNOX_SWITCH_BOX)
#undef FENNOX_SWITCH_BOX
#undef FENNOX_SWITCH_BOX_NoSwitch
#undef FENNOX_SWITCH_BOX_Switch
    for (const TCheckBox* box : SwitchBoxes) {
        if (box == nullptr)
            throw std::logic_error("a display switch has no check box in the control table");
    }

    const auto byName = [this](const char* name) -> TControl* {
        if (Name() == name)
            return this;
        for (TControl* c : AllControls) {
            if (c->Name() == name)
                return c;
        }
        throw std::logic_error(std::string("no control ") + name);
    };
    for (std::size_t i = 0; i < MainControlCount; ++i) {
        const TControlDef& d = MainControlDefs[i];
        TControl& c = *AllControls[i];
        c.SetParent(byName(d.Parent));
        c.SetLook(d.Look);
        c.SetCaption(d.Caption);
        c.SetHint(d.Hint);
        c.SetGeometry(d.Rect);
        if (d.Key.Section != nullptr)
            StoredControls.push_back({&d.Key, &c});
        if (d.Kind == TControlKind::RadioButton) {
            auto& r = static_cast<TRadioButton&>(c);
            RadCom[PortGroup.size()] = &r;
            r.JoinGroup(PortGroup);
        }
    }
    std::stable_sort(
        StoredControls.begin(), StoredControls.end(),
        [](const TStored& a, const TStored& b) { return a.Key->Order < b.Key->Order; });
    // Each port choice shows the device it stands for.
    for (int i = 0; i < 9; ++i)
        RadCom[i]->SetHint(PortDevicePath(PortName(i + 1)));
    // The keyboard walks the panel's controls, not the Monitor log.
    Memo1.SetTabStop(false);
    // Shown for reading only: none of its controls can be operated.
    GroupBoxHardware.SetEnabled(false);
    edt_version.SetEnabled(false);
    // The Bitstream log and its splitter are shown by ArrangeControls when
    // the Bitstream switch is on.
    Splitter1.SetVisible(false);
    Memo2.SetVisible(false);
}

void TfrmMain::ConnectHandlers() {
    const auto guarded = [this](void (TfrmMain::*handler)()) {
        return GuardedHandler(Platform, this, handler);
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
    // The analysis window: F2 anywhere in the window, and the Monitor log's
    // context menu.
    SetFunctionKey(2, guarded(&TfrmMain::OpenAnalysis));
    Memo1.Menu = [this](std::size_t line) { return Memo1MenuItems(line); };

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

void RunGuarded(TPlatform& platform, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        platform.ShowErrorBox(e.what());
    } catch (...) {
        platform.ShowErrorBox("Unbekannter Fehler");
    }
}

void TfrmMain::Guarded(const std::function<void()>& handler) {
    RunGuarded(Platform, handler);
}

void TfrmMain::OpenAnalysis() {
    // The first time beside the main window.
    if (!frmAnalyse.Visible() && !AnalysisShownBefore) {
        const TRect& main = Geometry();
        frmAnalyse.Move(main.Left + 60, main.Top + 40);
    }
    AnalysisShownBefore = true;
    frmAnalyse.Open();
}

std::vector<TLogOwnerItem> TfrmMain::Memo1MenuItems(std::size_t line) {
    std::vector<TLogOwnerItem> items;
    items.push_back(
        {"&Analyse\xE2\x80\xA6", "F2", [this] { Guarded([this] { OpenAnalysis(); }); }});
    if (line < Memo1.Lines.LineCount()) {
        const TLineAddress address = AddressOfMonitorLine(Memo1.Lines.Store().Line(line));
        if (address.Kind != TLineAddress::None)
            items.push_back({"Adresse &verfolgen", "", [this, address] {
                                 Guarded([this, address] {
                                     if (!frmAnalyse.Visible())
                                         OpenAnalysis();
                                     frmAnalyse.TraceLineAddress(address);
                                 });
                             }});
    }
    return items;
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

bool TfrmMain::IsChecked(TSwitch s) const {
    return SwitchBoxes[static_cast<int>(s)]->Checked();
}
void TfrmMain::SetChecked(TSwitch s, bool checked) {
    SwitchBoxes[static_cast<int>(s)]->SetChecked(checked);
}
void TfrmMain::SetVisible(TSwitch s, bool visible) {
    SwitchBoxes[static_cast<int>(s)]->SetVisible(visible);
}
void TfrmMain::SetEnabled(TSwitch s, bool enabled) {
    SwitchBoxes[static_cast<int>(s)]->SetEnabled(enabled);
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
TLogMark PacketLineMark(const TDecoderHost::TPacketFacts& facts) {
    if (!facts.ChecksumOk)
        return TLogMark::ChecksumError;
    if (facts.PreambleOnes >= 0 && facts.PreambleOnes < CommandStationPreamble)
        return TLogMark::ShortPreamble;
    return TLogMark::None;
}
void TfrmMain::AppendPacketLine(std::string_view line, const TPacketFacts& facts) {
    Memo1.Lines.AppendLatin1(line, PacketLineMark(facts));
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
