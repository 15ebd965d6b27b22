#include "error_box.h"

#include <QEventLoop>
#include <QMessageBox>
#include <QPushButton>

void ShowErrorBox(const QString& text) {
    QMessageBox box(QMessageBox::Critical, "Fennox", text, QMessageBox::Ok);
    box.setObjectName("ErrorBox");
    box.exec();
}

void ShowSystemErrorBox(const QString& caption, const QString& text) {
    // No owner and not modal: the caller waits for the box, but the main
    // window stays operable meanwhile (exec() would block every window).
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.setObjectName("CommErrorBox");
    box.setWindowModality(Qt::NonModal);
    QEventLoop wait;
    QObject::connect(&box, &QDialog::finished, &wait, &QEventLoop::quit);
    box.show();
    wait.exec();
}

void ShowWarningDialog(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, "Warnung", text, QMessageBox::NoButton, parent);
    box.setObjectName("WarningDialog");
    box.addButton("Abbrechen", QMessageBox::RejectRole);
    box.exec();
}
