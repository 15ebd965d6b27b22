// The log text field in Qt: it measures its font for the model, mirrors the
// model's scroll position in its scroll bar, paints the selection, and turns
// keys, the mouse, the menu and the clipboard into the model's commands. What
// those commands do is tested with the model.
#include "log_model.h"
#include "log_widget.h"
#include "window_fixture.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <cmath>
#include <iterator>
#include <memory>
#include <string>

namespace {

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

struct LogWidgetTest : ::testing::Test {
    TLogModel Model;
    std::unique_ptr<TLogWidget> Log;

    void SetUp() override {
        QApplication::clipboard()->clear();
        Log = std::make_unique<TLogWidget>(Model);
        Log->setFont(FixedFont());
        Log->resize(400, 300);
        Log->show();
        QApplication::processEvents();
    }
    void Append(const std::string& line) { Model.AppendLatin1(line); }
    QStringList Lines() const {
        QStringList l;
        for (size_t i = 0; i < Model.LineCount(); ++i) {
            const std::string_view s = Model.Store().Line(i);
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
};

TEST_F(LogWidgetTest, MeasuresItsFontAndViewForTheModel) {
    const QFontMetricsF fm(FixedFont());
    const TLogMetrics& m = Model.Metrics();
    EXPECT_TRUE(m.FixedPitch);
    EXPECT_DOUBLE_EQ(m.Advances['0'], fm.horizontalAdvance(QChar('0')));
    EXPECT_EQ(m.RowHeight, static_cast<int>(std::ceil(fm.lineSpacing())));
    // Room beside the margins, and below the top one.
    for (int width : {250, 400, 640, 900}) {
        ResizeTo(width);
        EXPECT_EQ(Model.Metrics().WrapWidth, Log->viewport()->width() - 8) << width;
        EXPECT_EQ(Model.Metrics().ViewHeight, Log->viewport()->height() - 2) << width;
    }
    ResizeTo(250);
    const size_t narrow = Model.Columns();
    ResizeTo(900);
    EXPECT_GT(Model.Columns(), narrow);
    // Control characters are measured as the blanks they show as.
    EXPECT_DOUBLE_EQ(m.Advances['\t'], fm.horizontalAdvance(QChar(' ')));

    Log->setFont(ProportionalFont());
    EXPECT_FALSE(Model.Metrics().FixedPitch);
    EXPECT_EQ(Model.Columns(), 0u);
    EXPECT_DOUBLE_EQ(Model.Metrics().Advances['W'],
                     QFontMetricsF(ProportionalFont()).horizontalAdvance(QChar('W')));
}

TEST_F(LogWidgetTest, TheScrollBarMirrorsTheModelBothWays) {
    QScrollBar* bar = Log->verticalScrollBar();
    // The bar follows at the view's next frame, not at every line.
    const auto shown = [&](QScrollBar* b) {
        return WaitFor([&] {
            return b->maximum() == static_cast<int>(Model.MaxTopRow()) &&
                   b->value() == static_cast<int>(Model.TopRow());
        });
    };
    for (int i = 0; i < 300; ++i)
        Append("Zeile " + std::to_string(i));
    ASSERT_TRUE(shown(bar));
    EXPECT_EQ(bar->maximum(), static_cast<int>(Model.MaxTopRow()));
    EXPECT_EQ(bar->pageStep(), static_cast<int>(Model.VisibleRows()));
    EXPECT_EQ(bar->value(), static_cast<int>(Model.TopRow()));
    EXPECT_EQ(bar->value(), bar->maximum());
    // The user moves the bar: the model scrolls.
    bar->setValue(10);
    EXPECT_EQ(Model.TopRow(), 10u);
    // The model scrolls: the bar follows.
    Model.ScrollTo(42);
    ASSERT_TRUE(shown(bar));
    EXPECT_EQ(bar->value(), 42);
    Model.Clear();
    ASSERT_TRUE(shown(bar));
    EXPECT_EQ(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
    // A widget made for a model that holds lines already shows them.
    for (int i = 0; i < 300; ++i)
        Append("Zeile " + std::to_string(i));
    TLogWidget second(Model);
    second.setFont(FixedFont());
    second.resize(400, 300);
    second.show();
    QApplication::processEvents();
    ASSERT_TRUE(shown(second.verticalScrollBar()));
    EXPECT_EQ(second.verticalScrollBar()->maximum(), static_cast<int>(Model.MaxTopRow()));
}

TEST_F(LogWidgetTest, CaretRectIsTheModelsPlaceInPixels) {
    Append(std::string(200, 'a'));
    for (int i = 0; i < 50; ++i)
        Append("Zeile");
    Model.ScrollTo(0);
    const int rowHeight = Model.Metrics().RowHeight;
    const TLogPlace place = Model.PlaceOf({0, 100});
    const QRect r = Log->CaretRect({0, 100});
    EXPECT_EQ(r.left(), static_cast<int>(std::lround(4 + place.X)));
    EXPECT_EQ(r.top(), 2 + static_cast<int>(place.Row) * rowHeight);
    EXPECT_EQ(r.height(), rowHeight);
    Model.ScrollTo(1);
    EXPECT_EQ(Log->CaretRect({0, 100}).top(), 2 + static_cast<int>(place.Row - 1) * rowHeight);
}

TEST_F(LogWidgetTest, PaintsTheSelectionHighlighted) {
    Append("Lok     3 (28 Step) Vorw.");
    Append("Idle");
    Model.SetCaretPos({0, 10});
    Model.SetCaretPos({0, 19}, true);
    const QImage image = Log->viewport()->grab().toImage();
    const QColor high = Log->palette().color(QPalette::Highlight);
    const int y = PointOf({0, 0}).y();
    auto highlighted = [&](int x) { return QColor(image.pixel(x, y)) == high; };
    const int x0 = Log->CaretRect({0, 10}).left();
    const int x1 = Log->CaretRect({0, 19}).left();
    int inside = 0;
    for (int x = x0 + 1; x < x1 - 1; ++x)
        inside += highlighted(x) ? 1 : 0;
    EXPECT_GT(inside, (x1 - x0) / 4);
    for (int x = 0; x < x0 - 1; ++x)
        ASSERT_FALSE(highlighted(x)) << x;
    for (int x = x1 + 1; x < Log->viewport()->width(); ++x)
        ASSERT_FALSE(highlighted(x)) << x;
    // The selected line end shows as a highlighted blank after the text.
    Model.SetCaretPos({1, 0}, true);
    const QImage end = Log->viewport()->grab().toImage();
    const int after = Log->CaretRect({0, 25}).left() + 2;
    EXPECT_EQ(QColor(end.pixel(after, y)), high);
}

TEST_F(LogWidgetTest, KeysAreTheEditingCommands) {
    QTest::keyClicks(Log.get(), "abc");
    EXPECT_EQ(Lines(), QStringList{"abc"});
    Key(Qt::Key_Home);
    EXPECT_EQ(Model.CaretPos(), (TLogPos{0, 0}));
    Key(Qt::Key_End);
    EXPECT_EQ(Model.CaretPos(), (TLogPos{0, 3}));
    Key(Qt::Key_Backspace);
    EXPECT_EQ(Lines(), QStringList{"ab"});
    Key(Qt::Key_Left);
    Key(Qt::Key_Delete);
    EXPECT_EQ(Lines(), QStringList{"a"});
    Key(Qt::Key_Return);
    Key(Qt::Key_Enter);
    EXPECT_EQ(Lines(), (QStringList{"a", "", ""}));
    QTest::keyClicks(Log.get(), "eins zwei");
    Key(Qt::Key_Up);
    EXPECT_EQ(Model.CaretPos(), (TLogPos{1, 0}));
    Key(Qt::Key_Down);
    EXPECT_EQ(Model.CaretPos(), (TLogPos{2, 9}));
    // Shift selects; Ctrl goes by words and to the ends of the text.
    Key(Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Model.SelectedText(), "zwei");
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Model.SelectedText(), "wei");
    Key(Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(Model.SelectedText(), "eins zwei");
    Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Model.CaretPos(), (TLogPos{2, 5}));
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(Model.CaretPos(), (TLogPos{0, 0}));
    Key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Model.SelectedText(), "a\n\neins zwei");
    Key(Qt::Key_Right);
    EXPECT_FALSE(Model.HasSelection());
    for (int i = 0; i < 200; ++i)
        Append("Zeile " + std::to_string(i));
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Model.CaretPos().Line, Model.VisibleRows());
    Key(Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(Model.CaretPos().Line, 0u);
    EXPECT_TRUE(Model.HasSelection());
    // Keys the field does not use are left to the window.
    Key(Qt::Key_F5);
    Key(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(Model.LineCount(), 203u);
    EXPECT_EQ(Lines()[0], "a");
}

TEST_F(LogWidgetTest, CharactersOutsideLatin1BecomeQuestionMarks) {
    QApplication::clipboard()->setText(QString::fromUtf8("\xE2\x82\xAC \xC3\xA4 \xF0\x9F\x9A\x82"));
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Lines(), QStringList{QString::fromUtf8("? \xC3\xA4 ?")});
    // Qt's line and paragraph separators end lines, as CR LF and LF do.
    QApplication::clipboard()->setText(QString("a") + QChar(0x2029) + "b" + QChar(0x2028) +
                                       "c\r\nd");
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Lines(), (QStringList{QString::fromUtf8("? \xC3\xA4 ?a"), "b", "c", "d"}));
}

// The rows on screen are the lines' letters: the same pixels as Qt drawing
// the text itself, umlauts included (bytes above 0x7F once reached the
// screen as a box or not at all).
TEST_F(LogWidgetTest, RowsLookAsTheTextDrawnByQt) {
    const std::string lines[] = {"Lok     3 (28 Step) R\xFC"
                                 "ckw. Stufe  5",
                                 "Pr\xE4"
                                 "ambel: 11111111111111",
                                 "\xC4\xD6\xDC\xDF \xB0 \xB5 \xE9"};
    for (const std::string& line : lines)
        Append(line);
    Log->clearFocus();
    QApplication::processEvents();
    const QImage shown = Log->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);

    QImage drawn(shown.size(), QImage::Format_RGB32);
    drawn.fill(Log->palette().color(QPalette::Base));
    QPainter p(&drawn);
    QFont font = Log->font();
    font.setKerning(false);
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    p.setFont(font);
    p.setPen(Log->palette().color(QPalette::Text));
    const int ascent = static_cast<int>(std::ceil(QFontMetricsF(font).ascent()));
    for (size_t i = 0; i < std::size(lines); ++i) {
        const QRect at = Log->CaretRect(TLogPos{i, 0});
        p.drawText(QPointF(at.left(), at.top() + ascent),
                   QString::fromLatin1(lines[i].data(), static_cast<qsizetype>(lines[i].size())));
    }
    p.end();

    int differing = 0, ink = 0;
    const QRgb base = Log->palette().color(QPalette::Base).rgb();
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            differing += shown.pixel(x, y) != drawn.pixel(x, y);
            ink += shown.pixel(x, y) != base;
        }
    }
    EXPECT_EQ(differing, 0);
    // The letters left ink: not two empty pictures alike.
    EXPECT_GT(ink, 500);
}

TEST_F(LogWidgetTest, ClickDragAndShiftClickSelectWithTheMouse) {
    Append("Lok     3 (28 Step) Vorw.");
    Append("Schalten   12 gerade ON");
    QWidget* vp = Log->viewport();
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier, PointOf({0, 4}));
    EXPECT_EQ(Model.CaretPos(), (TLogPos{0, 4}));
    EXPECT_FALSE(Model.HasSelection());
    // Drag from line 0 column 10 to line 1 column 8.
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, PointOf({0, 10}));
    QMouseEvent move(QEvent::MouseMove, PointOf({1, 8}), vp->mapToGlobal(PointOf({1, 8})),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, PointOf({1, 8}));
    EXPECT_EQ(Model.SelectedText(), "(28 Step) Vorw.\nSchalten");
    // Shift-click moves the end of the selection, the start stays.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::ShiftModifier, PointOf({0, 19}));
    EXPECT_EQ(Model.SelectedText(), "(28 Step)");
    // A click past the end of a line puts the caret at its end.
    QTest::mouseClick(vp, Qt::LeftButton, Qt::NoModifier,
                      QPoint(vp->width() - 5, PointOf({1, 0}).y()));
    EXPECT_EQ(Model.CaretPos(), (TLogPos{1, 23}));
}

TEST_F(LogWidgetTest, DraggingAboveTheViewScrollsAndSelectsOnTheTimer) {
    for (int i = 0; i < 200; ++i)
        Append("Zeile " + std::to_string(i));
    const size_t top = Model.TopRow();
    ASSERT_GT(top, 10u);
    QWidget* vp = Log->viewport();
    const TLogPos start = Model.PosAtRow(top + 2, 0);
    QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, PointOf(start));
    QMouseEvent move(QEvent::MouseMove, QPoint(10, -5), vp->mapToGlobal(QPoint(10, -5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    // A row a tick while the pointer stays outside.
    EXPECT_TRUE(WaitFor([&] { return Model.TopRow() + 3 <= top; }));
    QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, QPoint(10, -5));
    const size_t stopped = Model.TopRow();
    EXPECT_EQ(Model.AnchorPos(), start);
    EXPECT_EQ(Model.CaretPos().Line, Model.LineOfRow(stopped));
    QTest::qWait(200);
    EXPECT_EQ(Model.TopRow(), stopped);
}

TEST_F(LogWidgetTest, DoubleClickSelectsAWord) {
    Append("Lok     3 (28 Step) R\xFC"
           "ckw.");
    QTest::mouseDClick(Log->viewport(), Qt::LeftButton, Qt::NoModifier, PointOf({0, 22}));
    EXPECT_EQ(Model.SelectedText(), "R\xFC"
                                    "ckw");
}

TEST_F(LogWidgetTest, CopyCutPasteAndSelectAllByKeyboard) {
    Append("eins");
    Append("zwei");
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Model.SelectedText(), "eins\nzwei");
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "eins\nzwei");

    Model.SetCaretPos({0, 1});
    Model.SetCaretPos({0, 3}, true);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "in");
    EXPECT_EQ(Lines(), (QStringList{"es", "zwei"}));

    // Nothing selected: copy and cut leave the clipboard alone.
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "in");

    QApplication::clipboard()->setText(QString::fromUtf8("A\n\xC3\xBC"));
    Model.SetCaretPos({1, 4});
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Lines(), (QStringList{"es", "zweiA", QString::fromUtf8("\xC3\xBC")}));
    EXPECT_EQ(Model.Store().Line(2), "\xFC");
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
    // German like the rest of the window, and as the Windows program's menu.
    QStringList texts;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            texts << a->text();
    EXPECT_EQ(texts, (QStringList{"&Ausschneiden", "&Kopieren", "&Einf\u00fcgen", "&L\u00f6schen",
                                  "Alles &markieren"}));
    auto action = [&](QMenu* m, const char* name) { return m->findChild<QAction*>(name); };
    // Nothing selected, nothing on the clipboard.
    EXPECT_FALSE(action(menu.get(), "edit-cut")->isEnabled());
    EXPECT_FALSE(action(menu.get(), "edit-copy")->isEnabled());
    EXPECT_FALSE(action(menu.get(), "edit-paste")->isEnabled());
    EXPECT_FALSE(action(menu.get(), "edit-delete")->isEnabled());
    EXPECT_TRUE(action(menu.get(), "select-all")->isEnabled());
    EXPECT_EQ(action(menu.get(), "edit-copy")->shortcut(), QKeySequence(QKeySequence::Copy));

    action(menu.get(), "select-all")->trigger();
    EXPECT_EQ(Model.SelectedText(), "eins\nzwei");

    menu.reset(Log->CreateContextMenu());
    EXPECT_TRUE(action(menu.get(), "edit-copy")->isEnabled());
    action(menu.get(), "edit-copy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "eins\nzwei");

    Model.SetCaretPos({1, 0});
    Model.SetCaretPos({1, 2}, true);
    menu.reset(Log->CreateContextMenu());
    action(menu.get(), "edit-delete")->trigger();
    EXPECT_EQ(Lines(), (QStringList{"eins", "ei"}));

    menu.reset(Log->CreateContextMenu());
    EXPECT_TRUE(action(menu.get(), "edit-paste")->isEnabled());
    action(menu.get(), "edit-paste")->trigger();
    EXPECT_EQ(Lines(), (QStringList{"eins", "eins", "zweiei"}));

    Model.SetCaretPos({0, 0});
    Model.SetCaretPos({0, 4}, true);
    menu.reset(Log->CreateContextMenu());
    action(menu.get(), "edit-cut")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "eins");
    EXPECT_EQ(Lines(), (QStringList{"", "eins", "zweiei"}));

    // An empty log has nothing to select.
    Model.Clear();
    menu.reset(Log->CreateContextMenu());
    EXPECT_FALSE(action(menu.get(), "select-all")->isEnabled());
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

// --- In the window -----------------------------------------------------------

TEST_F(QtWindowTest, BothLogsAreLogViewsWithTheirFontsColoursAndFocus) {
    Start();
    TLogWidget* memo1 = Window->Memo1View();
    TLogWidget* memo2 = Window->Memo2View();
    ASSERT_NE(memo1, nullptr);
    ASSERT_NE(memo2, nullptr);
    EXPECT_EQ(&memo1->Model(), &Model->Memo1.Lines);
    EXPECT_EQ(&memo2->Model(), &Model->Memo2.Lines);
    // The Monitor log wraps as a grid of fixed-pitch characters.
    EXPECT_TRUE(QFontInfo(memo1->font()).fixedPitch());
    EXPECT_GT(memo1->Model().Columns(), 0u);
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

TEST_F(QtWindowTest, TheDecodersLinesAppearInTheMonitorLog) {
    Start();
    Window->show();
    Model->AppendMonitorLine("Lok     3 (28 Step) R\xFC"
                             "ckw. Speed   8 ");
    EXPECT_EQ(Window->Memo1View()->Model().LineCount(), 1u);
    // Painted: the view is not left blank.
    const QImage image = Window->Memo1View()->viewport()->grab().toImage();
    int darkest = 255;
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 200; ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    EXPECT_LT(darkest, 100);
}
