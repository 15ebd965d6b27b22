// Reading and writing the settings file.
#include "ini_file.h"
#include "main_window.h"

#include "number_text.h"
#include "port_names.h"
#include "settings_place.h"

namespace {

// The switches of section "SETTINGS" in the order they are read. Only
// cbx_binaer's key is spelled differently when written.
struct TSwitchKey {
    const char* ReadKey;
    const char* WriteKey;
    TSwitch Switch;
};

const TSwitchKey SwitchKeys[] = {
    {"Zeige_Zeit", "Zeige_Zeit", TSwitch::cbx_time},
    {"Zeige_Bin", "Zeige_bin", TSwitch::cbx_binaer},
    {"Zeige_Schaltbefehle", "Zeige_Schaltbefehle", TSwitch::cbx_schaltbefehle},
    {"Nur_ON", "Nur_ON", TSwitch::cbx_nur_ON},
    {"Zeige_Lokbefehle_S", "Zeige_Lokbefehle_S", TSwitch::cbx_lokbefehle_s},
    {"Zeige_Lokbefehle_F", "Zeige_Lokbefehle_F", TSwitch::cbx_lokbefehle_f},
    {"Zeige_RailCom", "Zeige_RailCom", TSwitch::cbx_railcom},
    {"Zeige_Idle", "Zeige_Idle", TSwitch::cbx_idle},
    {"Zeige_Sonstiges", "Zeige_Sonstiges", TSwitch::cbx_sonstige},
    {"Zeige_CV", "Zeige_CV", TSwitch::cbx_cv},
    {"MM", "MM", TSwitch::cbx_mot},
    {"DCC", "DCC", TSwitch::cbx_dcc_stream},
    {"Only_Once", "Only_Once", TSwitch::cbx_only_once},
};

// The order in which they are written: "Only_Once" before the mode boxes.
const int WriteOrder[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 10, 11};

} // namespace

void TfrmMain::ReadProgIni() {
    const TIniFile ini = TIniFile::Load(SettingsFile);

    // Device paths of the port choices; read, never written.
    TPortOverrides overrides;
    for (const TIniFile::TEntry& e : ini.SectionEntries("Ports"))
        overrides.push_back({e.Key, e.Value});
    SetPortOverrides(overrides);
    for (int i = 0; i < 9; ++i)
        RadCom[i]->SetHint(PortDevicePath(PortName(i + 1)));

    ReadSize = ini.ReadInteger("SETTINGS", "Buffersize", 255);
    const int32_t port = ini.ReadInteger("SETTINGS", "COM-Port", 5);
    if (port >= 1 && port <= 9)
        RadCom[port - 1]->SetChecked(true);
    for (const TSwitchKey& k : SwitchKeys)
        SetChecked(k.Switch, ini.ReadInteger("SETTINGS", k.ReadKey, 0) != 0);
    cbx_filter.SetChecked(ini.ReadInteger("FILTER", "FILTER", 0) != 0);
    edt_min.SetText(std::to_string(ini.ReadInteger("FILTER", "Min", 0)));
    edt_max.SetText(std::to_string(ini.ReadInteger("FILTER", "Max", 9999)));

    // The outer width; the minimum raises a smaller one to 1000.
    Resize(ini.ReadInteger("Window", "Width", 560), Geometry().Height);
    const int top = ini.ReadInteger("Window", "Top", 10);
    const int left = ini.ReadInteger("Window", "Left", 10);
    // A monitor since unplugged would leave the window where nobody can
    // reach it; it then starts where a first start puts it.
    const TRect wanted{left, top, Geometry().Width, Geometry().Height};
    if (Platform.OnSomeScreen(wanted))
        Move(left, top);
    else
        Move(10, 10);
}

void TfrmMain::WriteProgIni() {
    TIniFile ini = TIniFile::Load(SettingsFile);
    ini.WriteInteger("SETTINGS", "COM-Port", CheckedPort());
    ini.WriteInteger("SETTINGS", "Buffersize", ReadSize);
    for (int i : WriteOrder)
        ini.WriteInteger("SETTINGS", SwitchKeys[i].WriteKey,
                         IsChecked(SwitchKeys[i].Switch) ? 1 : 0);
    ini.WriteInteger("FILTER", "FILTER", cbx_filter.Checked() ? 1 : 0);
    ini.WriteInteger("FILTER", "Min", IntegerFromText(MinText()));
    ini.WriteInteger("FILTER", "Max", IntegerFromText(MaxText()));
    ini.WriteInteger("Window", "Width", Geometry().Width);
    ini.WriteInteger("Window", "Top", Geometry().Top);
    ini.WriteInteger("Window", "Left", Geometry().Left);
    CreateSettingsFolder(SettingsFolder);
    ini.Save(SettingsFile);
}

void TfrmMain::btnCloseClick() {
    // A failed store leaves the window open, so "Ende" can be tried again.
    WriteProgIni();
    Closing = true;
    if (OnClose)
        OnClose();
}
