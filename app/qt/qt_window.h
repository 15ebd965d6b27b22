// The Qt front end of a window (the main window, the analysis window): the
// toolkit's side of the mirror (mirror.h). It creates a widget for each
// control of the window's logic, shows the properties the mirror hands it,
// and passes the user's actions back; the decisions are the mirror's.
#pragma once

#include "mirror.h"

#include <QMargins>
#include <QWidget>

#include <unordered_map>
#include <vector>

class QSplitter;
class QTimer;
class TLogWidget;
class TQtPlatform;

class TQtWindow : public QWidget, private TNativeWindow {
    Q_OBJECT

public:
    // Shows form and its controls (parents first). A second window lies
    // over its owner; the main window (no owner) owns the desktop's boxes
    // and dialogs.
    TQtWindow(TForm& form, std::vector<TControl*> controls, TQtPlatform& platform,
              QWidget* owner = nullptr);
    ~TQtWindow() override;

    // The widget that shows a control (nullptr for the window itself).
    QWidget* WidgetOf(const TControl& control) const;
    // The first log and the side log.
    TLogWidget* Memo1View() const { return FirstLog; }
    TLogWidget* Memo2View() const { return SideLog; }
    QTimer* Timer() const { return Timer1; }

    TForm& Model;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void CreateNative(TControl& c) override;
    bool NestsInGroups() const override { return true; }
    void ShowText(TControl& c, const std::string& text) override;
    void ShowRect(TControl& c, const TRect& r, bool fitToText) override;
    void ShowChecked(TControl& c, bool checked) override;
    void ShowVisible(TControl& c, bool visible) override;
    void ShowEnabled(TControl& c, bool enabled) override;
    void ShowReadOnlyGroup(TControl& group, bool readOnly) override;
    void ShowHint(TControl& c, const std::string& hint) override;
    void ShowGauge(TProgressBar& bar) override;
    void ShowTimer(TTimer& timer) override;
    void ShowColumns(TTable& table) override;
    void ShowRows(TTable& table) override;
    void ShowSelection(TTable& table) override;
    void ShowChart(TBarChart& chart) override;
    void SendToBack(TControl& c) override;
    void ShowTitle(const std::string& title) override;
    void ShowWindowRect(const TRect& outer) override;
    void ShowMinSize(int width, int height) override;
    void ShowFocus(TControl& c) override;
    void ShowLogs(bool sideShown, int sideWidth) override;

    QMargins FrameMargins() const;
    // The logs lie in a splitter beside the panel; made with the first.
    QSplitter* LogSplitter();

    TQtPlatform& Platform;
    std::vector<TControl*> ControlList;
    std::unordered_map<const TControl*, QWidget*> Widgets;
    QSplitter* Splitter1 = nullptr;
    TLogWidget* FirstLog = nullptr;
    // The log beside the splitter, which comes and goes.
    TLogWidget* SideLog = nullptr;
    QTimer* Timer1 = nullptr;
    // The frame the native size was last fitted to.
    QMargins FrameSeen;
    TMirror Mirror;
};
