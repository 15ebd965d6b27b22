// A log view without a toolkit: what its keys, mouse, menu and clipboard do,
// what it asks the toolkit for and what it paints. Both front ends only
// translate their events into these calls, so this is how both behave.
#include "log_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int RowHeight = 10;
constexpr double Advance = 5;

// The toolkit as the test plays it: the clipboard, and what was asked of it.
class TTestSurface : public TLogSurface {
public:
    std::string Clipboard;
    bool ClipboardBusy = false;
    std::vector<double> Invalidated;
    std::vector<double> Scrolled;
    size_t MaxTop = 0, Page = 0, Top = 0;
    int BarsShown = 0, BarsPainted = 0;
    int CaretMoves = 0;
    bool DragTimer = false;
    int FrameTimer = 0;
    bool IsShown = true;

    std::string ClipboardText() const override { return Clipboard; }
    bool SetClipboardText(const std::string& utf8) override {
        if (!ClipboardBusy)
            Clipboard = utf8;
        return !ClipboardBusy;
    }
    void Invalidate(double fromY) override { Invalidated.push_back(fromY); }
    void ScrollView(double dy) override { Scrolled.push_back(dy); }
    bool Shown() const override { return IsShown; }
    void RunFrameTimer(int milliseconds) override { FrameTimer = milliseconds; }
    void ShowScrollBar(size_t maxTop, size_t page, size_t top, bool thumbMoved) override {
        MaxTop = maxTop;
        Page = page;
        Top = top;
        ++BarsShown;
        BarsPainted += thumbMoved;
    }
    void CaretMoved() override { ++CaretMoves; }
    void RunDragTimer(bool running) override { DragTimer = running; }
};

// Records what is painted, one entry a call.
class TTestCanvas : public TLogCanvas {
public:
    struct TCall {
        bool Fill;
        double X, Y, Width;
        std::string Text;
        TLogInk Ink;
    };
    std::vector<TCall> Calls;
    void Fill(double x, double y, double width, double, TLogInk ink) override {
        Calls.push_back({true, x, y, width, "", ink});
    }
    void Text(double x, double y, std::string_view latin1, TLogInk ink) override {
        Calls.push_back({false, x, y, 0, std::string(latin1), ink});
    }
};

struct LogViewTest : ::testing::Test {
    TLogModel Model;
    TTestSurface Surface;
    // The text starts 4 pixels in from the left, 2 from the top.
    TLogView View{Model, Surface, 4, 2};

    LogViewTest() {
        TLogMetrics m;
        m.Advances.fill(Advance);
        m.FixedPitch = true;
        m.WrapWidth = 40 * Advance;
        m.RowHeight = RowHeight;
        m.ViewHeight = 5 * RowHeight;
        View.SetMetrics(m);
    }
    void Append(int lines) {
        for (int i = 0; i < lines; ++i)
            Model.AppendLatin1("Zeile " + std::to_string(i));
    }
    // The view's coordinates of a place in the first rows.
    double X(size_t col) const { return 4 + col * Advance + 1; }
    double Y(size_t row) const { return 2 + row * RowHeight + RowHeight / 2.0; }
};

} // namespace

TEST(LogShownChar, EveryByteReachesTheScreenAsItsLatin1Letter) {
    for (int b = 0; b < 256; ++b) {
        const char16_t shown = LogShownChar(static_cast<unsigned char>(b));
        if (b < 0x20 || (b >= 0x7F && b < 0xA0))
            EXPECT_EQ(shown, u' ') << b;
        else if (b == 0xAD)
            EXPECT_EQ(shown, u'-') << b;
        else
            EXPECT_EQ(shown, static_cast<char16_t>(b)) << b;
    }
    // The letters of the decoder's lines, as in "Rückw." and "Präambel".
    EXPECT_EQ(LogShownChar(0xFC), u'\u00FC');
    EXPECT_EQ(LogShownChar(0xE4), u'\u00E4');
}

TEST_F(LogViewTest, KeysAreTheEditingCommandsOfBothDesktops) {
    struct TCase {
        const char* Name;
        TLogKey Key;
        TLogKeyMods Mods;
        bool Taken;
        std::vector<std::string> Lines; // after the key, from "eins" / "zwei"
        std::string Clipboard;
    };
    const TLogKeyMods none, shift{true, false, false}, ctrl{false, true, false},
        alt{false, false, true};
    const TCase cases[] = {
        {"Ctrl+C copies", TLogKey::C, ctrl, true, {"eins", "zwei"}, "in"},
        {"Ctrl+Insert copies", TLogKey::Insert, ctrl, true, {"eins", "zwei"}, "in"},
        {"Ctrl+X cuts", TLogKey::X, ctrl, true, {"es", "zwei"}, "in"},
        {"Shift+Delete cuts", TLogKey::Delete, shift, true, {"es", "zwei"}, "in"},
        {"Delete deletes", TLogKey::Delete, none, true, {"es", "zwei"}, "old"},
        {"Backspace deletes", TLogKey::Backspace, none, true, {"es", "zwei"}, "old"},
        {"Ctrl+V pastes", TLogKey::V, ctrl, true, {"eolds", "zwei"}, "old"},
        {"Shift+Insert pastes", TLogKey::Insert, shift, true, {"eolds", "zwei"}, "old"},
        {"Enter splits", TLogKey::Enter, none, true, {"e", "s", "zwei"}, "old"},
        {"a letter alone is typing", TLogKey::C, none, false, {"eins", "zwei"}, "old"},
        {"Insert alone does nothing", TLogKey::Insert, none, false, {"eins", "zwei"}, "old"},
        {"Alt is the window's", TLogKey::C, alt, false, {"eins", "zwei"}, "old"},
    };
    for (const TCase& c : cases) {
        Model.Clear();
        Model.AppendLatin1("eins\nzwei");
        Surface.Clipboard = "old";
        Model.SetCaretPos({0, 1});
        Model.SetCaretPos({0, 3}, true);
        EXPECT_EQ(View.Key(c.Key, c.Mods), c.Taken) << c.Name;
        std::vector<std::string> lines;
        for (size_t i = 0; i < Model.LineCount(); ++i)
            lines.emplace_back(Model.Store().Line(i));
        EXPECT_EQ(lines, c.Lines) << c.Name;
        EXPECT_EQ(Surface.Clipboard, c.Clipboard) << c.Name;
    }
    // Ctrl+A selects everything; arrows move, Shift extends.
    EXPECT_TRUE(View.Key(TLogKey::A, ctrl));
    EXPECT_EQ(Model.SelectedText(), "eins\nzwei");
    View.Key(TLogKey::Home, ctrl);
    View.Key(TLogKey::Right, shift);
    View.Key(TLogKey::Right, shift);
    EXPECT_EQ(Model.SelectedText(), "ei");
    View.Key(TLogKey::End, ctrl);
    EXPECT_EQ(Model.CaretPos(), (TLogPos{1, 4}));
}

TEST_F(LogViewTest, PasteTurnsLineSeparatorsIntoLinesAndForeignLettersIntoQuestionMarks) {
    Surface.Clipboard = "R\xC3\xBC"
                        "ck\xE2\x80\xA9"
                        "w\xE2\x82\xAC";
    View.Paste();
    ASSERT_EQ(Model.LineCount(), 2u);
    EXPECT_EQ(Model.Store().Line(0), "R\xFC"
                                     "ck");
    EXPECT_EQ(Model.Store().Line(1), "w?");
    // Nothing on the clipboard: nothing happens.
    Surface.Clipboard.clear();
    View.Paste();
    EXPECT_EQ(Model.LineCount(), 2u);
    // Copying gives UTF-8 back.
    View.Key(TLogKey::A, {false, true, false});
    View.Copy();
    EXPECT_EQ(Surface.Clipboard, "R\xC3\xBC"
                                 "ck\nw?");
}

TEST_F(LogViewTest, ClickShiftClickDoubleClickAndDragSelect) {
    Append(3);
    View.Press(X(2), Y(0), false);
    View.Release();
    EXPECT_EQ(Model.CaretPos(), (TLogPos{0, 2}));
    View.Press(X(4), Y(1), true);
    View.Release();
    EXPECT_EQ(Model.SelectedText(), "ile 0\nZeil");
    View.DoubleClick(X(1), Y(2));
    EXPECT_EQ(Model.SelectedText(), "Zeile");
    View.Press(X(0), Y(0), false);
    View.Drag(X(3), Y(1));
    EXPECT_EQ(Model.SelectedText(), "Zeile 0\nZei");
    EXPECT_FALSE(Surface.DragTimer);
}

TEST_F(LogViewTest, DraggingPastTheEdgeScrollsOnTheTimerUntilReleased) {
    Append(30);
    Model.ScrollTo(10);
    View.Press(X(0), Y(1), false);
    // Below the view: the timer runs, and each tick scrolls a row and moves
    // the selection's end along, whether the mouse moves or not.
    View.Drag(X(0), 2 + 5 * RowHeight + 3);
    EXPECT_TRUE(Surface.DragTimer);
    for (int tick = 0; tick < 3; ++tick) {
        const size_t top = Model.TopRow();
        const size_t line = Model.CaretPos().Line;
        View.DragScrollTick();
        EXPECT_GT(Model.TopRow(), top);
        EXPECT_GT(Model.CaretPos().Line, line);
    }
    EXPECT_EQ(Model.AnchorPos(), (TLogPos{11, 0}));
    // Back inside: the timer stops; above the view: it scrolls up.
    View.Drag(X(0), Y(2));
    EXPECT_FALSE(Surface.DragTimer);
    View.Drag(X(0), -4);
    EXPECT_TRUE(Surface.DragTimer);
    const size_t top = Model.TopRow();
    View.DragScrollTick();
    EXPECT_LT(Model.TopRow(), top);
    View.Release();
    EXPECT_FALSE(Surface.DragTimer);
    const size_t released = Model.TopRow();
    View.DragScrollTick();
    EXPECT_EQ(Model.TopRow(), released);
}

TEST_F(LogViewTest, WheelAndScrollBarScroll) {
    Append(40);
    Model.ScrollTo(20);
    View.Wheel(1);
    EXPECT_EQ(Model.TopRow(), 17u);
    View.Wheel(-2);
    EXPECT_EQ(Model.TopRow(), 23u);
    const std::pair<TLogScroll, size_t> steps[] = {
        {TLogScroll::LineUp, 22},   {TLogScroll::PageUp, 17}, {TLogScroll::LineDown, 18},
        {TLogScroll::PageDown, 23}, {TLogScroll::Top, 0},     {TLogScroll::Bottom, 35}};
    for (const auto& [action, top] : steps) {
        View.ScrollBar(action);
        View.Frame();
        EXPECT_EQ(Model.TopRow(), top) << static_cast<int>(action);
        EXPECT_EQ(Surface.Top, top);
    }
    View.ScrollBar(TLogScroll::To, 7);
    EXPECT_EQ(Model.TopRow(), 7u);
    EXPECT_EQ(Surface.MaxTop, 35u);
    EXPECT_EQ(Surface.Page, 5u);
}

TEST_F(LogViewTest, FramesPaintOnlyWhatChangedAndMoveWhatIsPainted) {
    Append(30);
    Model.ScrollTo(0);
    View.Frame();
    EXPECT_EQ(Surface.FrameTimer, 0);
    Surface.Invalidated.clear();
    // Appended far below the view: the scroll bar grows, nothing is painted,
    // and only at the frame; lines coming in make ten frames a second.
    Model.AppendLatin1("neu");
    EXPECT_EQ(Surface.FrameTimer, TLogView::FollowMilliseconds);
    EXPECT_EQ(Surface.MaxTop, 25u);
    View.Frame();
    EXPECT_TRUE(Surface.Invalidated.empty());
    // The bar's thumb did not move a pixel: its numbers follow within 15
    // frames, not at every frame.
    EXPECT_EQ(Surface.MaxTop, 25u);
    const int painted = Surface.BarsPainted;
    for (int frame = 0; frame < 15 && Surface.MaxTop == 25; ++frame)
        View.Frame();
    EXPECT_EQ(Surface.MaxTop, 26u);
    EXPECT_EQ(Surface.BarsPainted, painted) << "only its numbers changed";
    // At the end, a new line moves what is painted up a row, and only the
    // new row is painted; many appends make one frame.
    Model.ScrollTo(Model.MaxTopRow());
    View.Frame();
    Surface.Invalidated.clear();
    Model.AppendLatin1("eins");
    Model.AppendLatin1("zwei");
    View.Frame();
    EXPECT_EQ(Surface.Scrolled, (std::vector<double>{2 * RowHeight}));
    EXPECT_EQ(Surface.Invalidated, (std::vector<double>{2 + 3 * RowHeight}));
    // Nobody sees it: nothing is done, until the view shows again.
    Surface.IsShown = false;
    Surface.Invalidated.clear();
    Model.AppendLatin1("drei");
    View.Frame();
    EXPECT_TRUE(Surface.Invalidated.empty());
    EXPECT_GT(Surface.FrameTimer, 0);
    Surface.IsShown = true;
    View.Frame();
    EXPECT_EQ(Surface.Invalidated, (std::vector<double>{0}));
    EXPECT_EQ(Surface.Top, Model.MaxTopRow());
    EXPECT_EQ(Surface.FrameTimer, 0);
    // What the user does shows sooner: thirty frames a second.
    View.Wheel(1);
    EXPECT_EQ(Surface.FrameTimer, TLogView::FrameMilliseconds);
}

// Following lines that pour in, the thumb moves at every frame; the bar is
// shown once every FollowBarFrames frames. The user's scrolling shows at the
// next frame.
TEST_F(LogViewTest, WhileFollowingTheBarIsShownOnceASecond) {
    Append(10);
    View.Frame();
    const int first = Surface.BarsShown;
    EXPECT_EQ(first, 1) << "a new view shows its bar at once";
    for (int frame = 0; frame < 4 * TLogView::FollowBarFrames; ++frame) {
        Append(10);
        EXPECT_EQ(Surface.FrameTimer, TLogView::FollowMilliseconds);
        View.Frame();
    }
    // Four seconds of frames: four bars at most, and the thumb still moves.
    EXPECT_LE(Surface.BarsShown - first, 4);
    EXPECT_GE(Surface.BarsPainted - first, 3);
    Append(10);
    View.Frame();
    const int before = Surface.BarsShown;
    View.Wheel(1);
    View.Frame();
    EXPECT_EQ(Surface.BarsShown, before + 1);
    EXPECT_EQ(Surface.Top, Model.TopRow());
}

TEST_F(LogViewTest, TheContextMenuOffersWhatCanBeDone) {
    const auto enabled = [this] {
        std::string e;
        for (const TLogMenuItem& item : View.ContextMenu())
            e += item.Enabled ? '1' : '0';
        return e;
    };
    const std::vector<TLogMenuItem> menu = View.ContextMenu();
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_STREQ(menu[2].Caption, "&Einf\xC3\xBCgen");
    EXPECT_TRUE(menu[4].SeparatorBefore);
    // Cut, copy, paste, delete, select all.
    EXPECT_EQ(enabled(), "00000");
    Append(2);
    EXPECT_EQ(enabled(), "00001");
    Surface.Clipboard = "x";
    EXPECT_EQ(enabled(), "00101");
    View.Run(TLogCommand::SelectAll);
    EXPECT_EQ(enabled(), "11111");
    View.Run(TLogCommand::Copy);
    EXPECT_EQ(Surface.Clipboard, "Zeile 0\nZeile 1");
    View.Run(TLogCommand::Delete);
    EXPECT_EQ(Model.LineCount(), 0u);
}

// A selection larger than the clipboard may take is neither copied nor cut:
// the error box says why, and the clipboard and the log stay as they were.
TEST_F(LogViewTest, ASelectionTooLargeForTheClipboardStaysWhereItIs) {
    struct THost : TProgressHost {
        std::vector<std::string> Boxes;
        void ShowProgress(const std::string&, int) override {}
        void HideProgress() override {}
        void RunPendingEvents() override {}
        void ShowErrorBox(const std::string& text) override { Boxes.push_back(text); }
    } host;
    View.SetProgressHost(&host);
    const size_t limit = TLogView::ClipboardLimit;
    // "Zeile 0" to "Zeile 2": 23 bytes with the line ends between them.
    TLogView::ClipboardLimit = 22;
    Append(3);
    Surface.Clipboard = "vorher";
    View.Run(TLogCommand::SelectAll);
    View.Copy();
    View.Cut();
    EXPECT_EQ(Surface.Clipboard, "vorher");
    EXPECT_EQ(Model.LineCount(), 3u);
    ASSERT_EQ(host.Boxes.size(), 2u);
    EXPECT_NE(host.Boxes[1].find("Zwischenablage"), std::string::npos);
    // Within the limit a cut takes the text off the log.
    Model.SetCaretPos({0, 0});
    Model.SetCaretPos({1, 7}, true);
    View.Cut();
    TLogView::ClipboardLimit = limit;
    EXPECT_EQ(Surface.Clipboard, "Zeile 0\nZeile 1");
    EXPECT_EQ(Model.LineCount(), 2u);
    EXPECT_EQ(host.Boxes.size(), 2u);
    // A clipboard another program holds takes nothing, and a cut then
    // leaves its lines.
    Surface.ClipboardBusy = true;
    View.Run(TLogCommand::SelectAll);
    View.Cut();
    EXPECT_EQ(Surface.Clipboard, "Zeile 0\nZeile 1");
    EXPECT_EQ(Model.LineCount(), 2u);
    ASSERT_EQ(host.Boxes.size(), 3u);
    EXPECT_EQ(host.Boxes[2], ClipboardBusyText);
}

TEST_F(LogViewTest, PaintsRowsTheSelectionAndTheCaret) {
    Model.AppendLatin1("Lok 3 Vorw.\nIdle");
    Model.SetCaretPos({0, 4});
    Model.SetCaretPos({1, 0}, true);
    TTestCanvas canvas;
    View.Paint(canvas, 5 * RowHeight + 2, true);
    // Row 0: the highlight from column 4 to the end, the text around it, and
    // the selected line end; row 1 unselected; the caret at row 1's start.
    ASSERT_GE(canvas.Calls.size(), 6u);
    const auto& c = canvas.Calls;
    EXPECT_TRUE(c[0].Fill);
    EXPECT_EQ(c[0].Ink, TLogInk::Selection);
    EXPECT_EQ(c[0].X, 4 + 4 * Advance);
    EXPECT_EQ(c[0].Width, 7 * Advance);
    EXPECT_EQ(c[1].Text, "Lok ");
    EXPECT_EQ(c[1].Ink, TLogInk::Text);
    EXPECT_EQ(c[3].Text, "3 Vorw.");
    EXPECT_EQ(c[3].Ink, TLogInk::SelectedText);
    EXPECT_TRUE(c[4].Fill); // the line end
    EXPECT_EQ(c[4].X, 4 + 11 * Advance);
    EXPECT_EQ(c[5].Text, "Idle");
    EXPECT_EQ(c[5].Y, 2 + RowHeight);
    EXPECT_TRUE(c.back().Fill);
    EXPECT_EQ(c.back().Ink, TLogInk::Text);
    EXPECT_EQ(c.back().X, 4);
    EXPECT_EQ(c.back().Y, 2 + RowHeight);
}

TEST_F(LogViewTest, MarkedLinesArePaintedInTheirMarksInk) {
    Model.AppendLatin1("gut");
    Model.AppendLatin1("falsch", TLogMark::ChecksumError);
    Model.AppendLatin1("kurz", TLogMark::ShortPreamble);
    TTestCanvas canvas;
    View.Paint(canvas, 5 * RowHeight + 2, false);
    ASSERT_EQ(canvas.Calls.size(), 3u);
    EXPECT_EQ(canvas.Calls[0].Ink, TLogInk::Text);
    EXPECT_EQ(canvas.Calls[1].Ink, TLogInk::ChecksumError);
    EXPECT_EQ(canvas.Calls[2].Ink, TLogInk::ShortPreamble);
    // Selected, the mark's text takes the selection's colours like any other.
    Model.SetCaretPos({1, 0});
    Model.SetCaretPos({1, 3}, true);
    canvas.Calls.clear();
    View.Paint(canvas, 5 * RowHeight + 2, false);
    EXPECT_EQ(canvas.Calls[3].Text, "sch");
    EXPECT_EQ(canvas.Calls[3].Ink, TLogInk::ChecksumError);
    EXPECT_EQ(canvas.Calls[4].Text, "fal");
    EXPECT_EQ(canvas.Calls[4].Ink, TLogInk::SelectedText);
    EXPECT_NE(MarkColor(TLogInk::ChecksumError).R, MarkColor(TLogInk::ShortPreamble).R);
}

TEST_F(LogViewTest, TheOwnersEntriesComeForTheLineUnderTheMouse) {
    Append(3);
    std::vector<size_t> askedFor;
    std::string ran;
    const TLogOwnerMenu owner = [&](size_t line) {
        askedFor.push_back(line);
        std::vector<TLogOwnerItem> items = {{"&Analyse", "F2", [&] { ran += "A"; }}};
        if (line == 1)
            items.push_back({"Zeile &eins", "", [&] { ran += "1"; }});
        return items;
    };
    EXPECT_EQ(View.ContextMenu().size(), 5u) << "no owner: the editing entries alone";
    View.SetOwnerMenu(&owner);

    // The second row is line 1; below the last row is no line.
    const std::vector<TLogMenuItem> menu = View.ContextMenuAt(30, 2 + RowHeight + 3);
    ASSERT_EQ(menu.size(), 7u);
    EXPECT_STREQ(menu[5].Caption, "&Analyse");
    EXPECT_STREQ(menu[5].Shortcut, "F2");
    EXPECT_TRUE(menu[5].SeparatorBefore);
    EXPECT_TRUE(menu[5].Enabled);
    EXPECT_FALSE(menu[6].SeparatorBefore);
    View.Run(menu[6].Command);
    View.Run(menu[5].Command);
    EXPECT_EQ(ran, "1A");
    EXPECT_EQ(View.ContextMenuAt(30, 2 + 10 * RowHeight).size(), 6u);
    // From the keyboard: the caret's line.
    Model.SetCaretPos({1, 2});
    EXPECT_EQ(View.ContextMenu().size(), 7u);
    EXPECT_EQ(askedFor, (std::vector<size_t>{1, Model.LineCount(), 1}));
}
