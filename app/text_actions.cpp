// The actions on the text fields, the filter fields and the picture.
#include "log_view.h"
#include "main_window.h"

#include "number_text.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QSaveFile>
#include <QUrl>

#include <stdexcept>

void TfrmMain::btn_clearClick() {
    Memo1->Clear();
    Memo2->Clear();
    edt_version->clear();
}

void TfrmMain::btn_saveClick() {
    SaveDialog1->setDefaultSuffix("txt");
    SaveDialog1->setWindowTitle("Aufzeichnung speichern");
    // The dialog keeps the last chosen name and offers it again.
    if (SaveDialog1->exec() != QDialog::Accepted || SaveDialog1->selectedFiles().isEmpty()) {
        AppendMonitorLine("Daten konnten nicht gespeichert werden !!");
        return;
    }
    const QString path = SaveDialog1->selectedFiles().first();
    SaveMonitorLog(path);
    AppendMonitorLine("...gespeichert");
}

void TfrmMain::SaveMonitorLog(const QString& path) {
    // Written beside the old file and renamed over it, so a failure never
    // leaves a half-written recording in place of a good one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw std::runtime_error(
            ("Datei " + path + " kann nicht geschrieben werden: " + file.errorString())
                .toStdString());
    // Straight from the log's storage: a long log never passes through one
    // big string on its way to the file. An unfinished file is discarded when
    // file goes out of scope.
    if (!Memo1->WriteTo(file) || !file.commit())
        throw std::runtime_error(
            ("Datei " + path + " kann nicht geschrieben werden: " + file.errorString())
                .toStdString());
}

void TfrmMain::btn_clipboardClick() {
    Memo1->SelectAllAndCopy();
}

void TfrmMain::Image1Click() {
    // Nothing is shown when no browser can be started.
    QDesktopServices::openUrl(QUrl(DccStandardsUrl));
}

void TfrmMain::cbx_filterClick() {
    edt_min->setEnabled(cbx_filter->isChecked());
    edt_max->setEnabled(edt_min->isEnabled());
}

void TfrmMain::cbx_bitstreamClick() {
    ArrangeControls();
}

void TfrmMain::edt_minChange() {
    FilterMinValue = IntegerFromText(MinText());
}

void TfrmMain::edt_maxChange() {
    FilterMaxValue = IntegerFromText(MaxText());
}
