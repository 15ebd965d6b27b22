// The mirror between the window's model and its native controls, with a
// native window the test records: what each front end is asked to show, in
// which coordinates, and that the toolkit's echo of the mirror's own changes
// does not reach the model. Both front ends get exactly these calls.
#include "mirror.h"
#include "window_fixture.h"

#include <map>
#include <set>

namespace {

class TRecordingNative : public TNativeWindow {
public:
    bool Nests = false;
    TMirror* Mirror = nullptr;
    std::vector<const TControl*> Created;
    std::map<const TControl*, std::string> Texts;
    std::map<const TControl*, TRect> Rects;
    std::set<const TControl*> Fitted;
    std::map<const TControl*, bool> Checked, Visible, Enabled, ReadOnly;
    std::map<const TControl*, std::string> Hints;
    std::vector<const TControl*> Lowered;
    bool SideShown = false;
    int SideWidth = 0;
    bool TimerRunning = false;
    std::string Title;
    TRect Outer;
    int OuterShown = 0;
    int MinWidth = 0, MinHeight = 0;

    void CreateNative(TControl& c) override { Created.push_back(&c); }
    bool NestsInGroups() const override { return Nests; }
    void ShowText(TControl& c, const std::string& text) override { Texts[&c] = text; }
    void ShowRect(TControl& c, const TRect& r, bool fitToText) override {
        Rects[&c] = r;
        if (fitToText)
            Fitted.insert(&c);
    }
    void ShowChecked(TControl& c, bool checked) override {
        Checked[&c] = checked;
        // A toolkit tells of every change of a box's state, the mirror's own
        // included; the mirror must not take that for the user's.
        if (Mirror != nullptr)
            Mirror->Toggled(c, !checked);
    }
    void ShowVisible(TControl& c, bool visible) override {
        Visible[&c] = visible;
        ++VisibleCalls[&c];
    }
    std::map<const TControl*, int> VisibleCalls;
    void ShowEnabled(TControl& c, bool enabled) override { Enabled[&c] = enabled; }
    void ShowReadOnlyGroup(TControl& group, bool readOnly) override { ReadOnly[&group] = readOnly; }
    void ShowHint(TControl& c, const std::string& hint) override { Hints[&c] = hint; }
    void ShowGauge(TProgressBar&) override { ++GaugeShows; }
    int GaugeShows = 0;
    void ShowTimer(TTimer& timer) override { TimerRunning = timer.Running(); }
    std::map<const TControl*, std::vector<std::string>> Headings;
    std::map<const TControl*, std::size_t> RowCounts;
    std::map<const TControl*, int> Selections;
    std::map<const TControl*, int> ChartPaints;
    void ShowColumns(TTable& t) override {
        Headings[&t].clear();
        for (const TTableColumn& c : t.Columns())
            Headings[&t].push_back(c.Caption);
    }
    void ShowRows(TTable& t) override { RowCounts[&t] = t.RowCount(); }
    void ShowSelection(TTable& t) override {
        Selections[&t] = t.Selected();
        // The toolkit tells of the mirror's own choice too.
        if (Mirror != nullptr)
            Mirror->RowChosen(t, -1);
    }
    void ShowChart(TBarChart& c) override { ++ChartPaints[&c]; }
    void SendToBack(TControl& c) override { Lowered.push_back(&c); }
    void ShowTitle(const std::string& title) override { Title = title; }
    void ShowWindowRect(const TRect& outer) override {
        Outer = outer;
        ++OuterShown;
    }
    void ShowMinSize(int width, int height) override {
        MinWidth = width;
        MinHeight = height;
    }
    void ShowFocus(TControl&) override {}
    void ShowLogs(bool sideShown, int sideWidth) override {
        SideShown = sideShown;
        SideWidth = sideWidth;
    }
};

struct MirrorTest : WindowTest {
    TRecordingNative Native;
    std::unique_ptr<TMirror> Mirror;

    void Build(bool nests, int dpi = 96) {
        Start();
        Native.Nests = nests;
        Mirror = std::make_unique<TMirror>(*Window, Window->Controls(), Native);
        Native.Mirror = Mirror.get();
        Mirror->SetDpi(dpi);
        Mirror->Build();
    }
    ~MirrorTest() override { Mirror.reset(); }
};

} // namespace

TEST_F(MirrorTest, BuildsEveryControlParentsFirstAndShowsTheModel) {
    Build(true);
    ASSERT_EQ(Native.Created.size(), Window->Controls().size());
    std::set<const TControl*> made;
    for (const TControl* c : Native.Created) {
        if (c->Parent() != Window.get()) {
            EXPECT_TRUE(made.count(c->Parent())) << c->Name();
        }
        made.insert(c);
    }
    EXPECT_EQ(Native.Title, "Fennox V1.18");
    EXPECT_EQ(Native.Outer, Window->Geometry());
    EXPECT_EQ(Native.Texts[&Window->btn_clear], "l\xC3\xB6schen");
    EXPECT_EQ(Native.Texts[&Window->edt_max], "9999");
    EXPECT_EQ(Native.Hints[&Window->edt_min], "Adress-Filter: MIN Grenzwert");
    EXPECT_TRUE(Native.Checked[&Window->rad_com5]);
    EXPECT_FALSE(Native.Enabled[&Window->btnStop]);
    // Only captions that are drawn reach the toolkit.
    EXPECT_FALSE(Native.Texts.count(&Window->Image1));
    EXPECT_FALSE(Native.Texts.count(&Window->ProgressBar2));
    // Labels take the size of their caption; group boxes lie beneath.
    EXPECT_TRUE(Native.Fitted.count(&Window->Label3));
    EXPECT_FALSE(Native.Fitted.count(&Window->btnCheck));
    EXPECT_EQ(Native.Lowered.size(), 7u);
    // The hardware box is read, not operated: it is never disabled as such.
    EXPECT_TRUE(Native.ReadOnly[&Window->GroupBoxHardware]);
    EXPECT_FALSE(Native.Enabled.count(&Window->GroupBoxHardware));
    EXPECT_FALSE(Native.SideShown);
}

// The receive loop sets the gauge every tick; the native one hears of it
// only when its fill moves by a pixel or its colour or range changes.
TEST_F(MirrorTest, TheGaugeIsShownWhenWhatItShowsChanges) {
    Build(false);
    TProgressBar& gauge = Window->ProgressBar2;
    ASSERT_GT(Native.Rects[&gauge].Width, 100);
    const int pixelBytes = gauge.Max() / Native.Rects[&gauge].Width;
    const int shows = Native.GaugeShows;
    gauge.SetPosition(pixelBytes / 2);
    gauge.SetPosition(0);
    EXPECT_EQ(Native.GaugeShows, shows) << "no pixel of fill";
    gauge.SetPosition(gauge.Max());
    EXPECT_EQ(Native.GaugeShows, shows + 1);
    gauge.SetBarColor(0x0000FF);
    EXPECT_EQ(Native.GaugeShows, shows + 2);
    gauge.SetRange(0, 100);
    EXPECT_EQ(Native.GaugeShows, shows + 3);
    gauge.SetPosition(0);
    EXPECT_EQ(Native.GaugeShows, shows + 4);
}

TEST_F(MirrorTest, RectanglesAreInTheNativeParent) {
    Build(false);
    const TRect box = Window->GroupBoxHardware.Geometry();
    EXPECT_EQ(Native.Rects[&Window->cbx_mot], (TRect{box.Left + 10, box.Top + 60, 52, 17}));
    EXPECT_EQ(Native.Rects[&Window->rad_com9], (TRect{114, 56, 49, 17}));
    Native.Rects.clear();
    Mirror.reset();
    Native = TRecordingNative();
    Build(true);
    EXPECT_EQ(Native.Rects[&Window->cbx_mot], (TRect{10, 60, 52, 17}));
}

TEST_F(MirrorTest, TheUsersActionsReachTheModelTheToolkitsEchoDoesNot) {
    Build(true);
    // Every ShowChecked above answered with the opposite state: ignored.
    EXPECT_TRUE(Window->rad_com5.Checked());
    EXPECT_FALSE(Window->cbx_time.Checked());
    // The user's click on the filter box runs its handler; its changes show.
    Mirror->Toggled(Window->cbx_filter, true);
    Mirror->Toggled(Window->cbx_filter, false);
    EXPECT_FALSE(Window->cbx_filter.Checked());
    EXPECT_FALSE(Native.Enabled[&Window->edt_min]);
    Mirror->Edited(Window->edt_min, "$1F");
    EXPECT_EQ(Window->FilterMin(), 31);
    Mirror->Clicked(Window->cbx_bitstream);
    EXPECT_TRUE(Native.SideShown);
    EXPECT_EQ(Native.SideWidth, 345);
    Mirror->Clicked(Window->cbx_bitstream);
    EXPECT_FALSE(Native.SideShown);
    // A box in the read-only group takes no click.
    Mirror->Clicked(Window->cbx_mot);
    EXPECT_FALSE(Window->cbx_mot.Checked());
    // The user moved the window.
    Mirror->WindowMoved({30, 40, 1200, 637});
    EXPECT_EQ(Window->Geometry(), (TRect{30, 40, 1200, 637}));
}

// pixels at 96 dots per inch -> pixels at 144 (150 %), as MulDiv gives them.
TEST(ScaledToDpi, RoundsAsTheSystemAndComesBack) {
    const struct {
        int Value, Dpi, Scaled;
    } table[] = {{0, 144, 0},       {17, 144, 26},    {57, 144, 86},   {637, 144, 956},
                 {1000, 120, 1250}, {637, 120, 796},  {345, 192, 690}, {-3, 144, -5},
                 {1, 144, 2},       {1000, 96, 1000}, {13, 120, 16},   {-7, 120, -9}};
    for (const auto& row : table) {
        EXPECT_EQ(ScaledToDpi(row.Value, row.Dpi), row.Scaled) << row.Value << " at " << row.Dpi;
        EXPECT_EQ(ScaledFromDpi(row.Scaled, row.Dpi), row.Value) << row.Value << " at " << row.Dpi;
    }
    // At 96 dots per inch and above, every size survives the way there and
    // back: a window stored, shown and stored again keeps its size.
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
        for (int v = 0; v <= 3000; ++v)
            ASSERT_EQ(ScaledFromDpi(ScaledToDpi(v, dpi), dpi), v) << v << " at " << dpi;
    }
}

TEST_F(MirrorTest, AtAnotherResolutionEverySizeIsScaledButNotTheWindowsPlace) {
    Build(false);
    // By name: the second build makes a new window.
    std::map<std::string, TRect> at96;
    for (const auto& [control, rect] : Native.Rects)
        at96[control->Name()] = rect;
    Mirror.reset();
    Native = TRecordingNative();
    Build(false, 144);
    ASSERT_EQ(Native.Rects.size(), at96.size());
    for (const auto& [control, rect] : Native.Rects)
        EXPECT_EQ(rect, ScaledToDpi(at96.at(control->Name()), 144)) << control->Name();
    EXPECT_EQ(Native.Rects[&Window->rad_com9], (TRect{171, 84, 74, 26}));
    // The window stays where the model has it on the screen; its size and
    // minimum grow.
    EXPECT_EQ(Native.Outer, (TRect{10, 10, 1500, 956}));
    EXPECT_EQ(Native.MinWidth, 1500);
    EXPECT_EQ(Native.MinHeight, 900);
    Mirror->Clicked(Window->cbx_bitstream);
    EXPECT_EQ(Native.SideWidth, 518);

    // The user's size goes back at 96 dots per inch, and the native window
    // keeps it (shown again, it would be a pixel larger).
    const int shown = Native.OuterShown;
    Mirror->WindowMoved({-1900, 40, 1801, 1000});
    EXPECT_EQ(Window->Geometry(), (TRect{-1900, 40, 1201, 667}));
    EXPECT_EQ(Native.OuterShown, shown);
    // Below the minimum, the model's size is shown.
    Mirror->WindowMoved({0, 0, 1200, 700});
    EXPECT_EQ(Window->Geometry(), (TRect{0, 0, 1000, 600}));
    EXPECT_EQ(Native.Outer, (TRect{0, 0, 1500, 900}));

    // A move to a screen of 96: every control is shown at its own size
    // again, the window's rectangle is left to the system.
    Native.Rects.clear();
    const TRect outer = Native.Outer;
    Mirror->SetDpi(96);
    ASSERT_EQ(Native.Rects.size(), at96.size());
    for (const auto& [control, rect] : Native.Rects)
        EXPECT_EQ(rect, at96.at(control->Name())) << control->Name();
    EXPECT_EQ(Native.Outer, outer);
    EXPECT_EQ(Native.MinWidth, 1000);
    EXPECT_EQ(Native.SideWidth, 345);
}

namespace {

struct AnalysisMirror : WindowTest {
    TRecordingNative Native;
    std::unique_ptr<TMirror> Mirror;
    TfrmAnalyse* Form = nullptr;

    void Build() {
        Start();
        Form = &Window->frmAnalyse;
        Mirror = std::make_unique<TMirror>(*Form, Form->Controls(), Native);
        Native.Mirror = Mirror.get();
        Mirror->Build();
    }
    ~AnalysisMirror() override { Mirror.reset(); }
};

} // namespace

TEST_F(AnalysisMirror, TablesChartsAndTheWindowsComingAndGoing) {
    Build();
    EXPECT_EQ(Native.Created.size(), Form->Controls().size());
    EXPECT_EQ(Native.Title, "Analyse");
    EXPECT_EQ(Native.Headings[&Form->tblVerlauf], (std::vector<std::string>{"Zeit", "Bytes", "Text",
                                                                            "Pr\xC3\xBC"
                                                                            "fsumme"}));
    EXPECT_EQ(Native.RowCounts[&Form->tblLoks], 0u);
    EXPECT_FALSE(Native.Texts.count(&Form->tblLoks)) << "a table has no caption to show";
    EXPECT_TRUE(Native.TimerRunning);
    // Hidden until asked for; the building shows nothing of the window.
    EXPECT_FALSE(Native.VisibleCalls.count(Form));

    // F2 in the main window shows it and brings it to the front, each time.
    Window->FunctionKey(2);
    EXPECT_TRUE(Native.Visible[Form]);
    const int shown = Native.VisibleCalls[Form];
    Window->FunctionKey(2);
    EXPECT_EQ(Native.VisibleCalls[Form], shown + 1);
    EXPECT_TRUE(Native.Visible[Form]);
    // Its close box hides it; the window is not closed for good.
    EXPECT_FALSE(Mirror->CloseBox());
    EXPECT_FALSE(Native.Visible[Form]);
    EXPECT_FALSE(Form->Visible());

    // The desktop gives the window its inside: the controls follow.
    Mirror->ClientResized(1000, 700);
    EXPECT_EQ(Native.Rects[&Form->tblVerlauf], ArrangeAnalysis(1000, 700).tblVerlauf);
    EXPECT_EQ(Native.Rects[&Form->tblVerlauf].Bottom(), 700 - 8);

    // Rows and bars reach the toolkit when they change, the user's choice
    // the model; the toolkit's echo of the mirror's own choice does not.
    Form->tblLoks.SetRows({{"3 (kurz)"}, {"5 (kurz)"}});
    EXPECT_EQ(Native.RowCounts[&Form->tblLoks], 2u);
    Mirror->RowChosen(Form->tblLoks, 1);
    EXPECT_EQ(Form->tblLoks.Selected(), 1);
    Form->tblLoks.Select(0);
    EXPECT_EQ(Native.Selections[&Form->tblLoks], 0);
    EXPECT_EQ(Form->tblLoks.Selected(), 0);
    const int paints = Native.ChartPaints[&Form->chtPraeambeln];
    Form->chtPraeambeln.SetBars({{"14", 3, false}});
    Form->chtPraeambeln.SetBars({{"14", 3, false}});
    EXPECT_EQ(Native.ChartPaints[&Form->chtPraeambeln], paints + 1);
}

TEST_F(MirrorTest, TheMainWindowsCloseBoxClosesIt) {
    Build(true);
    EXPECT_TRUE(Mirror->CloseBox());
    EXPECT_FALSE(Mirror->FunctionKey(5)) << "F5 has no use";
}
