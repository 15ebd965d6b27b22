#include "control_layout.h"
#include "window_fixture.h"

namespace {

struct TExpected {
    const char* Name;
    TRect Rect;
};

// The positions the layout must give (left, top, width, height).
const TExpected Table[] = {
    {"btnCheck", {16, 16, 75, 25}},
    {"RadioGroupComPort", {0, 46, 169, 89}},
    {"GroupBoxHardware", {0, 135, 169, 113}},
    {"GroupBoxTextfeld", {0, 248, 169, 81}},
    {"btnStart", {8, 334, 153, 25}},
    {"btnStop", {8, 361, 153, 25}},
    {"btnClose", {8, 388, 153, 19}},
    {"GroupBoxAnzeige1", {174, 46, 169, 127}},
    {"GroupBoxFilter", {174, 173, 169, 66}},
    {"GroupBoxAnzeigeSchalt", {174, 239, 169, 106}},
    {"GroupBoxAnzeigeLok", {174, 345, 169, 151}},
    {"Image1", {8, 498, 200, 32}},
    {"ProgressBar2", {8, 532, 338, 16}},
};

TRect RectOf(const TPanelLayout& l, const std::string& name) {
    const std::pair<const char*, TRect> all[] = {
        {"btnCheck", l.btnCheck},
        {"RadioGroupComPort", l.RadioGroupComPort},
        {"GroupBoxHardware", l.GroupBoxHardware},
        {"GroupBoxTextfeld", l.GroupBoxTextfeld},
        {"btnStart", l.btnStart},
        {"btnStop", l.btnStop},
        {"btnClose", l.btnClose},
        {"GroupBoxAnzeige1", l.GroupBoxAnzeige1},
        {"GroupBoxFilter", l.GroupBoxFilter},
        {"GroupBoxAnzeigeSchalt", l.GroupBoxAnzeigeSchalt},
        {"GroupBoxAnzeigeLok", l.GroupBoxAnzeigeLok},
        {"Image1", l.Image1},
        {"ProgressBar2", l.ProgressBar2},
    };
    for (const auto& p : all)
        if (name == p.first)
            return p.second;
    return {};
}

TRect ControlRect(const TfrmMain& w, const std::string& name) {
    for (const TControl* c : w.Controls()) {
        if (c->Name() == name)
            return c->Geometry();
    }
    return {-1, -1, -1, -1};
}

} // namespace

TEST(ControlLayout, ArithmeticGivesTheTable) {
    const TPanelLayout l = ArrangeLayout(ControlSizes());
    for (const TExpected& e : Table)
        EXPECT_EQ(RectOf(l, e.Name), e.Rect) << e.Name;
    EXPECT_EQ(l.WindowHeight, 637);
}

TEST(ControlLayout, FollowsTheControlSizes) {
    TPanelLayout sizes = ControlSizes();
    sizes.GroupBoxFilter.Height += 10;
    const TPanelLayout l = ArrangeLayout(sizes);
    EXPECT_EQ(l.GroupBoxAnzeigeSchalt.Top, 249);
    EXPECT_EQ(l.Image1.Top, 508);
    EXPECT_EQ(l.WindowHeight, 647);
}

TEST_F(WindowTest, ControlsSitWhereTheTableSays) {
    Start();
    for (const TExpected& e : Table)
        EXPECT_EQ(ControlRect(*Window, e.Name), e.Rect) << e.Name;
    const int radio[9][2] = {{6, 56},  {6, 72},  {6, 88},   {6, 104}, {60, 56},
                             {60, 72}, {60, 88}, {60, 104}, {114, 56}};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Window->RadCom[i]->Geometry(),
                  (TRect{radio[i][0], radio[i][1], i == 8 ? 49 : 57, 17}))
            << i;
        // The choices lie over the frame, not hidden behind it.
        EXPECT_EQ(Window->RadCom[i]->Parent(), &Window->Panel1);
    }
    EXPECT_EQ(Window->Panel1.Geometry().Width, 353);
    // The outer height, frame included.
    EXPECT_EQ(Window->Geometry().Height, 637);
    EXPECT_EQ(Window->MinWidth(), 1000);
    EXPECT_EQ(Window->MinHeight(), 600);
}

TEST_F(WindowTest, ArrangingTwiceChangesNothing) {
    Start();
    std::vector<TRect> first;
    for (const TExpected& e : Table)
        first.push_back(ControlRect(*Window, e.Name));
    const TRect before = Window->Geometry();
    Window->ArrangeControls();
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(ControlRect(*Window, Table[i].Name), first[i]) << Table[i].Name;
    EXPECT_EQ(Window->Geometry(), before);
}

TEST_F(WindowTest, BitstreamSwitchShowsTheLogAndRestoresTheHeight) {
    Start();
    Window->Resize(1200, 700);
    Window->cbx_bitstream.SetChecked(true);
    EXPECT_EQ(Window->Geometry().Height, 637);
    EXPECT_EQ(Window->Geometry().Width, 1200);
    EXPECT_TRUE(Window->Memo2.Visible());
    EXPECT_TRUE(Window->Splitter1.Visible());
    EXPECT_EQ(Window->Memo2.Geometry().Width, 345);
    EXPECT_EQ(Window->Splitter1.Geometry().Width, 5);

    Window->Resize(1200, 750);
    Window->cbx_bitstream.SetChecked(false);
    EXPECT_EQ(Window->Geometry().Height, 637);
    EXPECT_FALSE(Window->Memo2.Visible());
    EXPECT_FALSE(Window->Splitter1.Visible());
    // Lines stay in the hidden log.
    Window->AppendBitstreamLine("0101");
    Window->cbx_bitstream.SetChecked(true);
    EXPECT_EQ(Window->Memo2.Lines.LineCount(), 1u);
}

TEST_F(WindowTest, WindowCannotShrinkBelowTheMinimum) {
    Start();
    Window->Resize(300, 200);
    EXPECT_EQ(Window->Geometry().Width, 1000);
    EXPECT_EQ(Window->Geometry().Height, 600);
}

TEST(ControlLayout, LogsShareWhatThePanelLeaves) {
    // The Bitstream log hidden: the Monitor log takes all beside the panel.
    TLogsLayout l = ArrangeLogs(1200, 600, 353, 5, false, 345);
    EXPECT_EQ(l.First, (TRect{353, 0, 847, 600}));
    EXPECT_EQ(l.Side.Width, 0);
    // Shown: the side log at its width, the splitter left of it.
    l = ArrangeLogs(1200, 600, 353, 5, true, 345);
    EXPECT_EQ(l.First, (TRect{353, 0, 497, 600}));
    EXPECT_EQ(l.Splitter, (TRect{850, 0, 5, 600}));
    EXPECT_EQ(l.Side, (TRect{855, 0, 345, 600}));
    // Dragged too far either way: each log keeps 20 pixels.
    l = ArrangeLogs(1000, 600, 353, 5, true, 900);
    EXPECT_EQ(l.SideWidth, 622);
    EXPECT_EQ(l.First.Width, 20);
    l = ArrangeLogs(1000, 600, 353, 5, true, 3);
    EXPECT_EQ(l.SideWidth, 20);
}
