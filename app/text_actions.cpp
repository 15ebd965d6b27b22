// The actions on the text fields, the filter fields and the picture.
#include "main_window.h"

#include "latin1_text.h"
#include "number_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
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

namespace {

std::string CannotWrite(const std::string& path, int error) {
    return "Datei " + path + " kann nicht geschrieben werden: " + std::strerror(error);
}

} // namespace

void TfrmMain::SaveMonitorLog(const std::string& path) {
    // UTF-8 or the 8-bit code page, as the desktop's text files are; written beside the old file
    // and renamed over it, so a failure never leaves a half-written recording in place of a good
    // one.
    const std::string temp = path + ".fennox-tmp";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error(CannotWrite(path, errno));
    // Straight from the log's storage: a long log never passes through one
    // big string on its way to the file.
    const auto sink = [file](const char* data, std::size_t n) {
        return std::fwrite(data, 1, n, file) == n;
    };
    bool ok =
        Platform.SavesUtf8() ? Memo1.Lines.WriteUtf8CrLf(sink) : Memo1.Lines.WriteLatin1CrLf(sink);
    int error = ok ? 0 : errno;
    if (std::fclose(file) != 0 && error == 0) {
        error = errno;
        ok = false;
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        std::remove(temp.c_str());
        throw std::runtime_error(CannotWrite(path, error != 0 ? error : EIO));
    }
}

void TfrmMain::btn_clipboardClick() {
    Memo1.Lines.SelectAll();
    Platform.SetClipboardText(Latin1ToUtf8(Memo1.Lines.SelectedText()));
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
