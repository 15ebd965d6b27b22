// The program's message boxes.
#pragma once

#include <QString>

#include <functional>

class QWidget;

// The error box: the failure's text, caption "Fennox", error icon, OK.
void ShowErrorBox(const QString& text);

// Runs a handler; a failure that escapes it is shown in the error box and
// ends only that handler.
void RunGuarded(const std::function<void()>& handler);

// A serial call's error box: caption the call's name, no owner window.
void ShowSystemErrorBox(const QString& caption, const QString& text);

// The warning dialog of reception failures: title "Warnung", warning icon,
// the one button "Abbrechen".
void ShowWarningDialog(QWidget* parent, const QString& text);
