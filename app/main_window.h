// The main window: every control, the start-up defaults, the layout, the
// reception handlers and the receive loop's tick, the settings file and the
// text-field actions. The window is also the decoder's host.
#pragma once

#include "com_link.h"
#include "control_layout.h"
#include "decoder_host.h"
#include "port_names.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <QColor>
#include <QMargins>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSplitter;
class QTimer;
class TLogView;
class TClickableImage;

// The web page the picture opens: about the DCC standards.
extern const char* const DccStandardsUrl;

class TfrmMain : public QWidget, public TDecoderHost {
    Q_OBJECT

public:
    // programPath names the settings file (see SettingsFileName); it is the
    // program file's path when the program runs.
    explicit TfrmMain(const QString& programPath);
    ~TfrmMain() override;

    // TDecoderHost
    bool IsChecked(TSwitch s) const override;
    void SetChecked(TSwitch s, bool checked) override;
    void SetVisible(TSwitch s, bool visible) override;
    void SetEnabled(TSwitch s, bool enabled) override;
    int32_t FilterMin() const override { return FilterMinValue; }
    int32_t FilterMax() const override { return FilterMaxValue; }
    std::string MinText() const override;
    std::string MaxText() const override;
    void AppendMonitorLine(const std::string& line) override;
    void AppendBitstreamLine(const std::string& line) override;
    void SetVersionText(const std::string& text) override;
    std::string TimeText() override;

    void ArrangeControls();
    void ReadProgIni();
    void WriteProgIni();
    QString SettingsPath() const { return SettingsFile; }

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

    // Writes the Monitor log's lines to a file: UTF-8, CR LF after each line.
    void SaveMonitorLog(const QString& path);

    // Shows the input queue on the gauge: navy, red above 80 % full.
    void SetGauge(int position);
    // The gauge's bar colour as last set.
    QColor GaugeColor() const { return GaugeBarColor; }
    // Window size and position as the settings file stores them: outer
    // width, and the frame's top-left corner.
    int OuterWidth() const;
    int OuterHeight() const;

    // Controls, named as the rest of the program knows them.
    QWidget* Panel1;
    QLabel* Label1;
    QPushButton* btnCheck;
    QGroupBox* RadioGroupComPort;
    QRadioButton *rad_com1, *rad_com2, *rad_com3, *rad_com4, *rad_com5, *rad_com6, *rad_com7,
        *rad_com8, *rad_com9;
    // The nine port choices in order, rad_com1 first.
    QRadioButton* RadCom[9];
    QGroupBox* GroupBoxHardware;
    QLabel *Label2, *Label3, *Label4, *Label5;
    QCheckBox* cbx_mot;
    QCheckBox* cbx_dcc_stream;
    QLineEdit* edt_version;
    QGroupBox* GroupBoxTextfeld;
    QPushButton* btn_clear;
    QPushButton* btn_save;
    QPushButton* btn_clipboard;
    QPushButton* btnStart;
    QPushButton* btnStop;
    QPushButton* btnClose;
    QGroupBox* GroupBoxAnzeige1;
    QCheckBox *cbx_time, *cbx_binaer, *cbx_bitstream, *cbx_schrott, *cbx_only_once;
    QGroupBox* GroupBoxFilter;
    QCheckBox* cbx_filter;
    QLineEdit* edt_min;
    QLabel* Label6;
    QLineEdit* edt_max;
    QGroupBox* GroupBoxAnzeigeSchalt;
    QCheckBox *cbx_schaltbefehle, *cbx_nur_ON;
    QGroupBox* GroupBoxAnzeigeLok;
    QCheckBox *cbx_lokbefehle_s, *cbx_lokbefehle_f, *cbx_railcom, *cbx_idle, *cbx_sonstige, *cbx_cv;
    TClickableImage* Image1;
    QProgressBar* ProgressBar2;
    QSplitter* Splitter1;
    std::unique_ptr<TLogView> Memo1;
    std::unique_ptr<TLogView> Memo2;
    QTimer* Timer1;
    QFileDialog* SaveDialog1;

    // Fields shared with the receive loop and the decoder.
    int32_t ReadSize = 0;
    TRxBuffer Rx;
    bool PortFound = false;
    TStreamDecoder StreamDecoder;
    TComLink ComLink;

protected:
    bool event(QEvent* event) override;

private:
    QCheckBox* Box(TSwitch s) const;
    void BuildControls();
    void ConnectHandlers();
    // Runs a handler; a failure that escapes it goes to the error box.
    void Guarded(const std::function<void()>& handler);
    void ShowWarning(const QString& text);
    void SetOuterHeight(int height);
    // The window manager's frame around the window; none before it is shown
    // or without a window manager.
    QMargins FrameMargins() const;
    // Keeps the outer size when the frame appears or changes.
    void FollowFrame();
    void ApplyMinimumSize();
    int CheckedPort() const;
    void StopReceptionControls();
    // Stop requested and not yet carried out by a tick.
    bool StopPending() const;
    // Carries out a pending stop now, as the next tick would.
    void CompletePendingStop();
    // Closes the port, logs the two closing lines, stops the timer.
    void StopSequence();
    // Closes the port opened at Start, if one is open.
    void ReleaseReceptionPort();
    int32_t TickReadSize() const;

    QString SettingsFile;
    int32_t FilterMinValue = 0;
    int32_t FilterMaxValue = 0;
    QColor GaugeBarColor;
    // True while a tick's steps run, including any box the tick shows.
    bool TickRunning = false;
    // The handle opened at Start; the stop closes this one, never a later
    // open attempt's (those land in hComPort too).
    THandle ReceptionPort = INVALID_HANDLE_VALUE;
    // Counts the ends of reception, so a tick can tell its own has ended.
    unsigned ReceptionRun = 0;
    // True while Start or the port search runs, boxes included.
    bool PortBusy = false;
    // The frame the window's size was last fitted to.
    QMargins FrameSeen;
};
