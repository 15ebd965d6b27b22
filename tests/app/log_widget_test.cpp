// The log view: storage, wrapping, following the end, editing, selection,
// clipboard, the context menu and saving.
#include "log_store.h"
#include "log_view.h"
#include "log_widget.h"
#include "window_fixture.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <cmath>
#include <memory>
#include <string>

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

QFont FixedFont() {
    QFont f("DejaVu Sans Mono");
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    f.setPointSize(8);
    return f;
}

QFont ProportionalFont() {
    QFont f("DejaVu Sans");
    f.setPointSize(8);
    return f;
}

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

// --- The widget --------------------------------------------------------------

struct LogWidgetTest : ::testing::Test {
    std::unique_ptr<TLogWidget> Log;

    void SetUp() override {
        QApplication::clipboard()->clear();
        Log = std::make_unique<TLogWidget>();
        Log->setFont(FixedFont());
        Log->resize(400, 300);
        Log->show();
        QApplication::processEvents();
    }
    void Append(const std::string& line) { Log->AppendLatin1(line); }
    QStringList Lines() const {
        QStringList l;
        for (size_t i = 0; i < Log->LineCount(); ++i) {
            const std::string_view s = Log->Store().Line(i);
            l << QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
        }
        return l;
    }
    QPoint PointOf(TLogPos pos) const {
        const QRect r = Log->CaretRect(pos);
        return QPoint(r.left() + 1, r.center().y());
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(Log.get(), key, mods);
    }
    void ResizeTo(int width) {
        Log->resize(width, 300);
        QApplication::processEvents();
    }
    // What rows a line of n characters needs with the current columns.
    size_t ExpectedRows(size_t n) const {
        const size_t cols = static_cast<size_t>(Log->Columns());
        return n == 0 ? 1 : (n + cols - 1) / cols;
    }
};

TEST_F(LogWidgetTest, FixedPitchRowsMatchTheViewWidth) {
    const qreal advance = QFontMetricsF(FixedFont()).horizontalAdvance(QChar('0'));
    for (int width : {250, 400, 640, 900}) {
        ResizeTo(width);
        const int cols = Log->Columns();
        ASSERT_GT(cols, 0);
        // As many characters as fit beside the margins, and no more.
        const int textWidth = Log->viewport()->width() - 8;
        EXPECT_LE(cols * advance, textWidth + 1e-6) << width;
        EXPECT_GT((cols + 1) * advance, textWidth) << width;
    }
    // Wider view, more columns.
    ResizeTo(250);
    const int narrow = Log->Columns();
    ResizeTo(900);
    EXPECT_GT(Log->Columns(), narrow);
}

TEST_F(LogWidgetTest, LongLinesWrapIntoRowsAndTheScrollBarCountsThem) {
    std::vector<size_t> lengths;
    for (int width : {250, 400, 640}) {
        ResizeTo(width);
        Log->Clear();
        const size_t cols = static_cast<size_t>(Log->Columns());
        lengths = {0, 1, cols - 1, cols, cols + 1, 3 * cols + 2, 90};
        for (int copy = 0; copy < 10; ++copy)
            for (size_t n : lengths)
                Append(Repeat('a', n));
        size_t total = 0;
        for (size_t i = 0; i < Log->LineCount(); ++i) {
            const size_t n = Log->Store().LineLength(i);
            EXPECT_EQ(Log->RowsOfLine(i), ExpectedRows(n)) << "width " << width << " length " << n;
            total += ExpectedRows(n);
        }
        EXPECT_EQ(Log->TotalRows(), total);
        QScrollBar* bar = Log->verticalScrollBar();
        EXPECT_EQ(bar->maximum(), static_cast<int>(total) - Log->VisibleRows()) << width;
        EXPECT_EQ(bar->pageStep(), Log->VisibleRows());
    }
}

TEST_F(LogWidgetTest, ResizingRewrapsLinesAlreadyThere) {
    ResizeTo(640);
    for (int i = 0; i < 200; ++i)
        Append(Repeat('b', static_cast<size_t>(i)));
    for (int width : {250, 400, 900}) {
        ResizeTo(width);
        size_t total = 0;
        for (size_t i = 0; i < Log->LineCount(); ++i) {
            ASSERT_EQ(Log->RowsOfLine(i), ExpectedRows(i)) << width;
            total += ExpectedRows(i);
        }
        EXPECT_EQ(Log->TotalRows(), total);
    }
}

TEST_F(LogWidgetTest, ProportionalFontWrapsWhereTheRowIsFull) {
    Log->setFont(ProportionalFont());
    ResizeTo(300);
    EXPECT_EQ(Log->Columns(), 0);
    // Digits have one width in DejaVu Sans, so a bit string wraps as a grid.
    const qreal digit = QFontMetricsF(ProportionalFont()).horizontalAdvance(QChar('0'));
    const size_t perRow = static_cast<size_t>(std::floor((Log->viewport()->width() - 8) / digit));
    std::string bits;
    for (size_t i = 0; i < 3 * perRow + 5; ++i)
        bits.push_back(i % 3 ? '1' : '0');
    Append(bits);
    Append("0101");
    Append("");
    EXPECT_EQ(Log->RowsOfLine(0), 4u);
    EXPECT_EQ(Log->RowsOfLine(1), 1u);
    EXPECT_EQ(Log->RowsOfLine(2), 1u);
    // The row break falls where the next digit would cross the edge.
    EXPECT_EQ(Log->CaretRect({0, perRow}).top(),
              Log->CaretRect({0, 0}).top() + Log->CaretRect({0, 0}).height());
    EXPECT_EQ(Log->CaretRect({0, perRow - 1}).top(), Log->CaretRect({0, 0}).top());
}

TEST_F(LogWidgetTest, FollowsTheEndUnlessScrolledUp) {
    QScrollBar* bar = Log->verticalScrollBar();
    for (int i = 0; i < 300; ++i)
        Append("Zeile " + std::to_string(i));
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(10);
    for (int i = 0; i < 50; ++i)
        Append("mehr");
    EXPECT_EQ(bar->value(), 10);
    bar->setValue(bar->maximum());
    Append(Repeat('z', 500));
    EXPECT_EQ(bar->value(), bar->maximum());
    // A narrower view at the end still shows the end.
    ResizeTo(250);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(LogWidgetTest, ClearEmptiesTheLogAndAppendingGoesOn) {
    for (int i = 0; i < 100; ++i)
        Append("Zeile");
    Log->SelectAll();
    Log->Clear();
    EXPECT_EQ(Log->LineCount(), 0u);
    EXPECT_EQ(Log->TotalRows(), 0u);
    EXPECT_EQ(Log->verticalScrollBar()->maximum(), 0);
    EXPECT_FALSE(Log->HasSelection());
    Append("neu");
    EXPECT_EQ(Lines(), QStringList{"neu"});
}

TEST_F(LogWidgetTest, TypingBackspaceDeleteAndEnterEditAtTheCaret) {
    QTest::keyClicks(Log.get(), "abc");
    EXPECT_EQ(Lines(), QStringList{"abc"});
    Key(Qt::Key_Home);
    QTest::keyClicks(Log.get(), "X");
    EXPECT_EQ(Lines(), QStringList{"Xabc"});
    Key(Qt::Key_End);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Lines(), QStringList{"Xab"});
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Lines(), QStringList{"Xa"});
    // Enter splits the line at the caret.
    Key(Qt::Key_Left);
    Key(Qt::Key_Return);
    EXPECT_EQ(Lines(), (QStringList{"X", "a"}));
    EXPECT_EQ(Log->CaretPos(), (TLogPos{1, 0}));
    // Backspace at a line start joins it to the line before; Delete at a
    // line end joins the next one.
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Lines(), QStringList{"Xa"});
    Key(Qt::Key_Enter);
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Lines(), QStringList{"Xa"});
    // Nothing to take away at either end.
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Backspace);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Lines(), QStringList{"Xa"});
}

TEST_F(LogWidgetTest, EditingAppendedLinesChangesWhatIsSaved) {
    Append("Lok     3 (28 Step) Vorw.  Speed   8 ");
    Append("Idle");
    Log->SetCaretPos({1, 4});
    QTest::keyClicks(Log.get(), " <- Anfang");
    Log->SetCaretPos({0, 0});
    Key(Qt::Key_Delete);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Delete);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Log->WriteTo(buffer));
    EXPECT_EQ(buffer.data().toStdString(),
              "     3 (28 Step) Vorw.  Speed   8 \r\nIdle <- Anfang\r\n");
}

TEST_F(LogWidgetTest, TypingReplacesTheSelection) {
    Append("Lok 3 Vorw.");
    Log->SetCaretPos({0, 4});
    Key(Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClicks(Log.get(), "12");
    EXPECT_EQ(Lines(), QStringList{"Lok 12 Vorw."});
    // A selection over two lines becomes one line.
    Append("zweite");
    Log->SetCaretPos({0, 6});
    Log->SetCaretPos({1, 1}, true);
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Lines(), QStringList{"Lok 12weite"});
    Log->SetCaretPos({0, 3});
    Log->SetCaretPos({0, 6}, true);
    Key(Qt::Key_Return);
    EXPECT_EQ(Lines(), (QStringList{"Lok", "weite"}));
}

TEST_F(LogWidgetTest, CharactersOutsideLatin1BecomeQuestionMarks) {
    Log->InsertText(QString::fromUtf8("\xE2\x82\xAC \xC3\xA4"));
    EXPECT_EQ(Lines(), QStringList{QString::fromUtf8("? \xC3\xA4")});
    // CR LF from a pasted file ends lines like LF.
    Log->InsertText("\r\nb\rc");
    EXPECT_EQ(Lines(), (QStringList{QString::fromUtf8("? \xC3\xA4"), "b", "c"}));
}

TEST_F(LogWidgetTest, ShiftWithArrowsHomeAndEndSelects) {
    Append("eins zwei");
    Append("drei");
    Log->SetCaretPos({0, 0});
    Key(Qt::Key_Right, Qt::ShiftModifier);
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Log->SelectedText(), "ei");
    Key(Qt::Key_End, Qt::ShiftModifier);
    EXPECT_EQ(Log->SelectedText(), "eins zwei");
    Key(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Log->SelectedText(), "eins zwei\ndrei");
    Key(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Log->SelectedText(), "eins zwei\ndre");
    Key(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Log->SelectedText(), "ein");
    Key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_FALSE(Log->HasSelection());
    Key(Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Log->SelectedText(), "eins zwei\ndrei");
    // A move without shift drops the selection.
    Key(Qt::Key_Left);
    EXPECT_FALSE(Log->HasSelection());
    EXPECT_EQ(Log->CaretPos(), (TLogPos{1, 3}));
    Key(Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Log->SelectedText(), "eins zwei\ndre");
    // Ctrl with the arrows goes by words.
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Log->CaretPos(), (TLogPos{0, 5}));
}

TEST_F(LogWidgetTest, PageDownAndUpMoveByAViewOfRows) {
    for (int i = 0; i < 200; ++i)
        Append("Zeile " + std::to_string(i));
    QScrollBar* bar = Log->verticalScrollBar();
    const size_t page = static_cast<size_t>(Log->VisibleRows());
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Log->CaretPos().Line, page);
    Key(Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(Log->CaretPos().Line, 2 * page);
    EXPECT_TRUE(Log->HasSelection());
    EXPECT_EQ(Log->AnchorPos(), (TLogPos{page, 0}));
    // The caret stays in view.
    EXPECT_LE(static_cast<size_t>(bar->value()), 2 * page);
    EXPECT_GT(static_cast<size_t>(bar->value()) + page, 2 * page);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(Log->CaretPos().Line, page);
    EXPECT_FALSE(Log->HasSelection());
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(Log->CaretPos(), (TLogPos{199, 9}));
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(LogWidgetTest, UpAndDownWalkWrappedRows) {
    const size_t cols = static_cast<size_t>(Log->Columns());
    Append(Repeat('a', 2 * cols + 3));
    Append("kurz");
    Log->SetCaretPos({0, 2});
    Key(Qt::Key_Down);
    EXPECT_EQ(Log->CaretPos(), (TLogPos{0, cols + 2}));
    Key(Qt::Key_Down);
    EXPECT_EQ(Log->CaretPos(), (TLogPos{0, 2 * cols + 2}));
    Key(Qt::Key_Down);
    EXPECT_EQ(Log->CaretPos(), (TLogPos{1, 2}));
    Key(Qt::Key_Up);
    EXPECT_EQ(Log->CaretPos(), (TLogPos{0, 2 * cols + 2}));
}

TEST_F(LogWidgetTest, ClickDragAndShiftClickSelectWithTheMouse) {
    Append("Lok     3 (28 Step) Vorw.");
    Append("Schalten   12 gerade ON");
    QWidget* vp = Log->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, PointOf({0, 4}));
    EXPECT_EQ(Log->CaretPos(), (TLogPos{0, 4}));
    EXPECT_FALSE(Log->HasSelection());
    // Drag from line 0 column 10 to line 1 column 8.
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, PointOf({0, 10}));
    QMouseEvent move(QEvent::MouseMove, PointOf({1, 8}), vp->mapToGlobal(PointOf({1, 8})),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, PointOf({1, 8}));
    EXPECT_EQ(Log->SelectedText(), "(28 Step) Vorw.\nSchalten");
    // Shift-click moves the end of the selection, the start stays.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, PointOf({0, 19}));
    EXPECT_EQ(Log->SelectedText(), "(28 Step)");
    // A click past the end of a line puts the caret at its end.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier,
                      QPoint(vp->width() - 5, PointOf({1, 0}).y()));
    EXPECT_EQ(Log->CaretPos(), (TLogPos{1, 23}));
}

TEST_F(LogWidgetTest, DoubleClickSelectsAWord) {
    Append("Lok     3 (28 Step) R\xFC"
           "ckw.");
    QTest::mouseDClick(Log->viewport(), Qt::LeftButton, Qt::NoModifier, PointOf({0, 22}));
    EXPECT_EQ(Log->SelectedText(), QString::fromUtf8("R\xC3\xBC"
                                                     "ckw"));
    QTest::mouseDClick(Log->viewport(), Qt::LeftButton, Qt::NoModifier, PointOf({0, 1}));
    EXPECT_EQ(Log->SelectedText(), "Lok");
}

TEST_F(LogWidgetTest, CopyCutPasteAndSelectAllByKeyboard) {
    Append("eins");
    Append("zwei");
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Log->SelectedText(), "eins\nzwei");
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "eins\nzwei");

    Log->SetCaretPos({0, 1});
    Log->SetCaretPos({0, 3}, true);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "in");
    EXPECT_EQ(Lines(), (QStringList{"es", "zwei"}));

    QApplication::clipboard()->setText("A\nB");
    Log->SetCaretPos({1, 4});
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Lines(), (QStringList{"es", "zweiA", "B"}));
    EXPECT_EQ(Log->CaretPos(), (TLogPos{2, 1}));
}

TEST_F(LogWidgetTest, ContextMenuHasTheUsualEntries) {
    Append("eins");
    Append("zwei");
    std::unique_ptr<QMenu> menu(Log->CreateContextMenu());
    QStringList names;
    for (QAction* a : menu->actions())
        names << (a->isSeparator() ? QString("|") : a->objectName());
    EXPECT_EQ(names, (QStringList{"edit-cut", "edit-copy", "edit-paste", "edit-delete", "|",
                                  "select-all"}));
    auto action = [&](QMenu* m, const char* name) { return m->findChild<QAction*>(name); };
    // Nothing selected, nothing on the clipboard.
    EXPECT_FALSE(action(menu.get(), "edit-cut")->isEnabled());
    EXPECT_FALSE(action(menu.get(), "edit-copy")->isEnabled());
    EXPECT_FALSE(action(menu.get(), "edit-paste")->isEnabled());
    EXPECT_FALSE(action(menu.get(), "edit-delete")->isEnabled());
    EXPECT_TRUE(action(menu.get(), "select-all")->isEnabled());
    EXPECT_EQ(action(menu.get(), "edit-copy")->shortcut(), QKeySequence(QKeySequence::Copy));

    action(menu.get(), "select-all")->trigger();
    EXPECT_EQ(Log->SelectedText(), "eins\nzwei");

    menu.reset(Log->CreateContextMenu());
    EXPECT_TRUE(action(menu.get(), "edit-copy")->isEnabled());
    action(menu.get(), "edit-copy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "eins\nzwei");

    Log->SetCaretPos({1, 0});
    Log->SetCaretPos({1, 2}, true);
    menu.reset(Log->CreateContextMenu());
    action(menu.get(), "edit-delete")->trigger();
    EXPECT_EQ(Lines(), (QStringList{"eins", "ei"}));

    menu.reset(Log->CreateContextMenu());
    EXPECT_TRUE(action(menu.get(), "edit-paste")->isEnabled());
    action(menu.get(), "edit-paste")->trigger();
    EXPECT_EQ(Lines(), (QStringList{"eins", "eins", "zweiei"}));

    Log->SetCaretPos({0, 0});
    Log->SetCaretPos({0, 4}, true);
    menu.reset(Log->CreateContextMenu());
    action(menu.get(), "edit-cut")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "eins");
    EXPECT_EQ(Lines(), (QStringList{"", "eins", "zweiei"}));
}

TEST_F(LogWidgetTest, RightClickOpensTheMenu) {
    Append("eins");
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(10, 10),
                        Log->viewport()->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(Log->viewport(), &e);
    QMenu* menu = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        menu = Log->findChild<QMenu*>();
        return menu != nullptr && menu->isVisible();
    }));
    EXPECT_EQ(menu->actions().size(), 6);
    menu->close();
}

TEST_F(LogWidgetTest, RowsStayRightAfterEditsAnywhere) {
    const size_t cols = static_cast<size_t>(Log->Columns());
    for (size_t i = 0; i < 300; ++i)
        Append(Repeat('c', (i * 7) % (3 * cols)));
    // Joins, splits and long insertions in the middle.
    Log->SetCaretPos({100, 0});
    Log->SetCaretPos({140, 3}, true);
    Log->InsertText(QString::fromStdString(Repeat('d', 2 * cols) + "\n" + Repeat('e', 5)));
    Log->SetCaretPos({10, 2});
    Log->InsertText("\n\n" + QString::fromStdString(Repeat('f', cols + 1)));
    size_t total = 0;
    for (size_t i = 0; i < Log->LineCount(); ++i) {
        ASSERT_EQ(Log->RowsOfLine(i), ExpectedRows(Log->Store().LineLength(i))) << i;
        total += ExpectedRows(Log->Store().LineLength(i));
    }
    EXPECT_EQ(Log->TotalRows(), total);
}

TEST_F(LogWidgetTest, SaveWritesTheStorageAsUtf8WithCrLf) {
    QBuffer empty;
    empty.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Log->WriteTo(empty));
    EXPECT_EQ(empty.data().size(), 0);
    Append("Pr\xE4"
           "ambel: 111");
    Append("");
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(Log->WriteTo(buffer));
    EXPECT_EQ(buffer.data().toStdString(), "Pr\xC3\xA4"
                                           "ambel: 111\r\n\r\n");
    // A device that cannot be written reports failure.
    QBuffer closed;
    EXPECT_FALSE(Log->WriteTo(closed));
}

// --- In the window -----------------------------------------------------------

TEST_F(WindowTest, BothLogsAreLogViewsWithTheirFontsColoursAndFocus) {
    Start();
    auto* memo1 = qobject_cast<TLogWidget*>(Window->Memo1->Widget());
    auto* memo2 = qobject_cast<TLogWidget*>(Window->Memo2->Widget());
    ASSERT_NE(memo1, nullptr);
    ASSERT_NE(memo2, nullptr);
    // The Monitor log wraps as a grid of fixed-pitch characters.
    EXPECT_TRUE(QFontInfo(memo1->font()).fixedPitch());
    EXPECT_GT(memo1->Columns(), 0);
    EXPECT_EQ(memo2->font().pointSize(), 8);
    // The Monitor log is reached by clicking, not by Tab; the Bitstream log
    // is a tab stop.
    EXPECT_EQ(memo1->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(memo2->focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(memo2->palette().color(QPalette::Base),
              memo2->palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(memo2->viewport()->backgroundRole(), QPalette::Base);
    EXPECT_EQ(memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(WindowTest, SavedFileHoldsWhatTheUserTypedIntoTheLog) {
    Start();
    Window->AppendMonitorLine("Idle");
    Window->Memo1->View()->SetCaretPos({0, 4});
    Window->Memo1->View()->InsertText(" (Anfang)");
    WhenModal([&](QWidget* w) { TypeFileNameAndAccept(w, Folder.path(), "rec"); });
    Window->btn_save->click();
    EXPECT_EQ(ReadAll(Folder.path() + "/rec.txt"), "Idle (Anfang)\r\n");
    EXPECT_EQ(LastLine(), "...gespeichert");
}
