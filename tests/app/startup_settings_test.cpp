#include "first_start_file.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

const TSwitch AllSwitches[] = {
    TSwitch::cbx_time,          TSwitch::cbx_binaer,    TSwitch::cbx_bitstream,
    TSwitch::cbx_schrott,       TSwitch::cbx_only_once, TSwitch::cbx_filter,
    TSwitch::cbx_schaltbefehle, TSwitch::cbx_nur_ON,    TSwitch::cbx_lokbefehle_s,
    TSwitch::cbx_lokbefehle_f,  TSwitch::cbx_railcom,   TSwitch::cbx_idle,
    TSwitch::cbx_sonstige,      TSwitch::cbx_cv,        TSwitch::cbx_mot,
    TSwitch::cbx_dcc_stream};

} // namespace

TEST_F(WindowTest, FirstStartWithoutSettingsFile) {
    Start();
    EXPECT_EQ(Window->windowTitle(), "Fennox V1.18");
    EXPECT_TRUE(Window->rad_com5->isChecked());
    EXPECT_TRUE(Window->btnStart->isEnabled());
    EXPECT_FALSE(Window->btnStop->isEnabled());
    EXPECT_TRUE(Window->btnCheck->isEnabled());
    EXPECT_TRUE(Window->btnClose->isEnabled());
    EXPECT_FALSE(Window->Timer1->isActive());
    EXPECT_EQ(Window->Timer1->interval(), 10);
    EXPECT_EQ(Window->ReadSize, 255);
    for (TSwitch s : AllSwitches)
        EXPECT_FALSE(Window->IsChecked(s)) << SwitchName(s);
    EXPECT_TRUE(Window->edt_min->isEnabled());
    EXPECT_TRUE(Window->edt_max->isEnabled());
    EXPECT_EQ(Window->edt_min->text(), "0");
    EXPECT_EQ(Window->edt_max->text(), "9999");
    EXPECT_EQ(Window->FilterMin(), 0);
    EXPECT_EQ(Window->FilterMax(), 9999);
    EXPECT_EQ(Window->pos(), QPoint(10, 10));
    EXPECT_EQ(Window->OuterWidth(), 1000);
    EXPECT_EQ(Window->OuterHeight(), 637);
    EXPECT_FALSE(Window->Memo2->Widget()->isVisibleTo(Window.get()));
    EXPECT_EQ(Window->Memo1->LineCount(), 0);
    EXPECT_EQ(Window->edt_version->text(), "");
    EXPECT_FALSE(Window->GroupBoxHardware->isEnabled());
}

TEST_F(WindowTest, EndeWritesTheFromScratchFile) {
    Start();
    Window->btnClose->click();
    EXPECT_EQ(ReadAll(Ini), FirstStartFile);
    EXPECT_FALSE(Window->isVisible());
}

TEST_F(WindowTest, SettingsRoundTrip) {
    Start();
    Window->rad_com7->setChecked(true);
    for (TSwitch s :
         {TSwitch::cbx_time, TSwitch::cbx_binaer, TSwitch::cbx_nur_ON, TSwitch::cbx_lokbefehle_f,
          TSwitch::cbx_idle, TSwitch::cbx_cv, TSwitch::cbx_dcc_stream, TSwitch::cbx_only_once,
          TSwitch::cbx_filter, TSwitch::cbx_bitstream, TSwitch::cbx_schrott})
        Window->SetChecked(s, true);
    Window->edt_min->setText("$10");
    Window->edt_max->setText("-5");
    Window->move(40, 30);
    Window->btnClose->click();

    Start();
    EXPECT_TRUE(Window->rad_com7->isChecked());
    for (TSwitch s : {TSwitch::cbx_time, TSwitch::cbx_binaer, TSwitch::cbx_nur_ON,
                      TSwitch::cbx_lokbefehle_f, TSwitch::cbx_idle, TSwitch::cbx_cv,
                      TSwitch::cbx_dcc_stream, TSwitch::cbx_only_once, TSwitch::cbx_filter})
        EXPECT_TRUE(Window->IsChecked(s)) << SwitchName(s);
    for (TSwitch s : {TSwitch::cbx_schaltbefehle, TSwitch::cbx_lokbefehle_s, TSwitch::cbx_railcom,
                      TSwitch::cbx_sonstige, TSwitch::cbx_mot})
        EXPECT_FALSE(Window->IsChecked(s)) << SwitchName(s);
    // Not stored.
    EXPECT_FALSE(Window->cbx_bitstream->isChecked());
    EXPECT_FALSE(Window->cbx_schrott->isChecked());
    // The texts come back as the numbers they stood for.
    EXPECT_EQ(Window->edt_min->text(), "16");
    EXPECT_EQ(Window->edt_max->text(), "-5");
    EXPECT_EQ(Window->FilterMin(), 16);
    EXPECT_EQ(Window->FilterMax(), -5);
    EXPECT_EQ(Window->pos(), QPoint(40, 30));
    EXPECT_TRUE(Window->btnStart->isEnabled());
}

TEST_F(WindowTest, StoredEdgeCases) {
    StartWithSettings("; a comment\r\n"
                      "before=1\r\n"
                      "[SETTINGS]\r\n"
                      "COM-Port=12\r\n"
                      "Buffersize=0x20\r\n"
                      "Unknown=7\r\n"
                      "Zeige_Zeit=2\r\n"
                      "zeige_bin = 1\r\n"
                      "Zeige_Idle=yes\r\n"
                      "[FILTER]\r\n"
                      "Min=abc\r\n"
                      "[Window]\r\n"
                      "Width=560\r\n");
    EXPECT_TRUE(Window->rad_com1->isChecked());
    EXPECT_EQ(Window->ReadSize, 32);
    EXPECT_TRUE(Window->cbx_time->isChecked());
    EXPECT_TRUE(Window->cbx_binaer->isChecked());
    EXPECT_FALSE(Window->cbx_idle->isChecked());
    EXPECT_EQ(Window->edt_min->text(), "0");
    EXPECT_EQ(Window->FilterMin(), 0);
    EXPECT_EQ(Window->OuterWidth(), 1000);

    Window->edt_max->setText("12x");
    Window->btnClose->click();
    const std::string stored = ReadAll(Ini);
    EXPECT_EQ(stored.find("comment"), std::string::npos);
    EXPECT_EQ(stored.find("before"), std::string::npos);
    EXPECT_EQ(stored.substr(0, 77), "[SETTINGS]\r\n"
                                    "COM-Port=1\r\n"
                                    "Buffersize=32\r\n"
                                    "Unknown=7\r\n"
                                    "Zeige_Zeit=1\r\n"
                                    "Zeige_bin=1\r\n");
    EXPECT_NE(stored.find("Zeige_Idle=0\r\n"), std::string::npos);
    EXPECT_NE(stored.find("Max=0\r\n"), std::string::npos);
    EXPECT_NE(stored.find("Width=1000\r\n"), std::string::npos);
}

TEST_F(WindowTest, PortOneFromTheFileKeepsStartEnabled) {
    StartWithSettings("[SETTINGS]\r\nCOM-Port=1\r\n");
    EXPECT_TRUE(Window->rad_com1->isChecked());
    EXPECT_TRUE(Window->btnStart->isEnabled());
    EXPECT_FALSE(Window->btnStop->isEnabled());
}

TEST_F(WindowTest, CloseBoxStoresNothing) {
    const std::string original = "[SETTINGS]\r\n; keep me\r\nCOM-Port=3\r\n";
    StartWithSettings(original);
    Window->cbx_cv->setChecked(true);
    Window->show();
    Window->close();
    EXPECT_EQ(ReadAll(Ini), original);
}

TEST_F(WindowTest, StoredFilterOnEnablesTheFieldsAndFollowsTheSwitch) {
    StartWithSettings("[FILTER]\r\nFILTER=1\r\nMin=3\r\nMax=$20\r\n");
    EXPECT_TRUE(Window->cbx_filter->isChecked());
    EXPECT_TRUE(Window->edt_min->isEnabled());
    EXPECT_EQ(Window->FilterMax(), 32);
    EXPECT_EQ(Window->edt_max->text(), "32");
    Window->cbx_filter->setChecked(false);
    EXPECT_FALSE(Window->edt_min->isEnabled());
    EXPECT_FALSE(Window->edt_max->isEnabled());
    Window->cbx_filter->setChecked(true);
    EXPECT_TRUE(Window->edt_min->isEnabled());
    EXPECT_TRUE(Window->edt_max->isEnabled());
}

TEST_F(WindowTest, PortsSectionIsReadAndKept) {
    StartWithSettings("[Ports]\r\nCOM5=/dev/pts/77\r\n");
    EXPECT_EQ(Window->rad_com5->toolTip(), "/dev/pts/77");
    EXPECT_EQ(Window->rad_com1->toolTip(), "/dev/ttyS0");
    Window->btnClose->click();
    EXPECT_EQ(ReadAll(Ini).substr(0, 29), "[Ports]\r\nCOM5=/dev/pts/77\r\n\r\n");
    SetPortOverrides({});
}

TEST_F(WindowTest, PositionOnNoScreenFallsBackToTheFirstStartPlace) {
    StartWithSettings("[Window]\r\nTop=-5000\r\nLeft=90000\r\n");
    EXPECT_EQ(Window->pos(), QPoint(10, 10));
}

TEST_F(WindowTest, UnreadableSettingsFileStopsTheStart) {
    QDir().mkdir(Ini); // a folder where the file should be
    EXPECT_THROW(Start(), std::runtime_error);
}

TEST_F(WindowTest, FailedStoreKeepsTheWindowOpen) {
    Start();
    Window->show();
    QDir().mkdir(Ini);
    QString caption;
    WhenModal([&](QWidget* box) {
        caption = box->windowTitle();
        box->close();
    });
    Window->btnClose->click();
    EXPECT_EQ(caption, "Fennox");
    EXPECT_TRUE(Window->isVisible());
}

TEST_F(WindowTest, ReadOnlySettingsFileGivesTheErrorBoxAndStaysAsItWas) {
    const std::string text = "[SETTINGS]\r\nCOM-Port=3\r\n";
    StartWithSettings(text);
    Window->show();
    QFile::setPermissions(Ini,
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    QString caption, message;
    WhenModal([&](QWidget* box) {
        caption = box->windowTitle();
        if (auto* m = qobject_cast<QMessageBox*>(box))
            message = m->text();
        box->close();
    });
    Window->btnClose->click();
    EXPECT_EQ(caption, "Fennox");
    EXPECT_TRUE(message.contains("kann nicht geschrieben werden")) << message.toStdString();
    EXPECT_TRUE(message.contains(Ini)) << message.toStdString();
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(ReadAll(Ini), text);
    QFile::setPermissions(Ini, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // "Ende" can be used again once the file may be written.
    Window->btnClose->click();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_NE(ReadAll(Ini).find("COM-Port=3\r\n"), std::string::npos);
}
