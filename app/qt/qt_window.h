// The Qt front end of the main window: a native widget for every control of
// the window's logic (TfrmMain), placed and styled as the control table
// says. Every change of the model is mirrored onto its widget, every user
// action goes into the model; the widgets hold no state of their own that
// the logic reads.
#pragma once

#include "controls.h"

#include <QMargins>
#include <QWidget>

#include <unordered_map>

class QSplitter;
class QTimer;
class TfrmMain;
class TLogWidget;
class TQtPlatform;

class TQtWindow : public QWidget, public TControlObserver {
    Q_OBJECT

public:
    TQtWindow(TfrmMain& model, TQtPlatform& platform);
    ~TQtWindow() override;

    void ControlChanged(TControl& control, TChange what) override;

    // The widget that shows a control (nullptr for the window itself).
    QWidget* WidgetOf(const TControl& control) const;
    TLogWidget* Memo1View() const { return Memo1; }
    TLogWidget* Memo2View() const { return Memo2; }
    QTimer* Timer() const { return Timer1; }

    TfrmMain& Model;

protected:
    bool event(QEvent* event) override;

private:
    void Build();
    void Bind(TControl& control, QWidget* widget);
    void Mirror(TControl& control, TChange what);
    void MirrorAll(TControl& control);
    // The model's outer rectangle and minimum size onto the native window,
    // less the window manager's frame.
    void ApplyGeometry();
    void ApplyMinimumSize();
    QMargins FrameMargins() const;
    // The user moved or resized the window: the model follows.
    void TakeGeometry();

    TQtPlatform& Platform;
    std::unordered_map<const TControl*, QWidget*> Widgets;
    QSplitter* Splitter1 = nullptr;
    TLogWidget* Memo1 = nullptr;
    TLogWidget* Memo2 = nullptr;
    QTimer* Timer1 = nullptr;
    // The frame the native size was last fitted to.
    QMargins FrameSeen;
    // True while the model's state is put onto the widgets.
    bool Applying = false;
};
