// What a change of the window's model means for its native controls, decided
// once for every front end. A front end implements TNativeWindow: a few
// primitives that create a native control of a kind and show one property
// of it. The mirror calls them as the model changes, and takes the user's
// actions on the native controls back into the model.
//
// The model's places and sizes are pixels at 96 dots per inch. A front end
// whose toolkit does not scale by itself (Win32) tells the mirror the
// screen's resolution, and every rectangle and size it is handed is in the
// screen's pixels; the window's place on the screen is the system's own and
// is not scaled.
#pragma once

#include "controls.h"

#include <map>
#include <string>
#include <vector>

class TNativeWindow {
public:
    // Creates the native control of c inside the native control of its
    // parent (or, where the toolkit nests no controls in group boxes, in the
    // panel that holds the group). Parents are created before their
    // children. A Memo is the log view of its TMemo's Lines.
    virtual void CreateNative(TControl& c) = 0;
    // Whether a control's native parent is the native control of its parent
    // in the model. When not, controls lie in the panel and their
    // rectangles are given in it.
    virtual bool NestsInGroups() const = 0;

    // UTF-8: a caption, or the text of a text field.
    virtual void ShowText(TControl& c, const std::string& text) = 0;
    // The rectangle in the native parent; fitToText: only the place counts,
    // the control takes the size of its text.
    virtual void ShowRect(TControl& c, const TRect& r, bool fitToText) = 0;
    virtual void ShowChecked(TControl& c, bool checked) = 0;
    virtual void ShowVisible(TControl& c, bool visible) = 0;
    virtual void ShowEnabled(TControl& c, bool enabled) = 0;
    // A disabled group box is read, not operated: its controls take no
    // input but keep the look their own state gives them.
    virtual void ShowReadOnlyGroup(TControl& group, bool readOnly) = 0;
    virtual void ShowHint(TControl& c, const std::string& hint) = 0;
    virtual void ShowGauge(TProgressBar& bar) = 0;
    virtual void ShowTimer(TTimer& timer) = 0;
    // A table's columns, its rows (the count and every cell may have
    // changed; the list keeps its scroll position), the row chosen.
    virtual void ShowColumns(TTable& table) = 0;
    virtual void ShowRows(TTable& table) = 0;
    virtual void ShowSelection(TTable& table) = 0;
    // A chart's bars changed: paint it again (bar_chart.h).
    virtual void ShowChart(TBarChart& chart) = 0;
    // Draws c beneath its siblings (a group box under the controls laid on
    // its frame).
    virtual void SendToBack(TControl& c) = 0;

    // The window: its title, its outer rectangle on the screen (frame
    // included), its minimum outer size, the control with the focus. For
    // the window, ShowVisible shows (and brings to the front) or hides it.
    virtual void ShowTitle(const std::string& title) = 0;
    virtual void ShowWindowRect(const TRect& outer) = 0;
    virtual void ShowMinSize(int width, int height) = 0;
    virtual void ShowFocus(TControl& c) = 0;
    // The logs fill what the panel leaves; the side log (with its splitter)
    // at sideWidth when shown.
    virtual void ShowLogs(bool sideShown, int sideWidth) = 0;

protected:
    ~TNativeWindow() = default;
};

class TMirror : public TControlObserver {
public:
    // Mirrors form and its controls (parents before children) onto native.
    TMirror(TForm& form, std::vector<TControl*> controls, TNativeWindow& native);
    ~TMirror();
    TMirror(const TMirror&) = delete;
    TMirror& operator=(const TMirror&) = delete;

    // Creates every native control and shows the model's whole state, then
    // follows every change.
    void Build();

    // The screen's dots per inch, 96 until told. Once built, shows every
    // control's place and size, the minimum size and the logs again at the
    // new scale; the window's own rectangle is then the system's to choose.
    void SetDpi(int dpi);

    void ControlChanged(TControl& control, TChange what) override;

    // The user's actions on native controls. While the mirror itself changes
    // a native control, the toolkit's echo of that change is ignored.
    void Clicked(TControl& control);
    void Toggled(TControl& control, bool checked);
    void Edited(TControl& control, const std::string& text);
    // The user chose a row of a table (-1: none).
    void RowChosen(TControl& table, int row);
    // A function key (1 for F1 ... 12) pressed in the window; whether it
    // had a use there.
    bool FunctionKey(int n);
    // The close box: true when the window closes for good (the front end
    // lets it), false when the model has hidden it instead.
    bool CloseBox();
    // The window's inside has this size now, whoever changed it.
    void ClientResized(int width, int height);
    // The user moved or resized the window (outer rectangle). The native
    // window keeps the size it was given; only a size below the minimum is
    // shown again.
    void WindowMoved(const TRect& outer);
    // Shows the window's minimum size and rectangle again, after the window
    // manager changed its frame.
    void ShowWindowAgain();

    // True while the model's state is put onto the native controls.
    bool Applying() const { return IsApplying; }

private:
    void Show(TControl& control, TChange what);
    void ShowForm(TChange what);
    TRect NativeRect(const TControl& control) const;
    void ShowLogs();
    int ToScreen(int value) const { return ScaledToDpi(value, Dpi); }
    void ShowGauge(TProgressBar& bar);

    // What a gauge shows: its range, its filled pixels and its colour. The
    // receive loop sets the position every tick, mostly by a few bytes that
    // do not move the fill by a pixel; each native update would repaint it.
    struct TGaugeShown {
        int Min = 0, Max = 0, Filled = -1;
        TColorRef Color = 0;
        bool operator==(const TGaugeShown& o) const {
            return Min == o.Min && Max == o.Max && Filled == o.Filled && Color == o.Color;
        }
    };
    std::map<const TControl*, TGaugeShown> GaugesShown;

    TForm& Form;
    std::vector<TControl*> Controls;
    TNativeWindow& Native;
    bool IsApplying = false;
    bool Built = false;
    bool UserMoving = false;
    int Dpi = 96;
};
