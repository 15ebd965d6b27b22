// Port search, start and stop of reception, and the receive loop's tick.
#include "main_window.h"

#include "port_names.h"

#include <algorithm>

#ifdef FENNOX_TICK_LOG
#include <chrono>
#include <cstdio>
#endif

namespace {

// What one read may ask for: the read buffer's size.
constexpr int32_t ReadBufferSize = 400;

} // namespace

int TfrmMain::CheckedPort() const {
    for (int i = 0; i < 9; ++i) {
        if (RadCom[i]->Checked())
            return i + 1;
    }
    return 1;
}

bool TfrmMain::StopPending() const {
    return Timer1.Running() && !btnStop.Enabled();
}

void TfrmMain::CompletePendingStop() {
    if (!StopPending())
        return;
    if (TickRunning) {
        // A tick waits in its serial error box, after its read: only the stop
        // sequence is left, and that tick then sees its reception is over.
        StopSequence();
        return;
    }
    // Exactly what the next tick would do: read and decode once, then stop.
    Timer1Timer();
}

void TfrmMain::NoteOpenResult(int n, bool opened) {
    // The log line says only that the port was not had; the choice's
    // tooltip says why, when the user can mend it, until an open succeeds.
    const std::string advice = opened ? std::string() : OpenRefusalAdvice();
    const std::string device = PortDevicePath(PortName(n));
    if (opened)
        RadCom[n - 1]->SetHint(device);
    else if (!advice.empty())
        RadCom[n - 1]->SetHint(device + "\n" + advice);
}

void TfrmMain::btnCheckClick() {
    // A click while an earlier Start or search waits in a serial error box
    // would open the port a second time under its feet.
    if (PortBusy)
        return;
    const TFlagGuard busy(PortBusy);
    // The port opened at Start must be closed before anything probes it: our
    // own exclusive handle would make it look absent.
    CompletePendingStop();
    for (int n = 1; n <= 9; ++n) {
        hComPort = ComLink.OpenPort(PortName(n));
        PortFound = hComPort != INVALID_HANDLE_VALUE;
        NoteOpenResult(n, PortFound);
        if (PortFound)
            CloseHandle(hComPort);
        if (PortFound) {
            AppendMonitorLine("COM" + std::to_string(n) + " OK");
            RadCom[n - 1]->SetEnabled(true);
        } else {
            AppendMonitorLine("kein COM" + std::to_string(n) + "-Port");
            RadCom[n - 1]->SetEnabled(false);
        }
    }
}

void TfrmMain::btnStartClick() {
    if (PortBusy)
        return;
    const TFlagGuard busy(PortBusy);
    // Stop (or another port choice) followed by Start before the next tick:
    // the reception still open is ended first, so its handle is closed and
    // the new open is not refused by our own exclusive use.
    CompletePendingStop();

    const int n = CheckedPort();
    const std::string com = "COM" + std::to_string(n);
    try {
        const THandle port = ComLink.OpenPort(PortName(n));
        hComPort = port;
        PortFound = port != INVALID_HANDLE_VALUE;
        NoteOpenResult(n, PortFound);
        if (!PortFound) {
            AppendMonitorLine("kein " + com + "-Port");
            return;
        }
        ReceptionPort = port;
        ComLink.ConfigurePort(port);
        ComLink.SetReadTimeouts(port);
        AppendMonitorLine(com + " ge\xF6"
                                "ffnet");
        frmAnalyse.ReceptionStarted(com);
    } catch (...) {
        // Our own exclusive handle would make every later Start fail, so a
        // port opened before the failure is closed again.
        ReleaseReceptionPort();
        Platform.ShowWarningDialog("Fehler beim \xC3\x96"
                                   "ffnen des COM-Portes ");
        StopReceptionControls();
        return;
    }
    btnStart.SetEnabled(false);
    btnStop.SetEnabled(true);
    btnCheck.SetEnabled(false);
    SetFocus(btnStop);
    btnClose.SetEnabled(false);
    Timer1.Start();
    StreamDecoder.ResetAssembler();
}

void TfrmMain::btnStopClick() {
    btnStart.SetEnabled(true);
    SetFocus(btnStart);
    btnStop.SetEnabled(false);
    btnCheck.SetEnabled(true);
}

void TfrmMain::rad_comClick() {
    btnStart.SetEnabled(true);
    btnStop.SetEnabled(false);
}

void TfrmMain::ReleaseReceptionPort() {
    frmAnalyse.ReceptionEnded();
    const THandle port = ReceptionPort;
    ReceptionPort = INVALID_HANDLE_VALUE;
    ++ReceptionRun;
    if (port != INVALID_HANDLE_VALUE)
        CloseHandle(port);
}

int32_t TfrmMain::TickReadSize() const {
    // A size below 1 from the settings file would read one byte a tick, far
    // below the device's rate; such a file gets the default's pace.
    if (ReadSize < 1)
        return 255;
    return std::min(ReadSize, ReadBufferSize);
}

void TfrmMain::StopSequence() {
    AppendMonitorLine("COM geschlossen");
    try {
        ReleaseReceptionPort();
    } catch (...) {
        Platform.ShowWarningDialog("Fehler beim Schliessen des COM-Portes ");
        StopReceptionControls();
        return;
    }
    AppendMonitorLine("Empfang gestoppt");
    Timer1.Stop();
    btnClose.SetEnabled(true);
}

void TfrmMain::StopReceptionControls() {
    btnStart.SetEnabled(true);
    SetFocus(btnStart);
    btnStop.SetEnabled(false);
    btnCheck.SetEnabled(true);
    Timer1.Stop();
}

void TfrmMain::SetGauge(int position) {
    ProgressBar2.SetPosition(position);
    const double p = ProgressBar2.Position();
    const double m = ProgressBar2.Max();
    ProgressBar2.SetBarColor(p > 0.8 * m ? GaugeRed : GaugeNavy);
}

#ifdef FENNOX_TICK_LOG
namespace {

// A debugging aid for soak runs, built in only with the build option
// FENNOX_TICK_LOG: one line per tick in fennox-ticks.log beside the program
// file: milliseconds since the first tick, the tick's duration in
// microseconds, the Monitor log's line count after it, and the microseconds
// the tick had taken when it had read the port, decoded, and shown the gauge
// (which part of a slow tick was slow).
class TTickLog {
public:
    void Mark(int step) {
        if (step >= 0 && step < Steps)
            Marks[step] = std::chrono::steady_clock::now();
    }
    void Write(const std::string& programPath, std::chrono::steady_clock::time_point start,
               int lines) {
        const auto now = std::chrono::steady_clock::now();
        if (!File) {
            First = start;
            const std::string path =
                programPath.substr(0, programPath.find_last_of("/\\") + 1) + "fennox-ticks.log";
            File = std::fopen(path.c_str(), "w");
            if (!File)
                return;
        }
        using namespace std::chrono;
        std::fprintf(File, "%lld %lld %d",
                     static_cast<long long>(duration_cast<milliseconds>(start - First).count()),
                     static_cast<long long>(duration_cast<microseconds>(now - start).count()),
                     lines);
        for (auto& mark : Marks) {
            std::fprintf(File, " %lld",
                         mark < start ? -1LL
                                      : static_cast<long long>(
                                            duration_cast<microseconds>(mark - start).count()));
            mark = {};
        }
        std::fputc('\n', File);
        std::fflush(File);
    }

private:
    static constexpr int Steps = 3;
    std::chrono::steady_clock::time_point Marks[Steps];
    std::FILE* File = nullptr;
    std::chrono::steady_clock::time_point First;
};

TTickLog TickLog;

} // namespace
#define FENNOX_TICK_MARK(step) TickLog.Mark(step)
#else
#define FENNOX_TICK_MARK(step)
#endif

void TfrmMain::Timer1Timer() {
    // A box or dialog opened by a tick keeps the event loop running; a tick
    // falling due meanwhile must not read the port again.
    if (TickRunning)
        return;
    const TFlagGuard running(TickRunning);
#ifdef FENNOX_TICK_LOG
    const auto tickStart = std::chrono::steady_clock::now();
    struct TLogTick {
        TfrmMain& Window;
        std::chrono::steady_clock::time_point Start;
        ~TLogTick() {
            TickLog.Write(Window.Platform.ProgramPath(), Start,
                          static_cast<int>(Window.Memo1.Lines.LineCount()));
        }
    } logTick{*this, tickStart};
#endif

    Guarded([this] {
        // The reception this tick serves; a Start or search while the tick's
        // serial error box is open may end it before the box is closed.
        const unsigned run = ReceptionRun;
        uint8_t buffer[ReadBufferSize];
        int32_t n = 0;
        try {
            n = ComLink.ReceiveData(buffer, TickReadSize(), ReceptionPort);
        } catch (...) {
            // Our own exclusive handle would make every later Start fail.
            ReleaseReceptionPort();
            Platform.ShowWarningDialog("Fehler beim Daten-Empfang ");
            StopReceptionControls();
            return;
        }
        if (run != ReceptionRun)
            return;
        FENNOX_TICK_MARK(0);

        frmAnalyse.Received(buffer, static_cast<std::size_t>(std::max(n, 0)));
        CollectBytes(StreamDecoder, Rx, buffer, static_cast<std::size_t>(std::max(n, 0)));
        FENNOX_TICK_MARK(1);

        // A failed query leaves the count at 0, and the gauge shows that.
        TComStat stat;
        ComLink.ClearCommError(ReceptionPort, stat);
        SetGauge(static_cast<int>(std::min<uint32_t>(stat.cbInQue, 1u << 30)));
        FENNOX_TICK_MARK(2);

        if (btnStop.Enabled())
            return;
        StopSequence();
    });
}
