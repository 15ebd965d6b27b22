#include "first_start_file.h"
#include "temp_folder.h"
#include "window_fixture.h"

#include <sys/stat.h>

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
    EXPECT_EQ(Window->Caption(), "Fennox V1.18");
    EXPECT_TRUE(Window->rad_com5.Checked());
    EXPECT_TRUE(Window->btnStart.Enabled());
    EXPECT_FALSE(Window->btnStop.Enabled());
    EXPECT_TRUE(Window->btnCheck.Enabled());
    EXPECT_TRUE(Window->btnClose.Enabled());
    EXPECT_FALSE(Window->Timer1.Running());
    EXPECT_EQ(Window->Timer1.Interval(), 10);
    EXPECT_EQ(Window->ReadSize, 255);
    for (TSwitch s : AllSwitches)
        EXPECT_FALSE(Window->IsChecked(s)) << SwitchName(s);
    EXPECT_TRUE(Window->edt_min.Enabled());
    EXPECT_TRUE(Window->edt_max.Enabled());
    EXPECT_EQ(Window->edt_min.Text(), "0");
    EXPECT_EQ(Window->edt_max.Text(), "9999");
    EXPECT_EQ(Window->FilterMin(), 0);
    EXPECT_EQ(Window->FilterMax(), 9999);
    EXPECT_EQ(Window->Geometry().Left, 10);
    EXPECT_EQ(Window->Geometry().Top, 10);
    EXPECT_EQ(Window->Geometry().Width, 1000);
    EXPECT_EQ(Window->Geometry().Height, 637);
    EXPECT_FALSE(Window->Memo2.Visible());
    EXPECT_FALSE(Window->Splitter1.Visible());
    EXPECT_EQ(Window->Memo1.Lines.LineCount(), 0);
    EXPECT_EQ(Window->edt_version.Text(), "");
    EXPECT_FALSE(Window->GroupBoxHardware.Enabled());
}

TEST_F(WindowTest, EndeWritesTheFromScratchFile) {
    Start();
    Window->btnClose.Click();
    EXPECT_EQ(ReadAll(Ini), FirstStartFile);
    EXPECT_TRUE(Window->CloseRequested());
}

TEST_F(WindowTest, SettingsRoundTrip) {
    Start();
    Window->rad_com7.SetChecked(true);
    for (TSwitch s :
         {TSwitch::cbx_time, TSwitch::cbx_binaer, TSwitch::cbx_nur_ON, TSwitch::cbx_lokbefehle_f,
          TSwitch::cbx_idle, TSwitch::cbx_cv, TSwitch::cbx_dcc_stream, TSwitch::cbx_only_once,
          TSwitch::cbx_filter, TSwitch::cbx_bitstream, TSwitch::cbx_schrott})
        Window->SetChecked(s, true);
    Window->edt_min.SetText("$10");
    Window->edt_max.SetText("-5");
    Window->Move(40, 30);
    Window->btnClose.Click();

    Start();
    EXPECT_TRUE(Window->rad_com7.Checked());
    for (TSwitch s : {TSwitch::cbx_time, TSwitch::cbx_binaer, TSwitch::cbx_nur_ON,
                      TSwitch::cbx_lokbefehle_f, TSwitch::cbx_idle, TSwitch::cbx_cv,
                      TSwitch::cbx_dcc_stream, TSwitch::cbx_only_once, TSwitch::cbx_filter})
        EXPECT_TRUE(Window->IsChecked(s)) << SwitchName(s);
    for (TSwitch s : {TSwitch::cbx_schaltbefehle, TSwitch::cbx_lokbefehle_s, TSwitch::cbx_railcom,
                      TSwitch::cbx_sonstige, TSwitch::cbx_mot})
        EXPECT_FALSE(Window->IsChecked(s)) << SwitchName(s);
    // Not stored.
    EXPECT_FALSE(Window->cbx_bitstream.Checked());
    EXPECT_FALSE(Window->cbx_schrott.Checked());
    // The texts come back as the numbers they stood for.
    EXPECT_EQ(Window->edt_min.Text(), "16");
    EXPECT_EQ(Window->edt_max.Text(), "-5");
    EXPECT_EQ(Window->FilterMin(), 16);
    EXPECT_EQ(Window->FilterMax(), -5);
    EXPECT_EQ(Window->Geometry().Left, 40);
    EXPECT_EQ(Window->Geometry().Top, 30);
    EXPECT_TRUE(Window->btnStart.Enabled());
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
    EXPECT_TRUE(Window->rad_com1.Checked());
    EXPECT_EQ(Window->ReadSize, 32);
    EXPECT_TRUE(Window->cbx_time.Checked());
    EXPECT_TRUE(Window->cbx_binaer.Checked());
    EXPECT_FALSE(Window->cbx_idle.Checked());
    EXPECT_EQ(Window->edt_min.Text(), "0");
    EXPECT_EQ(Window->FilterMin(), 0);
    EXPECT_EQ(Window->Geometry().Width, 1000);

    Window->edt_max.SetText("12x");
    Window->btnClose.Click();
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
    EXPECT_TRUE(Window->rad_com1.Checked());
    EXPECT_TRUE(Window->btnStart.Enabled());
    EXPECT_FALSE(Window->btnStop.Enabled());
}

TEST_F(WindowTest, CloseBoxStoresNothing) {
    const std::string original = "[SETTINGS]\r\n; keep me\r\nCOM-Port=3\r\n";
    StartWithSettings(original);
    Window->cbx_cv.SetChecked(true);
    // The close box ends the program without the handler of "Ende".
    Window.reset();
    EXPECT_EQ(ReadAll(Ini), original);
}

TEST_F(WindowTest, StoredFilterOnEnablesTheFieldsAndFollowsTheSwitch) {
    StartWithSettings("[FILTER]\r\nFILTER=1\r\nMin=3\r\nMax=$20\r\n");
    EXPECT_TRUE(Window->cbx_filter.Checked());
    EXPECT_TRUE(Window->edt_min.Enabled());
    EXPECT_EQ(Window->FilterMax(), 32);
    EXPECT_EQ(Window->edt_max.Text(), "32");
    Window->cbx_filter.SetChecked(false);
    EXPECT_FALSE(Window->edt_min.Enabled());
    EXPECT_FALSE(Window->edt_max.Enabled());
    Window->cbx_filter.SetChecked(true);
    EXPECT_TRUE(Window->edt_min.Enabled());
    EXPECT_TRUE(Window->edt_max.Enabled());
}

TEST_F(WindowTest, PortsSectionIsReadAndKept) {
    StartWithSettings("[Ports]\r\nCOM5=/dev/pts/77\r\n");
    EXPECT_EQ(Window->rad_com5.Hint(), "/dev/pts/77");
    EXPECT_EQ(Window->rad_com1.Hint(), "/dev/ttyS0");
    Window->btnClose.Click();
    EXPECT_EQ(ReadAll(Ini).substr(0, 29), "[Ports]\r\nCOM5=/dev/pts/77\r\n\r\n");
    SetPortOverrides({});
}

TEST_F(WindowTest, PositionOnNoScreenFallsBackToTheFirstStartPlace) {
    StartWithSettings("[Window]\r\nTop=-5000\r\nLeft=90000\r\n");
    EXPECT_EQ(Window->Geometry().Left, 10);
    EXPECT_EQ(Window->Geometry().Top, 10);
}

TEST_F(WindowTest, UnreadableSettingsFileStopsTheStart) {
    std::filesystem::create_directory(Ini); // a folder where the file should be
    EXPECT_THROW(Start(), std::runtime_error);
}

TEST_F(WindowTest, FailedStoreKeepsTheWindowOpen) {
    Start();
    std::filesystem::create_directory(Ini);
    Window->btnClose.Click();
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
    EXPECT_EQ(Desktop.ErrorBoxes[0].Caption, "Fennox");
    EXPECT_FALSE(Window->CloseRequested());
}

TEST_F(WindowTest, ReadOnlySettingsFileGivesTheErrorBoxAndStaysAsItWas) {
    const std::string text = "[SETTINGS]\r\nCOM-Port=3\r\n";
    StartWithSettings(text);
    ::chmod(Ini.c_str(), 0444);
    Window->btnClose.Click();
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
    const std::string message = Desktop.ErrorBoxes[0].Text;
    EXPECT_NE(message.find("kann nicht geschrieben werden"), std::string::npos) << message;
    EXPECT_NE(message.find(Ini), std::string::npos) << message;
    EXPECT_FALSE(Window->CloseRequested());
    EXPECT_EQ(ReadAll(Ini), text);
    ::chmod(Ini.c_str(), 0644);
    // "Ende" can be used again once the file may be written.
    Window->btnClose.Click();
    EXPECT_TRUE(Window->CloseRequested());
    EXPECT_NE(ReadAll(Ini).find("COM-Port=3\r\n"), std::string::npos);
}

// An installed program: its folder takes no file from the user (here it does
// not exist, which needs no second user account), so the settings live in
// the user's configuration folder, made by the first "Ende".
struct InstalledWindowTest : WindowTest {
    std::string Config = Folder.Path + "/config";
    std::string UserIni = Config + "/fennox/fennox.ini";
    TScopedEnv Xdg{"XDG_CONFIG_HOME", Config};

    InstalledWindowTest() { Desktop.Program = Folder.Path + "/usr/bin/fennox"; }
};

TEST_F(InstalledWindowTest, EndeWritesTheFirstStartFileInTheUserFolderAndTheNextStartReadsIt) {
    Start();
    EXPECT_EQ(Window->SettingsPath(), UserIni);
    Window->btnClose.Click();
    EXPECT_TRUE(Desktop.ErrorBoxes.empty());
    EXPECT_TRUE(Window->CloseRequested());
    EXPECT_EQ(ReadAll(UserIni), FirstStartFile);

    Start();
    EXPECT_FALSE(Window->cbx_cv.Checked());
    Window->cbx_cv.SetChecked(true);
    Window->rad_com2.SetChecked(true);
    Window->btnClose.Click();
    Start();
    EXPECT_TRUE(Window->cbx_cv.Checked());
    EXPECT_TRUE(Window->rad_com2.Checked());
}

TEST_F(InstalledWindowTest, UserFolderThatCannotBeMadeGivesTheErrorBoxAndKeepsTheWindowOpen) {
    WriteAll(Config, "a file where the folder would be");
    Start();
    Window->btnClose.Click();
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
    EXPECT_NE(Desktop.ErrorBoxes[0].Text.find("Der Ordner \"" + Config + "\""), std::string::npos)
        << Desktop.ErrorBoxes[0].Text;
    EXPECT_FALSE(Window->CloseRequested());
    EXPECT_EQ(ReadAll(Config), "a file where the folder would be");
    // Once the way is clear, "Ende" stores and closes.
    std::filesystem::remove(Config);
    Window->btnClose.Click();
    EXPECT_TRUE(Window->CloseRequested());
    EXPECT_EQ(ReadAll(UserIni), FirstStartFile);
}
