// The Qt front end of the main window: the toolkit's side of the mirror
// (mirror.h). It creates a widget for each control of the window's logic,
// shows the properties the mirror hands it, and passes the user's actions
// back; the decisions are the mirror's.
#pragma once

#include "mirror.h"

#include <QMargins>
#include <QWidget>

#include <unordered_map>

class QSplitter;
class QTimer;
class TfrmMain;
class TLogWidget;
class TQtPlatform;

class TQtWindow : public QWidget, private TNativeWindow {
    Q_OBJECT

public:
    TQtWindow(TfrmMain& model, TQtPlatform& platform);
    ~TQtWindow() override;

    // The widget that shows a control (nullptr for the window itself).
    QWidget* WidgetOf(const TControl& control) const;
    TLogWidget* Memo1View() const;
    TLogWidget* Memo2View() const;
    QTimer* Timer() const { return Timer1; }

    TfrmMain& Model;

protected:
    bool event(QEvent* event) override;

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
    void SendToBack(TControl& c) override;
    void ShowTitle(const std::string& title) override;
    void ShowWindowRect(const TRect& outer) override;
    void ShowMinSize(int width, int height) override;
    void ShowFocus(TControl& c) override;
    void ShowLogs(bool sideShown, int sideWidth) override;

    QMargins FrameMargins() const;

    TQtPlatform& Platform;
    std::unordered_map<const TControl*, QWidget*> Widgets;
    QSplitter* Splitter1 = nullptr;
    // The log beside the splitter, which comes and goes.
    TLogWidget* SideLog = nullptr;
    QTimer* Timer1 = nullptr;
    // The frame the native size was last fitted to.
    QMargins FrameSeen;
    TMirror Mirror;
};
