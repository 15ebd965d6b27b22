// Every control of the main window, declared once. The window's members,
// its list of controls, the layout's fixed sizes, the display switches the
// decoder reads and the settings file's keys all come from this table, and
// the front ends create their native controls from it. Adding a control is
// one row here plus its handler.
//
// Columns:
//   Name      the control's name as the rest of the program knows it
//   Kind      TControlKind: what the front ends create for it
//   Parent    the control it lies in (frmMain: the window itself)
//   Look      TLook: its font
//   Caption   UTF-8 ("l\xC3\xB6schen")
//   Hint      the tooltip, UTF-8
//   Left, Top, Width, Height
//             its rectangle in its parent; tops and lefts that
//             ArrangeControls computes are 0 here, and a label of width 0
//             sizes itself to its caption
//   Key       NoKey, or Key(section, key as read, key as written, order, default):
//             a check box stores its checked state (1 or 0), a text field
//             its text as an integer; order is the place among these entries
//             when the file is read and written
//   Switch    Switch: the decoder reads (or sets) it as the display switch
//             of the same name; NoSwitch otherwise
//
// Rows come parents first, in the order the keyboard walks them.
#pragma once

// clang-format off
#define FENNOX_MAIN_CONTROLS(X) \
    X(Panel1, Panel, frmMain, Plain, "", "", 0, 0, 353, 0, NoKey, NoSwitch) \
    X(Label1, Label, Panel1, Plain, "", "", 112, 8, 0, 0, NoKey, NoSwitch) \
    X(btnCheck, Button, Panel1, Plain, "COM Suche", "", 16, 16, 75, 25, NoKey, NoSwitch) \
    X(RadioGroupComPort, GroupBox, Panel1, Plain, "COM-Port", "", 0, 0, 169, 89, NoKey, NoSwitch) \
    X(rad_com1, RadioButton, Panel1, Plain, "Com1", "", 6, 56, 57, 17, NoKey, NoSwitch) \
    X(rad_com2, RadioButton, Panel1, Plain, "Com2", "", 6, 72, 57, 17, NoKey, NoSwitch) \
    X(rad_com3, RadioButton, Panel1, Plain, "Com3", "", 6, 88, 57, 17, NoKey, NoSwitch) \
    X(rad_com4, RadioButton, Panel1, Plain, "Com4", "", 6, 104, 57, 17, NoKey, NoSwitch) \
    X(rad_com5, RadioButton, Panel1, Plain, "Com5", "", 60, 56, 57, 17, NoKey, NoSwitch) \
    X(rad_com6, RadioButton, Panel1, Plain, "Com6", "", 60, 72, 57, 17, NoKey, NoSwitch) \
    X(rad_com7, RadioButton, Panel1, Plain, "Com7", "", 60, 88, 57, 17, NoKey, NoSwitch) \
    X(rad_com8, RadioButton, Panel1, Plain, "Com8", "", 60, 104, 57, 17, NoKey, NoSwitch) \
    X(rad_com9, RadioButton, Panel1, Plain, "Com9", "", 114, 56, 49, 17, NoKey, NoSwitch) \
    X(GroupBoxHardware, GroupBox, Panel1, Plain, "Fennox Hardware Info", "", 0, 0, 169, 113, NoKey, NoSwitch) \
    X(Label2, Label, GroupBoxHardware, Plain, "Diese Parameter werden vom", "", 8, 16, 0, 0, NoKey, NoSwitch) \
    X(Label3, Label, GroupBoxHardware, Plain, "Fennox \xC3\xBC" "bertragen und k\xC3\xB6" "nnen", "", 8, 29, 0, 0, NoKey, NoSwitch) \
    X(Label5, Label, GroupBoxHardware, Plain, "hier NICHT ver\xC3\xA4" "ndert werden!", "", 8, 42, 0, 0, NoKey, NoSwitch) \
    X(cbx_mot, CheckBox, GroupBoxHardware, Plain, "Mot", "", 10, 60, 52, 17, Key("SETTINGS", "MM", "MM", 12, 0), Switch) \
    X(cbx_dcc_stream, CheckBox, GroupBoxHardware, Plain, "DCC", "", 75, 60, 68, 17, Key("SETTINGS", "DCC", "DCC", 13, 0), Switch) \
    X(Label4, Label, GroupBoxHardware, Plain, "SW Version", "", 10, 87, 0, 0, NoKey, NoSwitch) \
    X(edt_version, Edit, GroupBoxHardware, Plain, "", "", 75, 84, 75, 21, NoKey, NoSwitch) \
    X(GroupBoxTextfeld, GroupBox, Panel1, Plain, "Textfeld", "", 0, 0, 169, 81, NoKey, NoSwitch) \
    X(btn_clear, Button, GroupBoxTextfeld, Plain, "l\xC3\xB6" "schen", "", 8, 16, 73, 25, NoKey, NoSwitch) \
    X(btn_save, Button, GroupBoxTextfeld, Plain, "speichern", "", 86, 16, 75, 25, NoKey, NoSwitch) \
    X(btn_clipboard, Button, GroupBoxTextfeld, Plain, "Copy to Clipboard", "", 7, 47, 154, 25, NoKey, NoSwitch) \
    X(btnStart, Button, Panel1, Bold, "Start", "", 8, 0, 153, 25, NoKey, NoSwitch) \
    X(btnStop, Button, Panel1, Bold, "Stop", "", 8, 0, 153, 25, NoKey, NoSwitch) \
    X(btnClose, Button, Panel1, Bold, "Ende", "", 0, 0, 153, 19, NoKey, NoSwitch) \
    X(GroupBoxAnzeige1, GroupBox, Panel1, Plain, "Anzeige-Art", "", 0, 0, 169, 127, NoKey, NoSwitch) \
    X(cbx_time, CheckBox, GroupBoxAnzeige1, Plain, "auch Zeit anzeigen", "", 13, 20, 150, 17, Key("SETTINGS", "Zeige_Zeit", "Zeige_Zeit", 1, 0), Switch) \
    X(cbx_binaer, CheckBox, GroupBoxAnzeige1, Plain, "auch bin\xC3\xA4r anzeigen", "", 13, 40, 150, 17, Key("SETTINGS", "Zeige_Bin", "Zeige_bin", 2, 0), Switch) \
    X(cbx_bitstream, CheckBox, GroupBoxAnzeige1, Plain, "Bitstream-Fenster", "", 37, 60, 126, 17, NoKey, Switch) \
    X(cbx_schrott, CheckBox, GroupBoxAnzeige1, Plain, "Schrott-Daten", "", 13, 80, 150, 17, NoKey, Switch) \
    X(cbx_only_once, CheckBox, GroupBoxAnzeige1, Plain, "keine Doppelten", "", 13, 100, 150, 17, Key("SETTINGS", "Only_Once", "Only_Once", 11, 0), Switch) \
    X(GroupBoxFilter, GroupBox, Panel1, Plain, "Filter", "", 0, 0, 169, 66, NoKey, NoSwitch) \
    X(cbx_filter, CheckBox, GroupBoxFilter, Plain, "Filter auf Adress-Bereich", "Es kann auf Adress-Bereiche gefiltert werden. Nur Adressen zwischen MIN und MAX werden angezeigt", 8, 14, 155, 17, Key("FILTER", "FILTER", "FILTER", 14, 0), Switch) \
    X(edt_min, Edit, GroupBoxFilter, Plain, "", "Adress-Filter: MIN Grenzwert", 11, 36, 54, 21, Key("FILTER", "Min", "Min", 15, 0), NoSwitch) \
    X(Label6, Label, GroupBoxFilter, Plain, "bis", "", 72, 40, 0, 0, NoKey, NoSwitch) \
    X(edt_max, Edit, GroupBoxFilter, Plain, "", "Adress-Filter: MAX Grenzwert", 96, 36, 54, 21, Key("FILTER", "Max", "Max", 16, 9999), NoSwitch) \
    X(GroupBoxAnzeigeSchalt, GroupBox, Panel1, Plain, "Schalt Befehle", "", 0, 0, 169, 106, NoKey, NoSwitch) \
    X(cbx_schaltbefehle, CheckBox, GroupBoxAnzeigeSchalt, Plain, "zeige Schalt-Befehle", "", 13, 20, 150, 17, Key("SETTINGS", "Zeige_Schaltbefehle", "Zeige_Schaltbefehle", 3, 0), Switch) \
    X(cbx_nur_ON, CheckBox, GroupBoxAnzeigeSchalt, Plain, "nur ON Befehle", "", 13, 40, 150, 17, Key("SETTINGS", "Nur_ON", "Nur_ON", 4, 0), Switch) \
    X(GroupBoxAnzeigeLok, GroupBox, Panel1, Plain, "LOK Befehle", "", 0, 0, 169, 151, NoKey, NoSwitch) \
    X(cbx_lokbefehle_s, CheckBox, GroupBoxAnzeigeLok, Plain, "zeige SPEED Befehle", "", 13, 20, 150, 17, Key("SETTINGS", "Zeige_Lokbefehle_S", "Zeige_Lokbefehle_S", 5, 0), Switch) \
    X(cbx_lokbefehle_f, CheckBox, GroupBoxAnzeigeLok, Plain, "zeige F-Befehle", "", 13, 40, 150, 17, Key("SETTINGS", "Zeige_Lokbefehle_F", "Zeige_Lokbefehle_F", 6, 0), Switch) \
    X(cbx_railcom, CheckBox, GroupBoxAnzeigeLok, Plain, "zeige RailCom-Befehle", "", 13, 60, 150, 17, Key("SETTINGS", "Zeige_RailCom", "Zeige_RailCom", 7, 0), Switch) \
    X(cbx_idle, CheckBox, GroupBoxAnzeigeLok, Plain, "zeige Idle", "", 13, 78, 150, 17, Key("SETTINGS", "Zeige_Idle", "Zeige_Idle", 8, 0), Switch) \
    X(cbx_sonstige, CheckBox, GroupBoxAnzeigeLok, Plain, "sonstige", "", 13, 96, 150, 17, Key("SETTINGS", "Zeige_Sonstiges", "Zeige_Sonstiges", 9, 0), Switch) \
    X(cbx_cv, CheckBox, GroupBoxAnzeigeLok, Plain, "CV Befehle", "", 13, 114, 150, 17, Key("SETTINGS", "Zeige_CV", "Zeige_CV", 10, 0), Switch) \
    X(Image1, Picture, Panel1, Plain, "", "Zur WebSite", 0, 0, 200, 32, NoKey, NoSwitch) \
    X(ProgressBar2, ProgressBar, Panel1, Plain, "", "Anzeige F\xC3\xBC" "llstand des Eingangs-Puffers", 0, 0, 0, 16, NoKey, NoSwitch) \
    X(Memo1, Memo, frmMain, Monitor, "", "", 0, 0, 0, 0, NoKey, NoSwitch) \
    X(Splitter1, Splitter, frmMain, Plain, "", "", 0, 0, 5, 0, NoKey, NoSwitch) \
    X(Memo2, Memo, frmMain, Note, "", "", 0, 0, 345, 0, NoKey, NoSwitch) \
    X(Timer1, Timer, frmMain, Plain, "", "", 0, 0, 0, 0, NoKey, NoSwitch)
// clang-format on
