// The log text fields without a toolkit: storage, wrapping with metrics the
// test gives, following the end, caret, selection, moves and editing.
#include "log_model.h"
#include "log_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::string Repeat(char c, size_t n) {
    return std::string(n, c);
}

std::string Written(const TLogStore& store) {
    std::string out;
    store.WriteUtf8CrLf([&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    });
    return out;
}

constexpr int RowHeight = 14;

// A fixed-pitch font: every byte advance wide. The view has room for rows
// whole rows and a part of one more.
TLogMetrics Fixed(int wrapWidth, double advance = 7.0, int rows = 20) {
    TLogMetrics m;
    m.Advances.fill(advance);
    m.FixedPitch = m.AllAdvancesEqual();
    m.WrapWidth = wrapWidth;
    m.ViewHeight = rows * RowHeight + RowHeight / 2;
    m.RowHeight = RowHeight;
    return m;
}

// A proportional font whose digits share one width, as in DejaVu Sans.
TLogMetrics Proportional(int wrapWidth) {
    TLogMetrics m = Fixed(wrapWidth);
    for (int c = 0; c < 256; ++c)
        m.Advances[static_cast<size_t>(c)] = 5.0 + (c % 7) * 0.5;
    for (char c = '0'; c <= '9'; ++c)
        m.Advances[static_cast<unsigned char>(c)] = 6.0;
    m.Advances['W'] = 8.0;
    m.Advances['i'] = 3.0;
    m.FixedPitch = m.AllAdvancesEqual();
    return m;
}

std::vector<std::string> LinesOf(const TLogStore& store) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < store.LineCount(); ++i)
        lines.emplace_back(store.Line(i));
    return lines;
}

std::vector<std::string> LinesOf(const TLogModel& log) {
    return LinesOf(log.Store());
}

using TLines = std::vector<std::string>;

} // namespace

// --- Storage -----------------------------------------------------------------

TEST(LogStore, AppendsAndReadsLinesAsBytes) {
    TLogStore store;
    store.Append("Pr\xE4"
                 "ambel: 111");
    store.Append("");
    store.Append("R\xFC"
                 "ckw.");
    ASSERT_EQ(store.LineCount(), 3u);
    EXPECT_EQ(store.Line(0), "Pr\xE4"
                             "ambel: 111");
    EXPECT_EQ(store.Line(1), "");
    EXPECT_EQ(store.Line(2), "R\xFC"
                             "ckw.");
    EXPECT_EQ(store.BytesInUse(), 19u);
}

TEST(LogStore, ReplaceSplitsAndJoinsLines) {
    TLogStore store;
    store.Append("eins");
    store.Append("zwei");
    store.Append("drei");
    // Over two line ends: "ei|ns zwei dr|ei" becomes "ei" + "X\nY" + "ei".
    const TLogPos end = store.Replace({0, 2}, {2, 2}, "X\nY");
    EXPECT_EQ(end, (TLogPos{1, 1}));
    ASSERT_EQ(store.LineCount(), 2u);
    EXPECT_EQ(store.Line(0), "eiX");
    EXPECT_EQ(store.Line(1), "Yei");
    EXPECT_EQ(store.Text({0, 1}, {1, 2}), "iX\nYe");
    // Removing everything leaves no lines at all.
    store.Replace({0, 0}, store.End(), "");
    EXPECT_EQ(store.LineCount(), 0u);
    // Typing into the empty text makes its first line.
    EXPECT_EQ(store.Replace({0, 0}, {0, 0}, "a\n"), (TLogPos{1, 0}));
    ASSERT_EQ(store.LineCount(), 2u);
    EXPECT_EQ(store.Line(0), "a");
    EXPECT_EQ(store.Line(1), "");
}

// A line that grows cannot stay where its bytes are unless it is the last
// one in the buffer: the lines after it must come out as they were.
TEST(LogStore, EditsThatLengthenALineKeepEveryOtherLine) {
    struct TEdit {
        const char* What;
        TLogPos From, To;
        std::string Text;
        TLines Lines;
    };
    const TEdit edits[] = {
        {"typing into a middle line",
         {1, 2},
         {1, 2},
         "XXXXXXXXXX",
         {"eins", "zwXXXXXXXXXXei", "drei", "vier"}},
        {"a longer text over a selection in the first line",
         {0, 1},
         {0, 3},
         "123456789",
         {"e123456789s", "zwei", "drei", "vier"}},
        {"a line end typed into a middle line",
         {2, 2},
         {2, 2},
         "Y\nZZZZZZZZZZ",
         {"eins", "zwei", "drY", "ZZZZZZZZZZei", "vier"}},
        {"two middle lines joined by a longer text",
         {1, 4},
         {2, 0},
         " und noch mehr ",
         {"eins", "zwei und noch mehr drei", "vier"}},
        {"the last line", {3, 4}, {3, 4}, "!!!!!!!!", {"eins", "zwei", "drei", "vier!!!!!!!!"}},
    };
    for (const TEdit& edit : edits) {
        TLogStore store;
        for (const char* line : {"eins", "zwei", "drei", "vier"})
            store.Append(line);
        store.Replace(edit.From, edit.To, edit.Text);
        EXPECT_EQ(LinesOf(store), edit.Lines) << edit.What;
        // And the log goes on growing behind them.
        store.Append("f\xFCnf");
        TLines more = edit.Lines;
        more.push_back("f\xFCnf");
        EXPECT_EQ(LinesOf(store), more) << edit.What << ", then a line appended";
    }
}

// Typing key by key: the edited line is the last in the buffer after the
// first key, then no longer once the device appends a line.
TEST(LogStore, TypingIntoAMiddleLineWhileLinesArriveKeepsThemAll) {
    TLogStore store;
    TLines expected;
    for (int i = 0; i < 5; ++i) {
        expected.push_back("Idle Packet " + std::to_string(i));
        store.Append(expected.back());
    }
    for (int key = 0; key < 40; ++key) {
        const size_t end = store.LineLength(2);
        store.Replace({2, end}, {2, end}, "k");
        expected[2] += 'k';
        if (key % 10 == 9) {
            expected.push_back("Idle Packet " + std::to_string(5 + key));
            store.Append(expected.back());
        }
        ASSERT_EQ(LinesOf(store), expected) << "after key " << key;
    }
}

TEST(LogStore, EditsInTheMiddleDoNotLetTheBufferGrowWithoutBound) {
    TLogStore store;
    for (int i = 0; i < 1000; ++i)
        store.Append(Repeat('x', 100) + std::to_string(i));
    const size_t before = store.BytesInUse();
    // Each edit rewrites its line at the end of the buffer; the old bytes are
    // reclaimed once they are half of it.
    for (int k = 0; k < 20000; ++k)
        store.Replace({static_cast<size_t>(k % 500), 0}, {static_cast<size_t>(k % 500), 1}, "y");
    EXPECT_LE(store.BytesInUse(), 2 * before + (1u << 20) + 200);
    EXPECT_EQ(store.Line(499), "y" + Repeat('x', 99) + "499");
    EXPECT_EQ(store.Line(999), Repeat('x', 100) + "999");
}

TEST(LogStore, WritesUtf8WithCrLfAfterEveryLineInPieces) {
    TLogStore store;
    EXPECT_EQ(Written(store), "");
    store.Append("a\xE4");
    store.Append("");
    EXPECT_EQ(Written(store), "a\xC3\xA4\r\n\r\n");

    // More than one piece: the pieces join to the whole text.
    TLogStore big;
    std::string expected;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = "Zeile " + std::to_string(i) + " \xFC" + Repeat('-', i % 50);
        big.Append(line);
        expected += "Zeile " + std::to_string(i) + " \xC3\xBC" + Repeat('-', i % 50) + "\r\n";
    }
    int pieces = 0;
    std::string out;
    big.WriteUtf8CrLf([&](const char* data, size_t size) {
        ++pieces;
        out.append(data, size);
        return true;
    });
    EXPECT_GT(pieces, 1);
    EXPECT_EQ(out, expected);
    // A sink that refuses stops the writing.
    EXPECT_FALSE(big.WriteUtf8CrLf([](const char*, size_t) { return false; }));
}

TEST(LogStore, WritesTheSingleBytesUnchangedWithCrLf) {
    TLogStore store;
    std::string out;
    auto sink = [&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    };
    EXPECT_TRUE(store.WriteLatin1CrLf(sink));
    EXPECT_EQ(out, "");
    store.Append("R\xFC"
                 "ckw. \xE4");
    store.Append("");
    EXPECT_TRUE(store.WriteLatin1CrLf(sink));
    EXPECT_EQ(out, "R\xFC"
                   "ckw. \xE4\r\n\r\n");
    // Long logs go in more than one piece; a refusing sink stops it.
    for (int i = 0; i < 5000; ++i)
        store.Append(Repeat('\xFC', 100));
    int pieces = 0;
    out.clear();
    EXPECT_TRUE(store.WriteLatin1CrLf([&](const char* data, size_t size) {
        ++pieces;
        out.append(data, size);
        return true;
    }));
    EXPECT_GT(pieces, 1);
    EXPECT_EQ(out.size(), 12u + 5000u * 102);
    EXPECT_FALSE(store.WriteLatin1CrLf([](const char*, size_t) { return false; }));
}

// --- Wrapping ------------------------------------------------------------------

struct LogModelTest : ::testing::Test {
    TLogModel Log;

    // 40 columns of 7 pixels, 20 rows in view.
    void SetUp() override { Log.SetMetrics(Fixed(280)); }
    void Append(const std::string& line) { Log.AppendLatin1(line); }
    size_t ExpectedRows(size_t n) const {
        const size_t cols = Log.Columns();
        return n == 0 ? 1 : (n + cols - 1) / cols;
    }
    void ExpectRowsMatchTheLines() const {
        size_t total = 0;
        for (size_t i = 0; i < Log.LineCount(); ++i) {
            const size_t n = Log.Store().LineLength(i);
            ASSERT_EQ(Log.RowsOfLine(i), ExpectedRows(n)) << "line " << i << " length " << n;
            total += ExpectedRows(n);
        }
        EXPECT_EQ(Log.TotalRows(), total);
    }
};

TEST_F(LogModelTest, FixedPitchRowsHoldWhatFitsTheWrapWidth) {
    for (int width : {250, 400, 640, 900}) {
        Log.SetMetrics(Fixed(width, 7.3));
        const size_t cols = Log.Columns();
        ASSERT_GT(cols, 0u);
        EXPECT_LE(cols * 7.3, width + 1e-6) << width;
        EXPECT_GT((cols + 1) * 7.3, width) << width;
    }
    // Room for less than one character still makes one column.
    Log.SetMetrics(Fixed(3));
    EXPECT_EQ(Log.Columns(), 1u);
}

TEST_F(LogModelTest, LongLinesWrapIntoRowsAndTheScrollRangeCountsThem) {
    for (int width : {250, 400, 640}) {
        Log.SetMetrics(Fixed(width));
        Log.Clear();
        const size_t cols = Log.Columns();
        for (int copy = 0; copy < 10; ++copy)
            for (size_t n :
                 {size_t{0}, size_t{1}, cols - 1, cols, cols + 1, 3 * cols + 2, size_t{90}})
                Append(Repeat('a', n));
        ExpectRowsMatchTheLines();
        EXPECT_EQ(Log.VisibleRows(), 20u);
        EXPECT_EQ(Log.MaxTopRow(), Log.TotalRows() - 20) << width;
    }
    // Whole rows only; at least one.
    TLogMetrics small = Fixed(280);
    small.ViewHeight = RowHeight - 1;
    Log.SetMetrics(small);
    EXPECT_EQ(Log.VisibleRows(), 1u);
}

TEST_F(LogModelTest, ANewWidthRewrapsTheLinesAlreadyThere) {
    for (int i = 0; i < 200; ++i)
        Append(Repeat('b', static_cast<size_t>(i)));
    for (int width : {250, 400, 900}) {
        Log.SetMetrics(Fixed(width));
        ExpectRowsMatchTheLines();
    }
}

TEST_F(LogModelTest, ANewWidthKeepsTheLineAtTheTopOfTheView) {
    for (int i = 0; i < 100; ++i)
        Append(Repeat('c', 100)); // three rows of 40
    Log.ScrollTo(3 * 50 + 1);
    Log.SetMetrics(Fixed(140)); // five rows of 20
    EXPECT_EQ(Log.TopRow(), 5u * 50 + 1);
    EXPECT_EQ(Log.LineOfRow(Log.TopRow()), 50u);
}

TEST_F(LogModelTest, ProportionalFontWrapsWhereTheRowIsFull) {
    Log.SetMetrics(Proportional(300));
    EXPECT_FALSE(Log.Metrics().FixedPitch);
    EXPECT_EQ(Log.Columns(), 0u);
    // Digits share one width, so a bit string wraps as a grid.
    const size_t perRow = 300 / 6;
    std::string bits;
    for (size_t i = 0; i < 3 * perRow + 5; ++i)
        bits.push_back(i % 3 ? '1' : '0');
    Append(bits);
    Append("0101");
    Append("");
    EXPECT_EQ(Log.RowsOfLine(0), 4u);
    EXPECT_EQ(Log.RowsOfLine(1), 1u);
    EXPECT_EQ(Log.RowsOfLine(2), 1u);
    // The row break falls where the next digit would cross the edge.
    EXPECT_EQ(Log.PlaceOf({0, perRow}).Row, 1u);
    EXPECT_EQ(Log.PlaceOf({0, perRow}).X, 0.0);
    EXPECT_EQ(Log.PlaceOf({0, perRow - 1}).Row, 0u);
    EXPECT_EQ(Log.PlaceOf({0, perRow - 1}).X, 6.0 * static_cast<double>(perRow - 1));
    // Characters of other widths: 8 + 8 + 3 fit in 20, the next 8 does not.
    Log.SetMetrics(Proportional(20));
    Log.Clear();
    Append("WWiWi");
    EXPECT_EQ(Log.RowsOfLine(0), 2u);
    EXPECT_EQ(Log.PlaceOf({0, 3}).Row, 1u);
    EXPECT_EQ(Log.PlaceOf({0, 5}).X, 11.0);
}

// --- Following the end and scrolling -------------------------------------------

TEST_F(LogModelTest, FollowsTheEndUnlessScrolledUp) {
    for (int i = 0; i < 300; ++i)
        Append("Zeile " + std::to_string(i));
    EXPECT_GT(Log.MaxTopRow(), 0u);
    EXPECT_EQ(Log.TopRow(), Log.MaxTopRow());
    Log.ScrollTo(10);
    for (int i = 0; i < 50; ++i)
        Append("mehr");
    EXPECT_EQ(Log.TopRow(), 10u);
    Log.ScrollTo(Log.MaxTopRow());
    Append(Repeat('z', 500));
    EXPECT_EQ(Log.TopRow(), Log.MaxTopRow());
    // A narrower view at the end still shows the end.
    Log.SetMetrics(Fixed(150));
    EXPECT_EQ(Log.TopRow(), Log.MaxTopRow());
    // Scrolling stops at either end.
    Log.ScrollBy(-1000000);
    EXPECT_EQ(Log.TopRow(), 0u);
    Log.ScrollTo(1000000);
    EXPECT_EQ(Log.TopRow(), Log.MaxTopRow());
}

TEST_F(LogModelTest, ClearEmptiesTheLogAndAppendingGoesOn) {
    for (int i = 0; i < 100; ++i)
        Append("Zeile");
    Log.SelectAll();
    Log.Clear();
    EXPECT_EQ(Log.LineCount(), 0u);
    EXPECT_EQ(Log.TotalRows(), 0u);
    EXPECT_EQ(Log.MaxTopRow(), 0u);
    EXPECT_EQ(Log.TopRow(), 0u);
    EXPECT_FALSE(Log.HasSelection());
    Append("neu");
    EXPECT_EQ(LinesOf(Log), TLines{"neu"});
}

TEST_F(LogModelTest, RowsInViewGiveEachRowsBytesAndSelection) {
    Append(Repeat('a', 40) + Repeat('b', 10)); // two rows
    Append("kurz");
    Append("");
    Log.ScrollTo(0);
    Log.SetCaretPos({0, 45});
    Log.SetCaretPos({1, 2}, true);
    std::vector<TLogRowView> rows;
    Log.RowsInView(10, rows);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].Text, Repeat('a', 40));
    EXPECT_EQ(rows[0].SelectedFrom, rows[0].SelectedTo);
    EXPECT_FALSE(rows[0].LineEndSelected);
    EXPECT_EQ(rows[0].Width, 280.0);
    EXPECT_EQ(rows[1].Row, 1u);
    EXPECT_EQ(rows[1].Line, 0u);
    EXPECT_EQ(rows[1].Begin, 40u);
    EXPECT_EQ(rows[1].Text, Repeat('b', 10));
    EXPECT_EQ(rows[1].SelectedFrom, 5u);
    EXPECT_EQ(rows[1].SelectedTo, 10u);
    EXPECT_EQ(rows[1].SelectedLeft, 35.0);
    EXPECT_EQ(rows[1].SelectedRight, 70.0);
    EXPECT_TRUE(rows[1].LineEndSelected);
    EXPECT_EQ(rows[2].Text, "kurz");
    EXPECT_EQ(rows[2].SelectedFrom, 0u);
    EXPECT_EQ(rows[2].SelectedTo, 2u);
    EXPECT_FALSE(rows[2].LineEndSelected);
    EXPECT_EQ(rows[3].Text, "");
    // From the first row in view, no more than asked for.
    Log.SetMetrics(Fixed(280, 7.0, 2));
    Log.ScrollTo(1);
    Log.RowsInView(3, rows);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Row, 1u);
    EXPECT_EQ(rows[2].Line, 2u);
    Log.RowsInView(1, rows);
    EXPECT_EQ(rows.size(), 1u);
    Log.Clear();
    Log.RowsInView(3, rows);
    EXPECT_TRUE(rows.empty());
}

// --- Editing -------------------------------------------------------------------

TEST_F(LogModelTest, TypingBackspaceDeleteAndEnterEditAtTheCaret) {
    Log.InsertText("abc");
    EXPECT_EQ(LinesOf(Log), TLines{"abc"});
    Log.Move(TLogMove::LineStart, false);
    Log.InsertText("X");
    EXPECT_EQ(LinesOf(Log), TLines{"Xabc"});
    Log.Move(TLogMove::LineEnd, false);
    Log.Backspace();
    EXPECT_EQ(LinesOf(Log), TLines{"Xab"});
    Log.Move(TLogMove::PrevChar, false);
    Log.Delete();
    EXPECT_EQ(LinesOf(Log), TLines{"Xa"});
    // Enter splits the line at the caret.
    Log.Move(TLogMove::PrevChar, false);
    Log.Enter();
    EXPECT_EQ(LinesOf(Log), (TLines{"X", "a"}));
    EXPECT_EQ(Log.CaretPos(), (TLogPos{1, 0}));
    // Backspace at a line start joins it to the line before; Delete at a
    // line end joins the next one.
    Log.Backspace();
    EXPECT_EQ(LinesOf(Log), TLines{"Xa"});
    Log.Enter();
    Log.Move(TLogMove::PrevChar, false);
    Log.Delete();
    EXPECT_EQ(LinesOf(Log), TLines{"Xa"});
    // Nothing to take away at either end.
    Log.Move(TLogMove::DocStart, false);
    Log.Backspace();
    Log.Move(TLogMove::DocEnd, false);
    Log.Delete();
    EXPECT_EQ(LinesOf(Log), TLines{"Xa"});
}

TEST_F(LogModelTest, EditingAppendedLinesChangesWhatIsSaved) {
    Append("Lok     3 (28 Step) Vorw.  Speed   8 ");
    Append("Idle");
    Log.SetCaretPos({1, 4});
    Log.InsertText(" <- Anfang");
    Log.SetCaretPos({0, 0});
    Log.Delete();
    Log.Delete();
    Log.Delete();
    std::string out;
    ASSERT_TRUE(Log.WriteUtf8CrLf([&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    }));
    EXPECT_EQ(out, "     3 (28 Step) Vorw.  Speed   8 \r\nIdle <- Anfang\r\n");
    out.clear();
    ASSERT_TRUE(Log.WriteLatin1CrLf([&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    }));
    EXPECT_EQ(out, "     3 (28 Step) Vorw.  Speed   8 \r\nIdle <- Anfang\r\n");
}

TEST_F(LogModelTest, TypingReplacesTheSelection) {
    Append("Lok 3 Vorw.");
    Log.SetCaretPos({0, 4});
    Log.Move(TLogMove::NextChar, true);
    Log.InsertText("12");
    EXPECT_EQ(LinesOf(Log), TLines{"Lok 12 Vorw."});
    // A selection over two lines becomes one line.
    Append("zweite");
    Log.SetCaretPos({0, 6});
    Log.SetCaretPos({1, 1}, true);
    Log.Backspace();
    EXPECT_EQ(LinesOf(Log), TLines{"Lok 12weite"});
    Log.SetCaretPos({0, 3});
    Log.SetCaretPos({0, 6}, true);
    Log.Enter();
    EXPECT_EQ(LinesOf(Log), (TLines{"Lok", "weite"}));
}

TEST_F(LogModelTest, CrLfAndALoneCrEndLinesLikeLf) {
    Log.InsertText("? \xE4");
    Log.InsertText("\r\nb\rc");
    EXPECT_EQ(LinesOf(Log), (TLines{"? \xE4", "b", "c"}));
}

TEST_F(LogModelTest, DeletingASelectionRemovesItAndPasteTypes) {
    Append("eins");
    Append("zwei");
    Log.DeleteSelection();
    EXPECT_EQ(LinesOf(Log), (TLines{"eins", "zwei"})) << "no selection, nothing deleted";
    Log.SetCaretPos({0, 1});
    Log.SetCaretPos({0, 3}, true);
    Log.DeleteSelection();
    EXPECT_EQ(LinesOf(Log), (TLines{"es", "zwei"}));
    Log.SetCaretPos({1, 4});
    Log.Paste("A\nB");
    EXPECT_EQ(LinesOf(Log), (TLines{"es", "zweiA", "B"}));
    EXPECT_EQ(Log.CaretPos(), (TLogPos{2, 1}));
    // Nothing to paste changes nothing, not even a selection.
    Log.SetCaretPos({0, 0});
    Log.SetCaretPos({0, 2}, true);
    Log.Paste("");
    EXPECT_EQ(LinesOf(Log), (TLines{"es", "zweiA", "B"}));
    EXPECT_TRUE(Log.HasSelection());
    // Pasting its own selection.
    Log.Paste(Log.SelectedText() + Log.SelectedText());
    EXPECT_EQ(LinesOf(Log), (TLines{"eses", "zweiA", "B"}));
}

TEST_F(LogModelTest, RowsStayRightAfterEditsAnywhere) {
    const size_t cols = Log.Columns();
    for (size_t i = 0; i < 300; ++i)
        Append(Repeat('c', (i * 7) % (3 * cols)));
    // Joins, splits and long insertions in the middle.
    Log.SetCaretPos({100, 0});
    Log.SetCaretPos({140, 3}, true);
    Log.InsertText(Repeat('d', 2 * cols) + "\n" + Repeat('e', 5));
    Log.SetCaretPos({10, 2});
    Log.InsertText("\n\n" + Repeat('f', cols + 1));
    Log.SetCaretPos({20, 0});
    Log.SetCaretPos({20, Log.Store().LineLength(20)}, true);
    Log.DeleteSelection();
    ExpectRowsMatchTheLines();
}

// --- Caret, moves and selection --------------------------------------------------

TEST_F(LogModelTest, MovesWithSelectKeepTheAnchor) {
    Append("eins zwei");
    Append("drei");
    Log.SetCaretPos({0, 0});
    Log.Move(TLogMove::NextChar, true);
    Log.Move(TLogMove::NextChar, true);
    EXPECT_EQ(Log.SelectedText(), "ei");
    Log.Move(TLogMove::LineEnd, true);
    EXPECT_EQ(Log.SelectedText(), "eins zwei");
    Log.Move(TLogMove::RowDown, true);
    EXPECT_EQ(Log.SelectedText(), "eins zwei\ndrei");
    Log.Move(TLogMove::PrevChar, true);
    EXPECT_EQ(Log.SelectedText(), "eins zwei\ndre");
    Log.Move(TLogMove::RowUp, true);
    EXPECT_EQ(Log.SelectedText(), "ein");
    Log.Move(TLogMove::LineStart, true);
    EXPECT_FALSE(Log.HasSelection());
    Log.Move(TLogMove::DocEnd, true);
    EXPECT_EQ(Log.SelectedText(), "eins zwei\ndrei");
    // A move without select drops the selection.
    Log.Move(TLogMove::PrevChar, false);
    EXPECT_FALSE(Log.HasSelection());
    EXPECT_EQ(Log.CaretPos(), (TLogPos{1, 3}));
    Log.Move(TLogMove::DocStart, true);
    EXPECT_EQ(Log.SelectedText(), "eins zwei\ndre");
    EXPECT_EQ(Log.AnchorPos(), (TLogPos{1, 3}));
}

TEST_F(LogModelTest, WordMovesStopAtWordStartsAndLineEnds) {
    Append("Lok  12 (R\xFC"
           "ckw.)");
    Append("x");
    Log.SetCaretPos({0, 0});
    Log.Move(TLogMove::NextWord, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 5}));
    Log.Move(TLogMove::NextWord, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 9}));
    Log.Move(TLogMove::NextWord, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 16}));
    Log.Move(TLogMove::NextWord, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{1, 0}));
    Log.Move(TLogMove::PrevWord, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 16}));
    Log.Move(TLogMove::PrevWord, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 9}));
    Log.Move(TLogMove::PrevWord, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 5}));
}

TEST_F(LogModelTest, PageDownAndUpMoveByAViewOfRows) {
    for (int i = 0; i < 200; ++i)
        Append("Zeile " + std::to_string(i));
    const size_t page = Log.VisibleRows();
    Log.Move(TLogMove::DocStart, false);
    EXPECT_EQ(Log.TopRow(), 0u);
    Log.Move(TLogMove::PageDown, false);
    EXPECT_EQ(Log.CaretPos().Line, page);
    Log.Move(TLogMove::PageDown, true);
    EXPECT_EQ(Log.CaretPos().Line, 2 * page);
    EXPECT_TRUE(Log.HasSelection());
    EXPECT_EQ(Log.AnchorPos(), (TLogPos{page, 0}));
    // The caret stays in view.
    EXPECT_LE(Log.TopRow(), 2 * page);
    EXPECT_GT(Log.TopRow() + page, 2 * page);
    Log.Move(TLogMove::PageUp, false);
    EXPECT_EQ(Log.CaretPos().Line, page);
    EXPECT_FALSE(Log.HasSelection());
    Log.Move(TLogMove::DocEnd, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{199, 9}));
    EXPECT_EQ(Log.TopRow(), Log.MaxTopRow());
}

TEST_F(LogModelTest, UpAndDownWalkWrappedRowsAndKeepTheirX) {
    const size_t cols = Log.Columns();
    Append(Repeat('a', 2 * cols + 3));
    Append("kurz");
    Append(Repeat('b', 30));
    Log.SetCaretPos({0, 2});
    Log.Move(TLogMove::RowDown, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, cols + 2}));
    Log.Move(TLogMove::RowDown, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 2 * cols + 2}));
    Log.Move(TLogMove::RowDown, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{1, 2}));
    Log.Move(TLogMove::RowUp, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 2 * cols + 2}));
    // Over a shorter line and on: the column is kept.
    Log.SetCaretPos({0, 20});
    Log.Move(TLogMove::RowDown, false);
    Log.Move(TLogMove::RowDown, false);
    Log.Move(TLogMove::RowDown, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{1, 4}));
    Log.Move(TLogMove::RowDown, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{2, 20}));
    // Past the first and last row: the start and end of the text.
    Log.Move(TLogMove::RowDown, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{2, 30}));
    Log.SetCaretPos({0, 5});
    Log.Move(TLogMove::RowUp, false);
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 0}));
}

TEST_F(LogModelTest, PosAtRowFindsTheNearestPlace) {
    Append(Repeat('a', 50));
    Append("kurz");
    // Half a character decides between two places.
    EXPECT_EQ(Log.PosAtRow(0, 3.4), (TLogPos{0, 0}));
    EXPECT_EQ(Log.PosAtRow(0, 3.6), (TLogPos{0, 1}));
    EXPECT_EQ(Log.PosAtRow(0, -20), (TLogPos{0, 0}));
    EXPECT_EQ(Log.PosAtRow(1, 7 * 3), (TLogPos{0, 43}));
    // Past a row's end: its end; past the last row: the last row.
    EXPECT_EQ(Log.PosAtRow(2, 500), (TLogPos{1, 4}));
    EXPECT_EQ(Log.PosAtRow(99, 7), (TLogPos{1, 1}));
    Log.SetMetrics(Proportional(300));
    Log.Clear();
    Append("Wi0");
    EXPECT_EQ(Log.PosAtRow(0, 3.9), (TLogPos{0, 0}));
    EXPECT_EQ(Log.PosAtRow(0, 4.0), (TLogPos{0, 1}));
    EXPECT_EQ(Log.PosAtRow(0, 9.4), (TLogPos{0, 1}));
    EXPECT_EQ(Log.PosAtRow(0, 9.5), (TLogPos{0, 2}));
    TLogModel empty;
    EXPECT_EQ(empty.PosAtRow(3, 10), (TLogPos{}));
}

TEST_F(LogModelTest, SetCaretPosStaysInTheText) {
    Append("eins");
    Log.SetCaretPos({7, 9});
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 4}));
    Log.Clear();
    Log.SetCaretPos({2, 2});
    EXPECT_EQ(Log.CaretPos(), (TLogPos{}));
}

TEST_F(LogModelTest, SelectWordAtTakesTheWordThePlaceTouches) {
    Append("Lok     3 (28 Step) R\xFC"
           "ckw.");
    Log.SelectWordAt({0, 22});
    EXPECT_EQ(Log.SelectedText(), "R\xFC"
                                  "ckw");
    Log.SelectWordAt({0, 1});
    EXPECT_EQ(Log.SelectedText(), "Lok");
    // Just after a word: that word; between blanks: one blank.
    Log.SelectWordAt({0, 3});
    EXPECT_EQ(Log.SelectedText(), "Lok");
    Log.SelectWordAt({0, 5});
    EXPECT_EQ(Log.SelectedText(), " ");
    EXPECT_EQ(Log.AnchorPos(), (TLogPos{0, 5}));
    EXPECT_EQ(Log.CaretPos(), (TLogPos{0, 6}));
}

TEST_F(LogModelTest, SelectAllSelectsTheWholeTextWithoutScrolling) {
    for (int i = 0; i < 100; ++i)
        Append("Zeile " + std::to_string(i));
    Log.ScrollTo(10);
    Log.SelectAll();
    EXPECT_EQ(Log.AnchorPos(), (TLogPos{}));
    EXPECT_EQ(Log.CaretPos(), (TLogPos{99, 8}));
    EXPECT_EQ(Log.TopRow(), 10u);
    EXPECT_EQ(Log.SelectedText().size(), Log.Store().Text({}, Log.Store().End()).size());
    EXPECT_EQ(Log.SelectedText().substr(0, 16), "Zeile 0\nZeile 1\n");
}

TEST(LogBytes, WordBytesAreTheLatin1LettersAndDigits) {
    std::string word;
    for (int c = 0; c < 256; ++c)
        if (IsLogWordByte(static_cast<char>(c)))
            word.push_back(static_cast<char>(c));
    std::string expected = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz"
                           "\xAA\xB2\xB3\xB5\xB9\xBA\xBC\xBD\xBE";
    for (int c = 0xC0; c < 0x100; ++c)
        if (c != 0xD7 && c != 0xF7)
            expected.push_back(static_cast<char>(c));
    EXPECT_EQ(word, expected);
}

TEST(LogBytes, ControlCharactersShowAsBlanksTheSoftHyphenAsAHyphen) {
    EXPECT_EQ(LogShownByte('\t'), ' ');
    EXPECT_EQ(LogShownByte(0x7F), ' ');
    EXPECT_EQ(LogShownByte(0x85), ' ');
    EXPECT_EQ(LogShownByte(0xAD), '-');
    EXPECT_EQ(LogShownByte('a'), 'a');
    EXPECT_EQ(LogShownByte(0xA0), '\xA0');
    EXPECT_EQ(LogShownByte(0xFC), '\xFC');
}

// --- What the front end hears ------------------------------------------------------

namespace {

struct TRecorder : TLogModelListener {
    std::vector<size_t> RowsChanged;
    int Scrolled = 0;
    int CaretMoved = 0;
    void LogRowsChanged(size_t firstRow) override { RowsChanged.push_back(firstRow); }
    void LogScrolled() override { ++Scrolled; }
    void LogCaretMoved() override { ++CaretMoved; }
    void Reset() {
        RowsChanged.clear();
        Scrolled = CaretMoved = 0;
    }
};

} // namespace

TEST_F(LogModelTest, TheListenerHearsOfEveryChange) {
    TRecorder heard;
    Log.SetListener(&heard);
    Append("eins");
    Append(Repeat('x', 100));
    EXPECT_EQ(heard.RowsChanged, (std::vector<size_t>{0, 1}));
    EXPECT_EQ(heard.Scrolled, 2);
    EXPECT_EQ(heard.CaretMoved, 0);

    heard.Reset();
    Log.SetCaretPos({1, 50});
    EXPECT_EQ(heard.CaretMoved, 1);
    EXPECT_TRUE(heard.RowsChanged.empty());
    EXPECT_EQ(heard.Scrolled, 0);

    // An edit: the rows from the edited line's first on, the scroll range,
    // the caret.
    heard.Reset();
    Log.InsertText("\n");
    EXPECT_EQ(heard.RowsChanged, std::vector<size_t>{1});
    EXPECT_GE(heard.Scrolled, 1);
    EXPECT_EQ(heard.CaretMoved, 1);

    // Scrolling to where the view is already says nothing.
    heard.Reset();
    Log.ScrollTo(Log.TopRow());
    EXPECT_EQ(heard.Scrolled, 0);
    for (int i = 0; i < 100; ++i)
        Append("mehr");
    heard.Reset();
    Log.ScrollTo(3);
    EXPECT_EQ(heard.Scrolled, 1);

    // A new width: everything may look different.
    heard.Reset();
    Log.SetMetrics(Fixed(140));
    EXPECT_EQ(heard.RowsChanged, std::vector<size_t>{0});
    EXPECT_EQ(heard.Scrolled, 1);
    // Only a new height: just the scroll range.
    heard.Reset();
    Log.SetMetrics(Fixed(140, 7.0, 10));
    EXPECT_TRUE(heard.RowsChanged.empty());
    EXPECT_EQ(heard.Scrolled, 1);

    heard.Reset();
    Log.SelectAll();
    EXPECT_EQ(heard.CaretMoved, 1);
    heard.Reset();
    Log.Clear();
    EXPECT_EQ(heard.RowsChanged, std::vector<size_t>{0});
    EXPECT_EQ(heard.Scrolled, 1);
    EXPECT_EQ(heard.CaretMoved, 1);

    Log.SetListener(nullptr);
    Append("still");
    EXPECT_TRUE(heard.RowsChanged.size() == 1);
}

TEST(LogStore, MarksStayWithTheirLinesThroughEditsElsewhere) {
    TLogStore store;
    store.Append("gut");
    store.Append("Pruefsumme falsch", TLogMark::ChecksumError);
    store.Append("gut");
    store.Append("kurze Praeambel", TLogMark::ShortPreamble);
    const auto marks = [&store] {
        std::string m;
        for (size_t i = 0; i < store.LineCount(); ++i)
            m += static_cast<char>('0' + static_cast<int>(store.Mark(i)));
        return m;
    };
    EXPECT_EQ(marks(), "0102");
    // A line split above them moves them down; joining moves them back.
    store.Replace({0, 1}, {0, 1}, "\n");
    EXPECT_EQ(marks(), "00102");
    store.Replace({0, 1}, {1, 0}, "");
    EXPECT_EQ(marks(), "0102");
    // Typing into a marked line keeps its mark; a line joined into another
    // goes with its mark.
    store.Replace({1, 0}, {1, 0}, "x");
    EXPECT_EQ(marks(), "0102");
    store.Replace({2, 3}, {3, 0}, "");
    EXPECT_EQ(store.Line(2), "gutkurze Praeambel");
    EXPECT_EQ(marks(), "010");
    store.Clear();
    store.Append("neu");
    EXPECT_EQ(marks(), "0");
}

// --- Blocks, compression and wrapping as a text field wraps -------------------

namespace {

// Lines as the decoder writes them, with a clock and the packet's bits.
std::string DecoderLine(size_t i) {
    static const char* const texts[] = {"Lok    23 (128 Step) Vorw.  Halt   0 ",
                                        "Lok  6263 F-Befehl: F0 F1 ", "Idle",
                                        "Schalten  181 gerade ON ",
                                        "Lok     3 (28 Step) R\xFC"
                                        "ckw. Speed   8 "};
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02zu:%02zu:%02zu:%03zu  ", i / 3600000 % 24,
                  i / 60000 % 60, i / 1000 % 60, i * 7 % 1000);
    std::string bits;
    for (int b = 0; b < 24; ++b)
        bits += ((i * 2654435761u) >> b) & 1 ? '1' : '0';
    return stamp + bits + " " + texts[i % 5];
}

} // namespace

TEST(LogStore, ManyLinesGoIntoCompressedBlocksAndReadBack) {
    TLogStore store;
    const size_t n = 60000;
    std::string expected;
    for (size_t i = 0; i < n; ++i) {
        store.Append(DecoderLine(i), i % 1000 == 7 ? TLogMark::ChecksumError : TLogMark::None);
        expected += DecoderLine(i) + "\r\n";
    }
    ASSERT_EQ(store.LineCount(), n);
    EXPECT_GT(store.BlockCount(), 50u);
    // Reading back, in any order, across blocks.
    for (size_t i : {size_t{0}, n / 2, n - 1, size_t{1}, n / 3, size_t{12345}, n / 2 + 1})
        EXPECT_EQ(store.Line(i), DecoderLine(i)) << i;
    std::string out;
    store.WriteLatin1CrLf([&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    });
    EXPECT_EQ(out, expected);
    EXPECT_EQ(store.Mark(7007), TLogMark::ChecksumError);
    EXPECT_EQ(store.Mark(7008), TLogMark::None);
    // The lines say much the same: more of them take a fraction of their
    // text.
    const size_t memory = store.MemoryInUse(), bytes = store.BytesInUse();
    for (size_t i = n; i < 3 * n; ++i)
        store.Append(DecoderLine(i));
    EXPECT_LT(store.MemoryInUse() - memory, (store.BytesInUse() - bytes) / 4);
    // Cleared, the memory goes back.
    store.Clear();
    EXPECT_EQ(store.LineCount(), 0u);
    EXPECT_LT(store.MemoryInUse(), 4096u);
}

// A full block is compressed a slice at a time as the next lines come: its
// lines read the same meanwhile, it is done within some dozens of lines, and
// an edit, a clear or another block filling up before it is done finish or
// drop it cleanly.
TEST(LogStore, AFullBlockIsSealedOverTheNextLines) {
    TLogStore store;
    size_t i = 0;
    while (store.BlockCount() < 2)
        store.Append(DecoderLine(i++));
    const size_t full = store.FirstLineOfBlock(1);
    EXPECT_FALSE(store.BlockIsSealed(0));
    for (int k = 0; k < 3; ++k)
        store.Append(DecoderLine(i++));
    EXPECT_FALSE(store.BlockIsSealed(0)) << "a few slices, not the whole block at once";
    for (size_t k = 0; k < full; k += 97)
        EXPECT_EQ(store.Line(k), DecoderLine(k)) << k;
    for (int k = 0; k < 40; ++k)
        store.Append(DecoderLine(i++));
    EXPECT_TRUE(store.BlockIsSealed(0)) << "compressed by now";
    for (size_t k = 0; k < i; k += 89)
        EXPECT_EQ(store.Line(k), DecoderLine(k)) << k;

    // An edit in the block being sealed, one line after it filled up.
    while (store.BlockCount() < 3)
        store.Append(DecoderLine(i++));
    const size_t second = store.FirstLineOfBlock(1);
    EXPECT_EQ(store.Replace({second + 3, 0}, {second + 3, 0}, "#"), (TLogPos{second + 3, 1}));
    EXPECT_EQ(store.Line(second + 3), "#" + DecoderLine(second + 3));
    for (int k = 0; k < 40; ++k)
        store.Append(DecoderLine(i++));
    EXPECT_EQ(store.Line(second + 4), DecoderLine(second + 4));
    // Edited blocks stay open for more edits; the one before stays sealed.
    EXPECT_TRUE(store.BlockIsSealed(0));

    // Cleared while a block is half sealed, the store starts over.
    const size_t blocks = store.BlockCount();
    while (store.BlockCount() == blocks)
        store.Append(DecoderLine(i++));
    store.Append(DecoderLine(i++));
    store.Clear();
    for (size_t k = 0; k < 3000; ++k)
        store.Append(DecoderLine(k));
    std::string out, expected;
    for (size_t k = 0; k < 3000; ++k)
        expected += DecoderLine(k) + "\r\n";
    store.WriteLatin1CrLf([&out](const char* data, size_t size) {
        out.append(data, size);
        return true;
    });
    EXPECT_EQ(out, expected);
}

TEST(LogStore, EditsAcrossBlocksAndManyEditedBlocksStayCheap) {
    TLogStore store;
    const size_t n = 30000;
    for (size_t i = 0; i < n; ++i)
        store.Append(DecoderLine(i), i == 20000 ? TLogMark::ShortPreamble : TLogMark::None);
    const size_t sealed = store.MemoryInUse();
    // From the middle of one block to the middle of one far away: the blocks
    // between go without being read.
    const size_t a = 1000, b = 19000;
    const std::string joined =
        std::string(store.Line(a).substr(0, 5)) + "X" + std::string(store.Line(b).substr(10));
    EXPECT_EQ(store.Replace({a, 5}, {b, 10}, "X"), (TLogPos{a, 6}));
    ASSERT_EQ(store.LineCount(), n - (b - a));
    EXPECT_EQ(store.Line(a), joined);
    EXPECT_EQ(store.Line(a - 1), DecoderLine(a - 1));
    EXPECT_EQ(store.Line(a + 1), DecoderLine(b + 1));
    EXPECT_EQ(store.Line(store.LineCount() - 1), DecoderLine(n - 1));
    EXPECT_EQ(store.Mark(20000 - (b - a)), TLogMark::ShortPreamble);
    // Typing in forty places opens forty blocks; only a few stay open (with
    // the blocks read in the cache, far fewer than forty).
    for (size_t k = 0; k < 40; ++k)
        store.Replace({k * 250, 0}, {k * 250, 0}, "#");
    for (size_t k = 0; k < 40; ++k)
        EXPECT_EQ(store.Line(k * 250)[0], '#') << k;
    EXPECT_LT(store.MemoryInUse(), sealed + 30 * TLogStore::BlockBytes);
}

TEST_F(LogModelTest, LongLinesWrapAtBlanksAsATextFieldWraps) {
    // 40 columns.
    Append("Lok     3 (28 Step) R\xFC"
           "ckw. Speed   8 Funktion F0 an");
    std::vector<TLogRowView> rows;
    Log.ScrollTo(0);
    Log.RowsInView(5, rows);
    ASSERT_EQ(rows.size(), 2u);
    // The row breaks after the blank before the word that would cross the
    // edge; the blank stays at the end of the first row.
    EXPECT_EQ(rows[0].Text, "Lok     3 (28 Step) R\xFC"
                            "ckw. Speed   8 ");
    EXPECT_EQ(rows[1].Text, "Funktion F0 an");
    // A word longer than a row breaks where the row is full.
    Log.Clear();
    Append(Repeat('1', 100));
    EXPECT_EQ(Log.RowsOfLine(0), 3u);
    // A line as wide as the view takes one row, blanks after it too.
    Log.Clear();
    Append(Repeat('x', 40));
    Append(Repeat('x', 40) + "   ");
    Append(Repeat('x', 39) + " y");
    EXPECT_EQ(Log.RowsOfLine(0), 1u);
    EXPECT_EQ(Log.RowsOfLine(1), 1u);
    EXPECT_EQ(Log.RowsOfLine(2), 2u);
    EXPECT_EQ(Log.PlaceOf({2, 40}).Row, 3u);
    EXPECT_EQ(Log.PlaceOf({2, 40}).X, 0.0);
}

TEST_F(LogModelTest, ANewWidthEstimatesFarRowsAndCountsThemWhereTheViewGoes) {
    for (size_t i = 0; i < 60000; ++i)
        Append(DecoderLine(i));
    // Wide: every line one row, known without reading a block.
    Log.SetMetrics(Fixed(1400));
    EXPECT_EQ(Log.TotalRows(), 60000u);
    Log.ScrollTo(30000);
    const size_t topLine = Log.LineOfRow(Log.TopRow());
    // Narrow: the line at the top stays there whatever the rows far away
    // turn out to be.
    Log.SetMetrics(Fixed(280));
    const size_t estimated = Log.TotalRows();
    EXPECT_EQ(Log.LineOfRow(Log.TopRow()), topLine);
    size_t counted = 0;
    for (size_t i = 0; i < Log.LineCount(); ++i)
        counted += Log.RowsOfLine(i);
    EXPECT_EQ(Log.TotalRows(), counted);
    EXPECT_EQ(Log.LineOfRow(Log.TopRow()), topLine);
    // The estimate was close.
    EXPECT_NEAR(static_cast<double>(estimated), static_cast<double>(counted), counted * 0.1);
    // Far rows, once counted, lead to their lines.
    for (size_t line : {size_t{5}, size_t{40000}, size_t{59999}})
        EXPECT_EQ(Log.LineOfRow(Log.PlaceOf({line, 0}).Row), line);
}
