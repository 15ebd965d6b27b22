// Every control of the analysis window, declared once, as control_table.h
// declares the main window's. The window's members, its list of controls and
// what the front ends create come from this table; the places come from
// ArrangeAnalysis (analysis_window.h), since they follow the window's size.
//
// Columns: Name, Kind (TControlKind), Look (TLook), Caption (UTF-8), Hint.
// Every control lies in the window itself. Rows come in the order the
// keyboard walks them.
#pragma once

// clang-format off
#define FENNOX_ANALYSIS_CONTROLS(X) \
    X(btnZuruecksetzen, Button, Plain, "Zur\xC3\xBC" "cksetzen", "Z\xC3\xA4hlt von vorn, als beg\xC3\xA4nne der Empfang jetzt") \
    X(btnKopieren, Button, Plain, "Kopieren", "Die Zahlen als JSON in die Zwischenablage, wie fennox-stats --json sie ausgibt") \
    X(btnBericht, Button, Plain, "Bericht speichern\xE2\x80\xA6", "Eine HTML-Seite wie von fennox-stats --html, zum Weitergeben") \
    X(btnAufzeichnen, Button, Plain, "Rohdaten aufzeichnen\xE2\x80\xA6", "Jedes empfangene Byte in eine Datei, wie fennox-record sie schreibt") \
    X(lblPakete, Label, Plain, "", "") \
    X(lblRate, Label, Plain, "", "") \
    X(lblGeraet, Label, Plain, "", "") \
    X(lblAufzeichnung, Label, Plain, "", "") \
    X(lblArten, Label, Bold, "Paketarten", "") \
    X(tblArten, Table, Plain, "", "") \
    X(lblPraeambeln, Label, Bold, "Pr\xC3\xA4" "ambeln (Einsen vor dem Startbit)", "") \
    X(chtPraeambeln, BarChart, Plain, "", "Pakete je Pr\xC3\xA4" "ambell\xC3\xA4nge; orange: k\xC3\xBCrzer als die 14 Einsen, die eine Zentrale senden muss") \
    X(lblLoks, Label, Bold, "Lokomotiven", "") \
    X(tblLoks, Table, Plain, "", "Eine Lok w\xC3\xA4hlen: ihre letzten Pakete erscheinen unten") \
    X(lblZubehoer, Label, Bold, "Zubeh\xC3\xB6r", "") \
    X(tblZubehoer, Table, Plain, "", "Einen Ausgang w\xC3\xA4hlen: seine letzten Pakete erscheinen unten") \
    X(lblVerlauf, Label, Bold, "", "") \
    X(tblVerlauf, Table, Plain, "", "") \
    X(Timer1, Timer, Plain, "", "")
// clang-format on
