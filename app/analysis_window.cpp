#include "analysis_window.h"

#include "atomic_file.h"
#include "log_view.h"
#include "stats_html.h"
#include "stats_report.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

TAnalysisLayout ArrangeAnalysis(int width, int height) {
    constexpr int M = 8;     // margin and gap
    constexpr int Line = 16; // a label's height
    constexpr int Heading = Line + 2;
    constexpr int ChartHeight = 150;
    TAnalysisLayout l;
    // The buttons in a row, the totals in three lines under them.
    int x = M;
    for (auto [rect, w] : {std::pair{&l.btnZuruecksetzen, 110},
                           {&l.btnKopieren, 90},
                           {&l.btnBericht, 140},
                           {&l.btnAufzeichnen, 170}}) {
        *rect = {x, M, w, 25};
        x += w + 6;
    }
    const int half = (width - 2 * M) / 2;
    l.lblPakete = {M, 41, half, Line};
    l.lblRate = {M + half, 41, width - 2 * M - half, Line};
    l.lblGeraet = {M, 59, width - 2 * M, Line};
    l.lblAufzeichnung = {M, 77, width - 2 * M, Line};

    const int top = 101;
    const int bottom = height - M;
    // The left column: the kinds above the preamble chart.
    const int left = std::clamp((width - 3 * M) * 36 / 100, 280, 380);
    l.chtPraeambeln = {M, bottom - ChartHeight, left, ChartHeight};
    l.lblPraeambeln = {M, l.chtPraeambeln.Top - Heading, left, Line};
    l.lblArten = {M, top, left, Line};
    l.tblArten = {M, top + Heading, left, l.lblPraeambeln.Top - 6 - (top + Heading)};
    // The right column: three tables, the trace the largest.
    const int rx = 2 * M + left;
    const int rw = width - rx - M;
    const int tables = bottom - top - 3 * Heading - 2 * 6;
    const int locos = tables * 34 / 100;
    const int accessories = tables * 22 / 100;
    l.lblLoks = {rx, top, rw, Line};
    l.tblLoks = {rx, top + Heading, rw, locos};
    l.lblZubehoer = {rx, l.tblLoks.Bottom() + 6, rw, Line};
    l.tblZubehoer = {rx, l.lblZubehoer.Top + Heading, rw, accessories};
    l.lblVerlauf = {rx, l.tblZubehoer.Bottom() + 6, rw, Line};
    l.tblVerlauf = {rx, l.lblVerlauf.Top + Heading, rw, bottom - (l.lblVerlauf.Top + Heading)};
    return l;
}

TfrmAnalyse::TfrmAnalyse(TPlatform& platform) : TForm("frmAnalyse"), Platform(platform) {
#define FENNOX_ANALYSIS_POINTER(name, ...) &name,
    AllControls = {FENNOX_ANALYSIS_CONTROLS(FENNOX_ANALYSIS_POINTER)};
#undef FENNOX_ANALYSIS_POINTER
#define FENNOX_ANALYSIS_SETUP(name, kind, look, caption, hint)                                     \
    name.SetParent(this);                                                                          \
    name.SetLook(TLook::look);                                                                     \
    name.SetCaption(caption);                                                                      \
    name.SetHint(hint);
    FENNOX_ANALYSIS_CONTROLS(FENNOX_ANALYSIS_SETUP)
#undef FENNOX_ANALYSIS_SETUP
    Clock = [] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };

    SetCaption("Analyse");
    SetVisible(false);
    SetHidesOnClose(true);
    SetGeometry(AnalysisStartRect);
    SetMinSize(AnalysisMinWidth, AnalysisMinHeight);
    OnResize = [this] { ArrangeControls(); };

    const auto right = [](const char* caption, int width) {
        return TTableColumn{caption, width, true};
    };
    const auto left = [](const char* caption, int width) {
        return TTableColumn{caption, width, false};
    };
    tblArten.SetColumns(
        {left("Art", 104), left("Bedeutung", 140), right("Pakete", 52), right("Fehler", 50)});
    // The functions last: their list may be long, and the last column takes
    // what the table leaves.
    tblLoks.SetColumns({left("Adresse", 90), right("Pakete", 62), right("Fehler", 52),
                        left("Fahrstufe", 70), left("Richtung", 76), left("zuletzt", 66),
                        left("Funktionen an", 200)});
    tblZubehoer.SetColumns({left("Ausgang", 90), right("Pakete", 62), right("Fehler", 52),
                            left("Zustand", 80), left("zuletzt", 66)});
    tblVerlauf.SetColumns({left("Zeit", 92), left("Bytes", 130), left("Text", 300),
                           left("Pr\xC3\xBC"
                                "fsumme",
                                84)});
    chtPraeambeln.SetEmptyText("noch keine Pakete");

    const auto guarded = [this](void (TfrmAnalyse::*handler)()) {
        return GuardedHandler(Platform, this, handler);
    };
    btnZuruecksetzen.OnClick = guarded(&TfrmAnalyse::btnZuruecksetzenClick);
    btnKopieren.OnClick = guarded(&TfrmAnalyse::btnKopierenClick);
    btnBericht.OnClick = guarded(&TfrmAnalyse::btnBerichtClick);
    btnAufzeichnen.OnClick = guarded(&TfrmAnalyse::btnAufzeichnenClick);
    tblLoks.OnSelect = guarded(&TfrmAnalyse::tblLoksSelect);
    tblZubehoer.OnSelect = guarded(&TfrmAnalyse::tblZubehoerSelect);
    Timer1.OnTimer = [this] { Timer1Timer(); };
    Timer1.SetInterval(AnalysisRefreshMilliseconds);
    Timer1.Start();
    Refresh();
}

void TfrmAnalyse::ArrangeControls() {
    if (ClientWidth() <= 0 || ClientHeight() <= 0)
        return;
    const TAnalysisLayout l = ArrangeAnalysis(ClientWidth(), ClientHeight());
#define FENNOX_ANALYSIS_PLACE(name, kind, ...)                                                     \
    if (TControlKind::kind != TControlKind::Timer)                                                 \
        name.SetGeometry(l.name);
    FENNOX_ANALYSIS_CONTROLS(FENNOX_ANALYSIS_PLACE)
#undef FENNOX_ANALYSIS_PLACE
}

void TfrmAnalyse::ReceptionStarted(const std::string& portName) {
    InputName = portName;
    Live.Reset();
    if (Visible())
        Refresh();
}

void TfrmAnalyse::Received(const uint8_t* bytes, std::size_t count) {
    if (count == 0)
        return;
    Live.Feed(bytes, count, Platform.TimeText());
    Recording.Append(bytes, count);
}

void TfrmAnalyse::ReceptionEnded() {
    // What came is written out by the timer, which keeps running.
    Recording.Finish();
}

void TfrmAnalyse::Open() {
    Refresh();
    Show();
}

void TfrmAnalyse::TraceLineAddress(const TLineAddress& line) {
    TPacketAddress address{TAddressSpace::Accessory, line.Number};
    if (line.Kind == TLineAddress::Loco) {
        // Numbers above 127 are long; 0 is the broadcast address.
        const TPacketAddress shortOne{TAddressSpace::Short, line.Number};
        const TPacketAddress longOne{TAddressSpace::Long, line.Number};
        const auto& seen = Live.Stats().Addresses;
        if (line.Number == 0)
            address = {TAddressSpace::Broadcast, 0};
        else if (line.Number > 127 || (!seen.count(shortOne) && seen.count(longOne)))
            address = longOne;
        else
            address = shortOne;
    }
    Live.Trace(address);
    Open();
}

void TfrmAnalyse::btnZuruecksetzenClick() {
    Live.Reset();
    Refresh();
}

void TfrmAnalyse::btnKopierenClick() {
    if (!Platform.SetClipboardText(JsonReport(Live.Stats(), InputName)))
        Platform.ShowErrorBox(ClipboardBusyText);
}

bool TfrmAnalyse::AskForFile(const char* title, const char* extension, const char* kind,
                             std::string& path) {
    TSaveDialogRequest request;
    request.Title = title;
    request.DefaultExtension = extension;
    request.Filter = {std::string(kind) + " (*." + extension + ")", std::string("*.") + extension,
                      "alle", "*.*"};
    return Platform.ExecuteSaveDialog(request, path) && !path.empty();
}

void TfrmAnalyse::btnBerichtClick() {
    std::string path;
    if (!AskForFile("Bericht speichern", "html", "HTML-Seite", path))
        return;
    const std::string page = HtmlReport(Live.Stats(), InputName);
    const std::string reason =
        WriteFileWhole(path, [&page](const TPieceSink& sink) { sink(page.data(), page.size()); });
    if (!reason.empty())
        throw std::runtime_error("Datei " + path + " kann nicht geschrieben werden: " + reason);
}

void TfrmAnalyse::btnAufzeichnenClick() {
    if (Recording.Recording()) {
        Recording.Finish();
        ShowRecordingState();
        return;
    }
    std::string path;
    if (!AskForFile("Rohdaten aufzeichnen", "bin", "Rohdaten", path))
        return;
    std::string reason;
    if (!Recording.Start(path, reason))
        throw std::runtime_error("Datei " + path + " kann nicht angelegt werden: " + reason);
    FailureTold.clear();
    ShowRecordingState();
}

void TfrmAnalyse::tblLoksSelect() {
    TraceChosenRow(tblLoks, LocoAddresses, tblZubehoer);
}

void TfrmAnalyse::tblZubehoerSelect() {
    TraceChosenRow(tblZubehoer, AccessoryAddresses, tblLoks);
}

void TfrmAnalyse::TraceChosenRow(const TTable& table, const std::vector<TPacketAddress>& addresses,
                                 TTable& other) {
    const auto row = static_cast<std::size_t>(table.Selected());
    if (row >= addresses.size())
        return;
    Live.Trace(addresses[row]);
    // One address is traced: the other table's choice goes.
    other.Select(-1);
    Refresh();
}

void TfrmAnalyse::Timer1Timer() {
    // A box this handler shows keeps the event loop, and this timer, running.
    if (TimerBusy)
        return;
    const TFlagGuard busy(TimerBusy);
    RunGuarded(Platform, [this] {
        Recording.Pump(Clock());
        ShowRecordingState();
        if (!Recording.Open() && !Recording.Failure().empty() &&
            FailureTold != Recording.Failure()) {
            FailureTold = Recording.Failure();
            Platform.ShowErrorBox("Die Aufzeichnung in " + Recording.Path() +
                                  " ist beendet: " + Recording.Failure() +
                                  ". Was bis dahin empfangen wurde, steht in der Datei; der "
                                  "Empfang l\xC3\xA4uft weiter.");
        }
        if (Visible())
            Refresh();
    });
}

void TfrmAnalyse::ShowRecordingState() {
    lblAufzeichnung.SetCaption(RecordingLine(Recording));
    btnAufzeichnen.SetCaption(Recording.Recording() ? "Aufzeichnung beenden"
                                                    : "Rohdaten aufzeichnen\xE2\x80\xA6");
    // While what is held is being written, a new recording waits.
    btnAufzeichnen.SetEnabled(Recording.Recording() || !Recording.Open());
}

namespace {

int IndexOf(const std::vector<TPacketAddress>& addresses, const TLiveStats& live) {
    if (!live.Tracing())
        return -1;
    const auto found = std::find(addresses.begin(), addresses.end(), live.TracedAt());
    return found == addresses.end() ? -1 : static_cast<int>(found - addresses.begin());
}

} // namespace

void TfrmAnalyse::Refresh() {
    lblPakete.SetCaption(PacketsLine(Live));
    lblRate.SetCaption(RateLine(Live));
    lblGeraet.SetCaption(DeviceLine(Live));
    ShowRecordingState();
    tblArten.SetRows(KindRows(Live.Stats()));
    chtPraeambeln.SetBars(PreambleBars(Live.Stats()));

    TAddressRows locos = LocoRows(Live);
    TAddressRows accessories = AccessoryRows(Live);
    LocoAddresses = std::move(locos.Addresses);
    AccessoryAddresses = std::move(accessories.Addresses);
    tblLoks.SetRows(std::move(locos.Rows));
    tblZubehoer.SetRows(std::move(accessories.Rows));
    // The traced address stays chosen where its row has moved to.
    const int loco = IndexOf(LocoAddresses, Live);
    const int accessory = IndexOf(AccessoryAddresses, Live);
    if (loco >= 0 || tblLoks.Selected() >= 0)
        tblLoks.Select(loco);
    if (accessory >= 0 || tblZubehoer.Selected() >= 0)
        tblZubehoer.Select(accessory);

    lblVerlauf.SetCaption(TraceHeading(Live));
    tblVerlauf.SetRows(TraceRows(Live));
}
