// The analysis window in Qt: a second window over the main one, opened with
// F2 and from the Monitor log's menu, its tables and chart showing the model,
// the user's choice of a row reaching it, its close box only hiding it.
#include "log_widget.h"
#include "window_fixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

namespace {

struct QtAnalysisTest : QtWindowTest {
    std::unique_ptr<TQtWindow> Analysis;
    TfrmAnalyse* Form = nullptr;

    void StartBoth() {
        Start();
        Form = &Model->frmAnalyse;
        Analysis = std::make_unique<TQtWindow>(*Form, Form->Controls(), Desktop, Window.get());
        Window->show();
    }
    ~QtAnalysisTest() override { Analysis.reset(); }
    template <typename T> T* Shown(const TControl& c) const {
        return qobject_cast<T*>(Analysis->WidgetOf(c));
    }
};

} // namespace

TEST_F(QtAnalysisTest, F2OpensItOverTheMainWindowAndItsCloseBoxHidesIt) {
    StartBoth();
    EXPECT_FALSE(Analysis->isVisible());
    EXPECT_TRUE(Analysis->isWindow());
    EXPECT_EQ(Analysis->parentWidget(), Window.get());
    QTest::keyClick(Window.get(), Qt::Key_F2);
    ASSERT_TRUE(WaitFor([&] { return Analysis->isVisible(); }));
    EXPECT_EQ(Analysis->windowTitle(), "Analyse");
    EXPECT_TRUE(Form->Visible());
    // F2 also reaches the window from the Monitor log, which takes most keys.
    Analysis->close();
    EXPECT_FALSE(Analysis->isVisible());
    EXPECT_FALSE(Form->Visible());
    QTest::keyClick(Window->Memo1View(), Qt::Key_F2);
    EXPECT_TRUE(Analysis->isVisible());
    EXPECT_TRUE(Window->isVisible()) << "the main window stays";

    // The controls follow the window's inside.
    Analysis->resize(1100, 760);
    const TRect trace = ArrangeAnalysis(1100, 760).tblVerlauf;
    ASSERT_TRUE(WaitFor([&] { return Form->tblVerlauf.Geometry() == trace; }));
    EXPECT_EQ(Analysis->WidgetOf(Form->tblVerlauf)->geometry(),
              QRect(trace.Left, trace.Top, trace.Width, trace.Height));
    EXPECT_EQ(Shown<QPushButton>(Form->btnZuruecksetzen)->text(), "Zur\u00fccksetzen");
    EXPECT_EQ(Shown<QPushButton>(Form->btnBericht)->text(), "Bericht speichern\u2026");
}

TEST_F(QtAnalysisTest, TablesShowTheModelsRowsAndTheUsersChoiceReachesIt) {
    StartBoth();
    Form->Show();
    auto* table = Shown<QTableView>(Form->tblLoks);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->model()->columnCount(), 7);
    EXPECT_EQ(table->model()->headerData(6, Qt::Horizontal).toString(), "Funktionen an");
    EXPECT_EQ(table->columnWidth(0), 90);
    Form->tblLoks.SetRows({{"3 (kurz)", "12", "0"}, {"8813 (lang)", "7", "1"}});
    EXPECT_EQ(table->model()->rowCount(), 2);
    EXPECT_EQ(table->model()->index(1, 0).data().toString(), "8813 (lang)");
    EXPECT_EQ(table->model()->index(1, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight,
              Qt::AlignRight);
    QApplication::processEvents();
    const QRect second = table->visualRect(table->model()->index(1, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(Form->tblLoks.Selected(), 1);
    // The program's choice shows; it is not taken back as the user's.
    Form->tblLoks.Select(0);
    EXPECT_EQ(table->currentIndex().row(), 0);
    EXPECT_EQ(Form->tblLoks.Selected(), 0);
    // Rows that grow keep the list where it was.
    std::vector<TTable::TRow> many(300, TTable::TRow{"x"});
    Form->tblVerlauf.SetRows(many);
    auto* trace = Shown<QTableView>(Form->tblVerlauf);
    trace->scrollToBottom();
    const int at = trace->verticalScrollBar()->value();
    many.resize(310, TTable::TRow{"y"});
    Form->tblVerlauf.SetRows(many);
    EXPECT_EQ(trace->model()->rowCount(), 310);
    EXPECT_EQ(trace->verticalScrollBar()->value(), at);
}

TEST_F(QtAnalysisTest, TheChartPaintsShortPreamblesInTheMarksColour) {
    StartBoth();
    Form->Show();
    Form->chtPraeambeln.SetBars({{"12", 100, true}, {"16", 100, false}});
    QWidget* chart = Analysis->WidgetOf(Form->chtPraeambeln);
    const QImage image = chart->grab().toImage();
    const TLogRgb mark = MarkColor(TLogInk::ShortPreamble);
    const QColor orange(mark.R, mark.G, mark.B);
    int marked = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            marked += QColor(image.pixel(x, y)) == orange;
    EXPECT_GT(marked, 100);
}

TEST_F(QtAnalysisTest, TheMonitorLogsMenuOffersTheAnalysisAndTheLinesAddress) {
    StartBoth();
    Model->AppendMonitorLine("COM5 ge\xF6"
                             "ffnet");
    Model->AppendMonitorLine("Lok  1234 (128 Step) Vorw.  Speed   4 ");
    TLogWidget* log = Window->Memo1View();
    QApplication::processEvents();
    const int row = log->fontMetrics().lineSpacing();
    const QPoint onStatus(20, 4);
    const QPoint onLoco(20, 4 + row);
    std::unique_ptr<QMenu> menu(log->CreateContextMenu(nullptr, &onStatus));
    QStringList names;
    for (QAction* a : menu->actions())
        names << (a->isSeparator() ? QString("|") : a->objectName());
    EXPECT_EQ(names.mid(6), (QStringList{"|", "owner-0"}));
    EXPECT_EQ(menu->actions().back()->text(), "&Analyse\u2026");
    EXPECT_EQ(menu->actions().back()->shortcut(), QKeySequence(Qt::Key_F2));

    menu.reset(log->CreateContextMenu(nullptr, &onLoco));
    QAction* trace = menu->findChild<QAction*>("owner-1");
    ASSERT_NE(trace, nullptr);
    EXPECT_EQ(trace->text(), "Adresse &verfolgen");
    trace->trigger();
    EXPECT_TRUE(Analysis->isVisible());
    EXPECT_EQ(Form->Live.TracedAt(), (TPacketAddress{TAddressSpace::Long, 1234}));
    EXPECT_EQ(Shown<QLabel>(Form->lblVerlauf)->text(),
              "Verlauf: Lok 1234 (lang), die letzten 2000 Pakete");
}
