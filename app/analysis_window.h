// The analysis window "Analyse": the live statistics of the bytes received
// since reception started (or since "Zurücksetzen"), one address traced, and
// the raw bytes recorded into a file. A second top-level window, not modal,
// declared like the main window (analysis_controls.h) and shown by each
// front end through a TMirror of its own; no toolkit here.
#pragma once

#include "analysis_controls.h"
#include "analysis_rows.h"
#include "control_layout.h"
#include "controls.h"
#include "line_address.h"
#include "live_stats.h"
#include "platform.h"
#include "raw_recording.h"

#include <functional>
#include <string>
#include <vector>

// Where the controls go in a window whose inside is width x height: the
// buttons and totals on top, the kinds and the preamble chart on the left,
// the locomotives, the accessories and the trace on the right, the tables
// sharing what the window gives.
struct TAnalysisLayout {
#define FENNOX_LAYOUT_RECT(name, ...) TRect name;
    FENNOX_ANALYSIS_CONTROLS(FENNOX_LAYOUT_RECT)
#undef FENNOX_LAYOUT_RECT
};
TAnalysisLayout ArrangeAnalysis(int width, int height);

// The window's outer size at first, and the least it may have.
constexpr TRect AnalysisStartRect{60, 60, 1040, 720};
constexpr int AnalysisMinWidth = 820;
constexpr int AnalysisMinHeight = 600;
// How often the window shows the figures anew, and writes a recording.
constexpr int AnalysisRefreshMilliseconds = 500;

class TfrmAnalyse : public TForm {
public:
    explicit TfrmAnalyse(TPlatform& platform);

    const std::vector<TControl*>& Controls() const { return AllControls; }

    // From the main window's receive loop: a reception starts (on the port
    // named), bytes come, it ends. Taking bytes only counts them and keeps
    // them in memory; nothing here waits.
    void ReceptionStarted(const std::string& portName);
    void Received(const uint8_t* bytes, std::size_t count);
    void ReceptionEnded();

    // Shows the window in front, its figures up to date.
    void Open();
    // Opens it on the address a Monitor log line shows: a number that may
    // be a short or a long address is the one seen (short when both or none).
    void TraceLineAddress(const TLineAddress& address);

    // Handlers.
    void btnZuruecksetzenClick();
    void btnKopierenClick();
    void btnBerichtClick();
    void btnAufzeichnenClick();
    void tblLoksSelect();
    void tblZubehoerSelect();
    void Timer1Timer();

    // Puts the figures on the controls.
    void Refresh();
    void ArrangeControls();

    // A steady clock in seconds, for the recording's pace; tests set their own.
    std::function<double()> Clock;

    TLiveStats Live;
    TRawRecording Recording;

#define FENNOX_ANALYSIS_MEMBER(name, kind, ...)                                                    \
    TControlClass<TControlKind::kind>::Type name{#name, TControlKind::kind};
    FENNOX_ANALYSIS_CONTROLS(FENNOX_ANALYSIS_MEMBER)
#undef FENNOX_ANALYSIS_MEMBER

private:
    void ShowRecordingState();
    // The save dialog for a file of this kind; false when cancelled.
    bool AskForFile(const char* title, const char* extension, const char* kind, std::string& path);
    void TraceChosenRow(const TTable& table, const std::vector<TPacketAddress>& addresses,
                        TTable& other);

    TPlatform& Platform;
    std::vector<TControl*> AllControls;
    // The name the reports give the bytes: the port they came from.
    std::string InputName = "Fennox";
    std::vector<TPacketAddress> LocoAddresses;
    std::vector<TPacketAddress> AccessoryAddresses;
    // Set while the timer's handler runs, boxes included.
    bool TimerBusy = false;
    // The failure of a recording already told.
    std::string FailureTold;
};
