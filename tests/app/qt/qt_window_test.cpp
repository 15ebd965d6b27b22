// The Qt front end: its widgets mirror the window's logic, the user's
// actions reach it, and Qt's boxes and dialogs behave as the logic expects.
#include "error_box.h"
#include "log_widget.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>

#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST_F(QtWindowTest, WidgetsSitWhereTheModelPutsThem) {
    Start();
    int checked = 0;
    for (const TControl* c : Model->Controls()) {
        QWidget* w = Window->WidgetOf(*c);
        if (w == nullptr || qobject_cast<QLabel*>(w) || c == &Model->Panel1 || c == &Model->Memo1 ||
            c == &Model->Memo2)
            continue;
        const TRect& r = c->Geometry();
        EXPECT_EQ(w->geometry(), QRect(r.Left, r.Top, r.Width, r.Height)) << c->Name();
        ++checked;
    }
    EXPECT_GT(checked, 40);
    EXPECT_EQ(Window->WidgetOf(Model->Panel1)->width(), 353);
    EXPECT_EQ(Window->windowTitle(), "Fennox V1.18");
    EXPECT_EQ(Widget<QRadioButton>(Model->rad_com5)->text(), "Com5");
    EXPECT_TRUE(Widget<QRadioButton>(Model->rad_com5)->isChecked());
    EXPECT_EQ(Widget<QPushButton>(Model->btn_clear)->text(), "l\u00f6schen");
    EXPECT_TRUE(Widget<QPushButton>(Model->btnStart)->font().bold());
    EXPECT_EQ(Window->WidgetOf(Model->edt_min)->toolTip(), "Adress-Filter: MIN Grenzwert");
    EXPECT_FALSE(Window->WidgetOf(Model->btnStop)->isEnabled());
}

TEST_F(QtWindowTest, UserActionsRunTheHandlersAndTheirChangesShow) {
    Start();
    Window->show();
    // A click on the check box: its handler disables both filter fields.
    Model->cbx_filter.SetChecked(true);
    Widget<QCheckBox>(Model->cbx_filter)->click();
    EXPECT_FALSE(Model->cbx_filter.Checked());
    EXPECT_FALSE(Window->WidgetOf(Model->edt_min)->isEnabled());
    EXPECT_FALSE(Window->WidgetOf(Model->edt_max)->isEnabled());
    // Typing into a field sets the bound at once.
    Widget<QCheckBox>(Model->cbx_filter)->click();
    Widget<QLineEdit>(Model->edt_min)->setText("$1F");
    EXPECT_EQ(Model->FilterMin(), 31);
    // The model's own changes reach the widgets.
    Model->edt_max.SetText("77");
    EXPECT_EQ(Widget<QLineEdit>(Model->edt_max)->text(), "77");
    Model->SetGauge(3277);
    EXPECT_EQ(Widget<QProgressBar>(Model->ProgressBar2)->value(), 3277);
    EXPECT_EQ(Widget<QProgressBar>(Model->ProgressBar2)->palette().color(QPalette::Highlight),
              QColor(0xff, 0, 0));
    // A port choice by the user runs rad_comClick: Start enabled.
    Model->btnStart.SetEnabled(false);
    Widget<QRadioButton>(Model->rad_com3)->click();
    EXPECT_TRUE(Model->rad_com3.Checked());
    EXPECT_FALSE(Widget<QRadioButton>(Model->rad_com5)->isChecked());
    EXPECT_TRUE(Window->WidgetOf(Model->btnStart)->isEnabled());
    // A button: the clear handler empties the log.
    Model->AppendMonitorLine("x");
    Widget<QPushButton>(Model->btn_clear)->click();
    EXPECT_EQ(Model->Memo1.Lines.LineCount(), 0u);
}

TEST_F(QtWindowTest, BitstreamLogComesBackAtItsWidthAndTheOuterHeightStays) {
    Start();
    Window->show();
    ASSERT_TRUE(WaitFor([&] { return Window->isVisible(); }));
    Window->resize(1200, 700);
    ASSERT_TRUE(WaitFor([&] { return Window->height() == 700; }));
    Widget<QCheckBox>(Model->cbx_bitstream)->click();
    EXPECT_EQ(Window->frameGeometry().height(), 637);
    EXPECT_TRUE(Window->Memo2View()->isVisible());
    EXPECT_EQ(Window->Memo2View()->width(), 345);
    Widget<QCheckBox>(Model->cbx_bitstream)->click();
    EXPECT_FALSE(Window->Memo2View()->isVisible());
    EXPECT_EQ(Window->frameGeometry().height(), 637);
}

TEST_F(QtWindowTest, MinimumAndStoredSizeAreTheOuterSize) {
    Start();
    Window->show();
    ASSERT_TRUE(WaitFor([&] { return Window->isVisible(); }));
    // Offscreen draws a frame of two pixels: the inside gives way.
    Window->resize(300, 200);
    EXPECT_EQ(Window->frameGeometry().width(), 1000);
    EXPECT_EQ(Window->frameGeometry().height(), 600);
    EXPECT_EQ(Model->Geometry().Width, 1000);
    EXPECT_EQ(Model->Geometry().Height, 600);
}

TEST_F(QtWindowTest, SaveDialogTakesATypedNameAndAddsTheExtension) {
    Start();
    Model->AppendMonitorLine("Pr\xE4"
                             "ambel: 111");
    QString title;
    QStringList filters;
    WhenModal([&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        dialog->setDirectory(Folder.path());
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("rec");
        static_cast<QDialog*>(dialog)->accept();
    });
    Widget<QPushButton>(Model->btn_save)->click();
    EXPECT_EQ(title, "Aufzeichnung speichern");
    EXPECT_EQ(filters, (QStringList{"*.txt (*.txt)", "alle (*)"}));
    EXPECT_EQ(ReadAll(Folder.path() + "/rec.txt"), "Pr\xC3\xA4"
                                                   "ambel: 111\r\n");
}

TEST_F(QtWindowTest, SerialErrorBoxWaitsButLeavesTheWindowOperable) {
    Start();
    Window->show();
    bool operable = false;
    QString caption;
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [&, poll] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "CommErrorBox" && w->isVisible()) {
                poll->stop();
                poll->deleteLater();
                caption = w->windowTitle();
                operable = QApplication::activeModalWidget() == nullptr;
                // The window takes a click meanwhile.
                Widget<QPushButton>(Model->btn_clear)->click();
                w->close();
                return;
            }
        }
    });
    poll->start();
    Model->AppendMonitorLine("x");
    Desktop.ShowCommErrorBox("ReceiveData", "Eingabe-/Ausgabefehler");
    EXPECT_EQ(caption, "ReceiveData");
    EXPECT_TRUE(operable);
    EXPECT_EQ(Model->Memo1.Lines.LineCount(), 0u) << "the click during the box was handled";
}

TEST_F(QtWindowTest, WarningDialogHasItsOneGermanButton) {
    Start();
    QString title;
    QStringList buttons;
    WhenModal([&](QWidget* w) {
        title = w->windowTitle();
        for (QAbstractButton* b : qobject_cast<QMessageBox*>(w)->buttons())
            buttons << b->text();
        w->close();
    });
    Desktop.ShowWarningDialog("Fehler beim Daten-Empfang ");
    EXPECT_EQ(title, "Warnung");
    EXPECT_EQ(buttons, QStringList{"Abbrechen"});
}
