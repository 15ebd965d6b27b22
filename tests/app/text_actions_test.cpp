#include "window_fixture.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <sys/stat.h>

TEST_F(WindowTest, FilterTextsSetTheBounds) {
    Start();
    const struct {
        const char* Text;
        int32_t Value;
    } cases[] = {{"", 0},      {"12a", 0},  {"-5", -5},    {" 12", 12}, {"$1F", 31},
                 {"0x10", 16}, {"x10", 16}, {"-$10", -16}, {"+7", 7},   {"99999999999", 0}};
    for (const auto& c : cases) {
        Window->edt_min->setText(c.Text);
        Window->edt_max->setText(c.Text);
        EXPECT_EQ(Window->FilterMin(), c.Value) << c.Text;
        EXPECT_EQ(Window->FilterMax(), c.Value) << c.Text;
    }
}

TEST_F(WindowTest, SaveConfirmedWritesUtf8WithCrLf) {
    Start();
    Window->AppendMonitorLine("Pr\xE4"
                              "ambel: 111");
    Window->AppendMonitorLine("Lok     3 (28 Step) R\xFC"
                              "ckw. Speed   8 ");
    QString title;
    WhenModal([&](QWidget* w) {
        title = w->windowTitle();
        TypeFileNameAndAccept(w, Folder.path(), "rec");
    });
    Window->btn_save->click();
    EXPECT_EQ(title, "Aufzeichnung speichern");
    EXPECT_EQ(ReadAll(Folder.path() + "/rec.txt"), "Pr\xC3\xA4"
                                                   "ambel: 111\r\nLok     3 (28 Step) R\xC3\xBC"
                                                   "ckw. Speed   8 \r\n");
    EXPECT_EQ(LastLine(), "...gespeichert");
}

TEST_F(WindowTest, SaveCancelledWritesNothing) {
    Start();
    Window->AppendMonitorLine("x");
    WhenModal([&](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    Window->btn_save->click();
    EXPECT_EQ(LastLine(), "Daten konnten nicht gespeichert werden !!");
    EXPECT_EQ(QDir(Folder.path()).entryList(QDir::Files), QStringList());
}

TEST_F(WindowTest, SaveOfAnEmptyLogWritesAnEmptyFile) {
    Start();
    WhenModal([&](QWidget* w) { TypeFileNameAndAccept(w, Folder.path(), "empty.txt"); });
    Window->btn_save->click();
    struct stat st;
    ASSERT_EQ(stat((Folder.path() + "/empty.txt").toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(Log(), QStringList{"...gespeichert"});
}

TEST_F(WindowTest, SaveThatCannotWriteShowsTheErrorBoxAndAddsNoLine) {
    Start();
    Window->AppendMonitorLine("x");
    QString boxTitle;
    // A read-only place: a file where the folder should be.
    WriteAll(Folder.path() + "/blocked", "x");
    WhenModal([&](QWidget* w) {
        WhenModal([&](QWidget* box) {
            boxTitle = box->windowTitle();
            box->close();
        });
        TypeFileNameAndAccept(w, Folder.path(), Folder.path() + "/blocked/rec.txt");
    });
    Window->btn_save->click();
    EXPECT_EQ(boxTitle, "Fennox");
    EXPECT_EQ(Log(), QStringList{"x"});
}

TEST_F(WindowTest, ClearEmptiesBothLogsAndTheVersion) {
    Start();
    Window->AppendMonitorLine("a");
    Window->AppendBitstreamLine("0101");
    Window->SetVersionText("V 1.18");
    Window->btn_clear->click();
    EXPECT_EQ(Window->Memo1->LineCount(), 0);
    EXPECT_EQ(Window->Memo2->LineCount(), 0);
    EXPECT_EQ(Window->edt_version->text(), "");
}

TEST_F(WindowTest, CopyPutsTheWholeLogOnTheClipboard) {
    Start();
    Window->AppendMonitorLine("eins");
    Window->AppendMonitorLine("zwei");
    Window->btn_clipboard->click();
    EXPECT_EQ(QApplication::clipboard()->text(), "eins\nzwei");
    EXPECT_EQ(Window->Memo1->SelectedText().size(), 9);
}

TEST_F(WindowTest, LogFollowsTheEndUnlessScrolledUp) {
    Start();
    Window->show();
    QScrollBar* bar = Window->Memo1->ScrollBar();
    for (int i = 0; i < 300; ++i)
        Window->AppendMonitorLine("Zeile " + std::to_string(i));
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(10);
    for (int i = 0; i < 50; ++i)
        Window->AppendMonitorLine("mehr");
    EXPECT_EQ(bar->value(), 10);
    bar->setValue(bar->maximum());
    Window->AppendMonitorLine("Ende");
    EXPECT_EQ(bar->value(), bar->maximum());
}
