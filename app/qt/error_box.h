// The program's message boxes, in Qt.
#pragma once

#include <QString>

class QWidget;

// The error box: the failure's text, caption "Fennox", error icon, OK.
void ShowErrorBox(const QString& text);

// A serial call's error box: caption the call's name, no owner window, not
// modal; returns when it has been closed.
void ShowSystemErrorBox(const QString& caption, const QString& text);

// The warning dialog of reception failures: title "Warnung", warning icon,
// the one button "Abbrechen".
void ShowWarningDialog(QWidget* parent, const QString& text);
