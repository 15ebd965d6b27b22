// The main window's logic: every control, the start-up defaults, the layout,
// the reception handlers and the receive loop's tick, the settings file and
// the text-field actions. No toolkit: a front end shows the controls and
// hands the user's actions back (controls.h), and the desktop's services
// come through TPlatform. The window is also the decoder's host.
#pragma once

#include "analysis_window.h"
#include "com_link.h"
#include "control_defs.h"
#include "decoder_host.h"
#include "log_model.h"
#include "platform.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <functional>
#include <string>
#include <vector>

// The web page the picture opens: about the DCC standards.
extern const char* const DccStandardsUrl;

// The mark of a packet's Monitor log line: a wrong error byte first, then a
// preamble known to be short.
TLogMark PacketLineMark(const TDecoderHost::TPacketFacts& facts);

// Bar colours of the input-queue gauge.
constexpr TColorRef GaugeNavy = 0x800000;
constexpr TColorRef GaugeRed = 0x0000FF;

class TfrmMain : public TForm, public TDecoderHost {
public:
    // Builds the window's controls and runs the start-up steps, the settings
    // file last (beside platform.ProgramPath(), or in the user's
    // configuration folder when the program's folder takes no file from
    // this user; see settings_place.h). Throws when the settings file
    // cannot be read.
    explicit TfrmMain(TPlatform& platform);
    ~TfrmMain();

    // TDecoderHost
    bool IsChecked(TSwitch s) const override;
    void SetChecked(TSwitch s, bool checked) override;
    void SetVisible(TSwitch s, bool visible) override;
    void SetEnabled(TSwitch s, bool enabled) override;
    int32_t FilterMin() const override { return FilterMinValue; }
    int32_t FilterMax() const override { return FilterMaxValue; }
    std::string MinText() const override;
    std::string MaxText() const override;
    void AppendMonitorLine(std::string_view line) override;
    // A packet's line is marked when its bytes are wrong or its preamble short.
    bool WantsPacketFacts() const override { return true; }
    void AppendPacketLine(std::string_view line, const TPacketFacts& facts) override;
    void AppendBitstreamLine(std::string_view line) override;
    void SetVersionText(const std::string& text) override;
    std::string_view TimeText() override;

    void ArrangeControls();
    void ReadProgIni();
    void WriteProgIni();
    const std::string& SettingsPath() const { return SettingsFile; }

    // Handlers.
    void btnCheckClick();
    void btnStartClick();
    void btnStopClick();
    void rad_comClick();
    void Timer1Timer();
    void btnCloseClick();
    void btn_clearClick();
    void btn_saveClick();
    void btn_clipboardClick();
    void Image1Click();
    void cbx_filterClick();
    void cbx_bitstreamClick();
    void edt_minChange();
    void edt_maxChange();

    // The analysis window, in front (F2, "Analyse…" in the Monitor log's
    // menu).
    void OpenAnalysis();

    // Writes the Monitor log's lines to a file: UTF-8 (or the 8-bit code page
    // where the desktop's files are in it), CR LF after each line,
    // through a temporary file, so a failure never leaves half a log in
    // place of a good one. Throws naming the file and the reason.
    void SaveMonitorLog(const std::string& path);

    // Shows the input queue on the gauge: navy, red above 80 % full.
    void SetGauge(int position);

    // Set when "Ende" has stored the settings: the front end closes the
    // window (OnClose) and the program ends.
    bool CloseRequested() const { return Closing; }

    // Every control, for a front end that mirrors them all.
    const std::vector<TControl*>& Controls() const { return AllControls; }

    // Controls, named as the rest of the program knows them: one member per
    // row of the control table.
#define FENNOX_CONTROL_MEMBER(name, kind, ...)                                                     \
    TControlClass<TControlKind::kind>::Type name{#name, TControlKind::kind};
    FENNOX_MAIN_CONTROLS(FENNOX_CONTROL_MEMBER)
#undef FENNOX_CONTROL_MEMBER
    // The nine port choices in order, rad_com1 first: one group.
    std::vector<TRadioButton*> PortGroup;
    TRadioButton* RadCom[9] = {};

    // Fields shared with the receive loop and the decoder.
    int32_t ReadSize = 0;
    TRxBuffer Rx;
    bool PortFound = false;
    TStreamDecoder StreamDecoder;
    TComLink ComLink;

    TPlatform& Platform;
    // The second window: the analysis of what this one receives.
    TfrmAnalyse frmAnalyse;

private:
    void BuildControls();
    void ConnectHandlers();
    // Runs a handler; a failure that escapes it goes to the error box.
    void Guarded(const std::function<void()>& handler);
    int CheckedPort() const;
    void StopReceptionControls();
    // Stop requested and not yet carried out by a tick.
    bool StopPending() const;
    // Carries out a pending stop now, as the next tick would.
    void CompletePendingStop();
    // Closes the port, logs the two closing lines, stops the timer.
    void StopSequence();
    // After an open attempt of port n: the choice's tooltip gives the reason
    // of a refused access, or just the device again once an open succeeds.
    void NoteOpenResult(int n, bool opened);
    // Closes the port opened at Start, if one is open.
    void ReleaseReceptionPort();
    int32_t TickReadSize() const;
    // The window's entries in the Monitor log's context menu.
    std::vector<TLogOwnerItem> Memo1MenuItems(std::size_t line);

    std::vector<TControl*> AllControls;
    // The check box of each display switch, by TSwitch.
    TCheckBox* SwitchBoxes[SwitchCount] = {};
    // The controls with an entry in the settings file, in the entries' order.
    struct TStored {
        const TSettingKey* Key;
        TControl* Control;
    };
    std::vector<TStored> StoredControls;
    std::string SettingsFile;
    // The user's configuration folder holding SettingsFile, made on the
    // first store; empty when the file is beside the program.
    std::string SettingsFolder;
    // The platform's last time text, which TimeText hands out.
    std::string ClockText;
    int32_t FilterMinValue = 0;
    int32_t FilterMaxValue = 0;
    // True while a tick's steps run, including any box the tick shows.
    bool TickRunning = false;
    // The handle opened at Start; the stop closes this one, never a later
    // open attempt's (those land in hComPort too).
    THandle ReceptionPort = INVALID_HANDLE_VALUE;
    // Counts the ends of reception, so a tick can tell its own has ended.
    unsigned ReceptionRun = 0;
    // True while Start or the port search runs, boxes included.
    bool PortBusy = false;
    bool Closing = false;
    bool AnalysisShownBefore = false;
};
