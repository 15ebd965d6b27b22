// The desktop's services for the window's logic, from Qt.
#pragma once

#include "platform.h"

#include <QFileDialog>
#include <QPointer>
#include <QProgressDialog>

class QWidget;

class TQtPlatform : public TPlatform {
public:
    TQtPlatform();
    ~TQtPlatform();

    // The window that owns the modal boxes and the save dialog.
    void SetOwner(QWidget* owner);
    QFileDialog* SaveDialog() const { return SaveDialog1; }

    void ShowErrorBox(const std::string& text) override;
    void ShowWarningDialog(const std::string& text) override;
    void ShowCommErrorBox(const std::string& caption, const std::string& text) override;
    bool ExecuteSaveDialog(const TSaveDialogRequest& request, std::string& path) override;
    bool SetClipboardText(const std::string& text) override;
    void OpenUrl(const std::string& url) override;
    bool OnSomeScreen(const TRect& outer) const override;
    std::string ProgramPath() const override;
    std::string TimeText() override;
    void ShowProgress(const std::string& text, int percent) override;
    void HideProgress() override;
    void RunPendingEvents() override;

private:
    QWidget* Owner = nullptr;
    // Owned by the window once there is one, and gone with it.
    QPointer<QFileDialog> SaveDialog1;
    QPointer<QProgressDialog> Progress;
};

// Puts UTF-8 text on the clipboard, for the platform and the log views.
// Always true: X11 and Wayland hand the clipboard to whoever asks, so there
// is no one to wait for.
bool PutTextOnClipboard(const std::string& utf8);
