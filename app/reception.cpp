// Port search, start and stop of reception, and the receive loop's tick.
#include "error_box.h"
#include "main_window.h"

#include "port_names.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

#ifdef FENNOX_TICK_LOG
#include "log_view.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#endif

namespace {

// What one read may ask for: the read buffer's size.
constexpr int32_t ReadBufferSize = 400;

const QColor GaugeNavy(0x00, 0x00, 0x80);
const QColor GaugeRed(0xFF, 0x00, 0x00);

} // namespace

int TfrmMain::CheckedPort() const {
    for (int i = 0; i < 9; ++i) {
        if (RadCom[i]->isChecked())
            return i + 1;
    }
    return 1;
}

void TfrmMain::btnCheckClick() {
    for (int n = 1; n <= 9; ++n) {
        hComPort = ComLink.OpenPort(PortName(n));
        PortFound = hComPort != INVALID_HANDLE_VALUE;
        if (PortFound)
            CloseHandle(hComPort);
        if (PortFound) {
            AppendMonitorLine("COM" + std::to_string(n) + " OK");
            RadCom[n - 1]->setEnabled(true);
        } else {
            AppendMonitorLine("kein COM" + std::to_string(n) + "-Port");
            RadCom[n - 1]->setEnabled(false);
        }
    }
}

void TfrmMain::btnStartClick() {
    const int n = CheckedPort();
    const std::string com = "COM" + std::to_string(n);
    try {
        hComPort = ComLink.OpenPort(PortName(n));
        PortFound = hComPort != INVALID_HANDLE_VALUE;
        if (!PortFound) {
            AppendMonitorLine("kein " + com + "-Port");
            return;
        }
        ComLink.ConfigurePort(hComPort);
        ComLink.SetReadTimeouts(hComPort);
        AppendMonitorLine(com + " ge\xF6"
                                "ffnet");
    } catch (...) {
        // Our own exclusive handle would make every later Start fail, so a
        // port opened before the failure is closed again.
        if (PortFound)
            CloseHandle(hComPort);
        ShowWarningDialog(this, "Fehler beim \u00d6ffnen des COM-Portes ");
        StopReceptionControls();
        return;
    }
    btnStart->setEnabled(false);
    btnStop->setEnabled(true);
    btnCheck->setEnabled(false);
    btnStop->setFocus();
    btnClose->setEnabled(false);
    Timer1->start();
    StreamDecoder.ResetAssembler();
}

void TfrmMain::btnStopClick() {
    btnStart->setEnabled(true);
    btnStart->setFocus();
    btnStop->setEnabled(false);
    btnCheck->setEnabled(true);
}

void TfrmMain::rad_comClick() {
    btnStart->setEnabled(true);
    btnStop->setEnabled(false);
}

void TfrmMain::StopReceptionControls() {
    btnStart->setEnabled(true);
    btnStart->setFocus();
    btnStop->setEnabled(false);
    btnCheck->setEnabled(true);
    Timer1->stop();
}

void TfrmMain::SetGauge(int position) {
    ProgressBar2->setValue(std::min(position, ProgressBar2->maximum()));
    const double p = ProgressBar2->value();
    const double m = ProgressBar2->maximum();
    const QColor colour = p > 0.8 * m ? GaugeRed : GaugeNavy;
    if (colour == GaugeBarColor)
        return; // restyling on every tick would cost more than the tick
    GaugeBarColor = colour;
    ProgressBar2->setStyleSheet(
        QString("QProgressBar::chunk { background-color: %1; }").arg(colour.name()));
}

#ifdef FENNOX_TICK_LOG
namespace {

// A debugging aid for soak runs, built in only with the build option
// FENNOX_TICK_LOG: one line per tick in fennox-ticks.log beside the program
// file: milliseconds since the first tick, the tick's duration in
// microseconds, and the Monitor log's line count after it.
class TTickLog {
public:
    void Write(std::chrono::steady_clock::time_point start, int lines) {
        const auto now = std::chrono::steady_clock::now();
        if (!File) {
            First = start;
            const QString path = QCoreApplication::applicationDirPath() + "/fennox-ticks.log";
            File = std::fopen(path.toLocal8Bit().constData(), "w");
            if (!File)
                return;
        }
        using namespace std::chrono;
        std::fprintf(File, "%lld %lld %d\n",
                     static_cast<long long>(duration_cast<milliseconds>(start - First).count()),
                     static_cast<long long>(duration_cast<microseconds>(now - start).count()),
                     lines);
        std::fflush(File);
    }

private:
    std::FILE* File = nullptr;
    std::chrono::steady_clock::time_point First;
};

TTickLog TickLog;

} // namespace
#endif

void TfrmMain::Timer1Timer() {
    // A box or dialog opened by a tick keeps the event loop running; a tick
    // falling due meanwhile must not read the port again.
    if (TickRunning)
        return;
    TickRunning = true;
    struct TEndTick {
        bool& Running;
        ~TEndTick() { Running = false; }
    } endTick{TickRunning};
#ifdef FENNOX_TICK_LOG
    const auto tickStart = std::chrono::steady_clock::now();
    struct TLogTick {
        TfrmMain& Window;
        std::chrono::steady_clock::time_point Start;
        ~TLogTick() { TickLog.Write(Start, Window.Memo1->LineCount()); }
    } logTick{*this, tickStart};
#endif

    RunGuarded([this] {
        uint8_t buffer[ReadBufferSize];
        int32_t n = 0;
        try {
            n = ComLink.ReceiveData(buffer, std::clamp(ReadSize, 1, ReadBufferSize), hComPort);
        } catch (...) {
            // Our own exclusive handle would make every later Start fail.
            CloseHandle(hComPort);
            ShowWarningDialog(this, "Fehler beim Daten-Empfang ");
            StopReceptionControls();
            return;
        }

        CollectBytes(StreamDecoder, Rx, buffer, static_cast<std::size_t>(std::max(n, 0)));

        // A failed query leaves the count at 0, and the gauge shows that.
        TComStat stat;
        ComLink.ClearCommError(hComPort, stat);
        SetGauge(static_cast<int>(std::min<uint32_t>(stat.cbInQue, 1u << 30)));

        if (btnStop->isEnabled())
            return;

        AppendMonitorLine("COM geschlossen");
        try {
            CloseHandle(hComPort);
        } catch (...) {
            ShowWarningDialog(this, "Fehler beim Schliessen des COM-Portes ");
            StopReceptionControls();
            return;
        }
        AppendMonitorLine("Empfang gestoppt");
        Timer1->stop();
        btnClose->setEnabled(true);
    });
}
