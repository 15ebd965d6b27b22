// Reading and writing the settings file.
#include "ini_file.h"
#include "main_window.h"

#include "latin1_text.h"
#include "number_text.h"
#include "port_names.h"
#include "settings_place.h"

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
    // The switches, then the filter's box and bounds: a check box is on when
    // its value is not 0, a text field shows the value in decimal.
    for (const TStored& s : StoredControls) {
        const int32_t value = ini.ReadInteger(s.Key->Section, s.Key->ReadKey, s.Key->Default);
        if (s.Control->Kind() == TControlKind::CheckBox)
            static_cast<TCheckBox*>(s.Control)->SetChecked(value != 0);
        else
            static_cast<TEdit*>(s.Control)->SetText(std::to_string(value));
    }

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
    // A text that is not an integer is stored as 0.
    for (const TStored& s : StoredControls) {
        const int32_t value =
            s.Control->Kind() == TControlKind::CheckBox
                ? (static_cast<const TCheckBox*>(s.Control)->Checked() ? 1 : 0)
                : IntegerFromText(Utf8ToLatin1(static_cast<const TEdit*>(s.Control)->Text()));
        ini.WriteInteger(s.Key->Section, s.Key->WriteKey, value);
    }
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
