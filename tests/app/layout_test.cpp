#include "control_layout.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>

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

TRect WidgetRect(const TfrmMain& w, const char* name) {
    const QWidget* c = w.findChild<QWidget*>(name);
    if (!c)
        return {-1, -1, -1, -1};
    const QRect g = c->geometry();
    return {g.x(), g.y(), g.width(), g.height()};
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
        EXPECT_EQ(WidgetRect(*Window, e.Name), e.Rect) << e.Name;
    const int radio[9][2] = {{6, 56},  {6, 72},  {6, 88},   {6, 104}, {60, 56},
                             {60, 72}, {60, 88}, {60, 104}, {114, 56}};
    for (int i = 0; i < 9; ++i) {
        const QRect g = Window->RadCom[i]->geometry();
        EXPECT_EQ(g, QRect(radio[i][0], radio[i][1], i == 8 ? 49 : 57, 17)) << i;
        // The choices lie over the frame, not hidden behind it.
        EXPECT_EQ(Window->RadCom[i]->parentWidget(), Window->Panel1);
    }
    EXPECT_EQ(Window->Panel1->width(), 353);
    // Offscreen there is no window frame: the outer height is the inner one.
    EXPECT_EQ(Window->OuterHeight(), 637);
    EXPECT_EQ(Window->minimumSize(), QSize(1000, 600));
}

TEST_F(WindowTest, ArrangingTwiceChangesNothing) {
    Start();
    std::vector<TRect> first;
    for (const TExpected& e : Table)
        first.push_back(WidgetRect(*Window, e.Name));
    const QRect before = Window->geometry();
    Window->ArrangeControls();
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(WidgetRect(*Window, Table[i].Name), first[i]) << Table[i].Name;
    EXPECT_EQ(Window->geometry(), before);
}

TEST_F(WindowTest, BitstreamSwitchShowsTheLogAndRestoresTheHeight) {
    Start();
    Window->show();
    ASSERT_TRUE(WaitFor([&] { return Window->isVisible(); }));
    Window->resize(1200, 700);
    ASSERT_TRUE(WaitFor([&] { return Window->height() == 700; }));
    Window->cbx_bitstream->setChecked(true);
    EXPECT_EQ(Window->OuterHeight(), 637);
    EXPECT_EQ(Window->width(), 1200);
    EXPECT_TRUE(Window->Memo2->Widget()->isVisible());
    EXPECT_EQ(Window->Memo2->Widget()->width(), 345);
    EXPECT_EQ(Window->Splitter1->handleWidth(), 5);

    Window->resize(1200, 750);
    Window->cbx_bitstream->setChecked(false);
    EXPECT_EQ(Window->OuterHeight(), 637);
    EXPECT_FALSE(Window->Memo2->Widget()->isVisible());
    // Lines stay in the hidden log.
    Window->AppendBitstreamLine("0101");
    Window->cbx_bitstream->setChecked(true);
    EXPECT_EQ(Window->Memo2->Lines(), QStringList{"0101"});
}

TEST_F(WindowTest, WindowCannotShrinkBelowTheMinimum) {
    Start();
    Window->show();
    Window->resize(300, 200);
    // The minimum is the outer size, frame included (offscreen draws one of
    // two pixels).
    EXPECT_EQ(Window->OuterWidth(), 1000);
    EXPECT_EQ(Window->OuterHeight(), 600);
}
