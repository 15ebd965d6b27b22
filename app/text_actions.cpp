// The actions on the text fields, the filter fields and the picture.
#include "main_window.h"

#include "atomic_file.h"
#include "latin1_text.h"
#include "log_view.h"
#include "number_text.h"

#include <stdexcept>

void TfrmMain::btn_clearClick() {
    Memo1.Lines.Clear();
    Memo2.Lines.Clear();
    edt_version.SetText("");
}

void TfrmMain::btn_saveClick() {
    TSaveDialogRequest request;
    request.DefaultExtension = "txt";
    request.Title = "Aufzeichnung speichern";
    request.Filter = {"*.txt", "*.txt", "alle", "*.*"};
    // The dialog keeps the last chosen name and offers it again.
    std::string path;
    if (!Platform.ExecuteSaveDialog(request, path) || path.empty()) {
        AppendMonitorLine("Daten konnten nicht gespeichert werden !!");
        return;
    }
    SaveMonitorLog(path);
    AppendMonitorLine("...gespeichert");
}

void TfrmMain::SaveMonitorLog(const std::string& path) {
    // UTF-8 or the 8-bit code page, as the desktop's text files are. Written
    // as the settings file is: a failure never leaves half a recording in
    // place of a good one, a file marked read-only is refused with the
    // reason, and a link stays a link.
    TLongJob job(&Platform, "Aufzeichnung wird gespeichert \xE2\x80\xA6");
    const TLogProgress progress = [&job](size_t done, size_t total) { job.Step(done, total); };
    const std::string reason = WriteFileWhole(path, [&](const TPieceSink& sink) {
        // Straight from the log's blocks: a long log never passes through
        // one big string on its way to the file.
        if (Platform.SavesUtf8())
            Memo1.Lines.WriteUtf8CrLf(sink, progress);
        else
            Memo1.Lines.WriteLatin1CrLf(sink, progress);
    });
    if (!reason.empty())
        throw std::runtime_error("Datei " + path + " kann nicht geschrieben werden: " + reason);
}

void TfrmMain::btn_clipboardClick() {
    Memo1.Lines.SelectAll();
    CopySelection(Memo1.Lines, &Platform,
                  [this](const std::string& text) { return Platform.SetClipboardText(text); });
}

void TfrmMain::Image1Click() {
    // Nothing is shown when no browser can be started.
    Platform.OpenUrl(DccStandardsUrl);
}

void TfrmMain::cbx_filterClick() {
    edt_min.SetEnabled(cbx_filter.Checked());
    edt_max.SetEnabled(edt_min.Enabled());
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
