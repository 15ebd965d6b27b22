#include "window_fixture.h"

#include "log_view.h"

#include <filesystem>

#include <sys/stat.h>

TEST_F(WindowTest, FilterTextsSetTheBounds) {
    Start();
    const struct {
        const char* Text;
        int32_t Value;
    } cases[] = {{"", 0},      {"12a", 0},  {"-5", -5},    {" 12", 12}, {"$1F", 31},
                 {"0x10", 16}, {"x10", 16}, {"-$10", -16}, {"+7", 7},   {"99999999999", 0}};
    for (const auto& c : cases) {
        Window->edt_min.SetText(c.Text);
        Window->edt_max.SetText(c.Text);
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
    Desktop.SaveAnswer = Folder.Path + "/rec.txt";
    Window->btn_save.Click();
    ASSERT_EQ(Desktop.SaveRequests.size(), 1u);
    EXPECT_EQ(Desktop.SaveRequests[0].Title, "Aufzeichnung speichern");
    EXPECT_EQ(Desktop.SaveRequests[0].DefaultExtension, "txt");
    EXPECT_EQ(Desktop.SaveRequests[0].Filter,
              (std::vector<std::string>{"*.txt", "*.txt", "alle", "*.*"}));
    EXPECT_EQ(ReadAll(Folder.Path + "/rec.txt"), "Pr\xC3\xA4"
                                                 "ambel: 111\r\nLok     3 (28 Step) R\xC3\xBC"
                                                 "ckw. Speed   8 \r\n");
    EXPECT_EQ(LastLine(), "...gespeichert");
}

TEST_F(WindowTest, SaveCancelledWritesNothing) {
    Start();
    Window->AppendMonitorLine("x");
    Desktop.SaveAnswer.clear(); // cancelled
    Window->btn_save.Click();
    EXPECT_EQ(LastLine(), "Daten konnten nicht gespeichert werden !!");
    EXPECT_TRUE(std::filesystem::is_empty(Folder.Path));
}

TEST_F(WindowTest, SaveOfAnEmptyLogWritesAnEmptyFile) {
    Start();
    Desktop.SaveAnswer = Folder.Path + "/empty.txt";
    Window->btn_save.Click();
    struct stat st;
    ASSERT_EQ(stat((Folder.Path + "/empty.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 0);
    EXPECT_EQ(Log(), TLines{"...gespeichert"});
}

TEST_F(WindowTest, SaveThatCannotWriteShowsTheErrorBoxAndAddsNoLine) {
    Start();
    Window->AppendMonitorLine("x");
    // A place that cannot be written: a file where the folder should be.
    WriteAll(Folder.Path + "/blocked", "x");
    Desktop.SaveAnswer = Folder.Path + "/blocked/rec.txt";
    Window->btn_save.Click();
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
    EXPECT_NE(Desktop.ErrorBoxes[0].Text.find("/blocked/rec.txt kann nicht geschrieben werden"),
              std::string::npos)
        << Desktop.ErrorBoxes[0].Text;
    EXPECT_EQ(Log(), TLines{"x"});
}

TEST_F(WindowTest, SaveReplacesAnExistingFileWhole) {
    Start();
    const std::string path = Folder.Path + "/rec.txt";
    WriteAll(path, "an older and much longer recording\r\n");
    Window->AppendMonitorLine("neu");
    Desktop.SaveAnswer = path;
    Window->btn_save.Click();
    EXPECT_EQ(ReadAll(path), "neu\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file left";
}

namespace {

std::size_t FilesIn(const std::string& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                  std::filesystem::directory_iterator()));
}

} // namespace

// "speichern" twice to one name, "Ja" to the overwrite question: the second
// file replaces the first (on Windows the C runtime's rename refused to).
TEST_F(WindowTest, SaveTwiceToTheSameNameReplacesTheFirstFile) {
    Start();
    const std::string path = Folder.Path + "/aufnahme.txt";
    Window->AppendMonitorLine("eins");
    Desktop.SaveAnswer = path;
    Window->btn_save.Click();
    Window->AppendMonitorLine("zwei");
    Window->btn_save.Click();
    for (const TTestPlatform::TBox& box : Desktop.ErrorBoxes)
        ADD_FAILURE() << box.Text;
    EXPECT_EQ(ReadAll(path), "eins\r\n...gespeichert\r\nzwei\r\n");
    EXPECT_EQ(Log(), (TLines{"eins", "...gespeichert", "zwei", "...gespeichert"}));
    EXPECT_EQ(FilesIn(Folder.Path), 1u) << "no temporary file left";
}

// A file the user marked read-only (Windows: the read-only attribute) is not
// replaced behind the mark: the error box says why, the file stays.
TEST_F(WindowTest, SaveOverAFileMarkedReadOnlyShowsWhyAndKeepsIt) {
    namespace fs = std::filesystem;
    Start();
    const std::string path = Folder.Path + "/rec.txt";
    WriteAll(path, "kept\r\n");
    const fs::perms writable =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(path, writable, fs::perm_options::remove);
    Window->AppendMonitorLine("neu");
    Desktop.SaveAnswer = path;
    Window->btn_save.Click();
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
    EXPECT_EQ(Desktop.ErrorBoxes[0].Text, "Datei " + path +
                                              " kann nicht geschrieben werden: schreibgesch\xC3\xBC"
                                              "tzt");
    EXPECT_EQ(ReadAll(path), "kept\r\n");
    EXPECT_EQ(Log(), TLines{"neu"});
    EXPECT_EQ(FilesIn(Folder.Path), 1u);
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
}

#ifndef _WIN32
// A link chosen in the dialog stays a link to the file it names, and that
// file keeps its permissions.
TEST_F(WindowTest, SaveThroughALinkWritesItsFileAndKeepsLinkAndPermissions) {
    Start();
    const std::string real = Folder.Path + "/real.txt";
    const std::string link = Folder.Path + "/rec.txt";
    WriteAll(real, "old\r\n");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real.txt", link.c_str()), 0);
    Window->AppendMonitorLine("neu");
    Desktop.SaveAnswer = link;
    Window->btn_save.Click();
    EXPECT_TRUE(Desktop.ErrorBoxes.empty());
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(real), "neu\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FilesIn(Folder.Path), 2u);
}
#endif

TEST_F(WindowTest, ClearEmptiesBothLogsAndTheVersion) {
    Start();
    Window->AppendMonitorLine("a");
    Window->AppendBitstreamLine("0101");
    Window->SetVersionText("V 1.18");
    EXPECT_EQ(Window->edt_version.Text(), "V 1.18");
    Window->btn_clear.Click();
    EXPECT_EQ(Window->Memo1.Lines.LineCount(), 0u);
    EXPECT_EQ(Window->Memo2.Lines.LineCount(), 0u);
    EXPECT_EQ(Window->edt_version.Text(), "");
}

TEST_F(WindowTest, CopyPutsTheWholeLogOnTheClipboard) {
    Start();
    Window->AppendMonitorLine("eins");
    Window->AppendMonitorLine("zwei");
    Window->btn_clipboard.Click();
    EXPECT_EQ(Desktop.Clipboard, "eins\nzwei");
    EXPECT_EQ(Window->Memo1.Lines.SelectedText().size(), 9u) << "the whole text stays selected";
}

// A log too large for the clipboard (days of lines), or a clipboard another
// program holds, is not copied: the box says so, and the clipboard and the log
// stay as they were.
TEST_F(WindowTest, ALogTooLargeForTheClipboardIsNotCopied) {
    Start();
    const size_t limit = TLogView::ClipboardLimit;
    TLogView::ClipboardLimit = 9;
    Window->AppendMonitorLine("eins");
    Window->AppendMonitorLine("zwei");
    Desktop.Clipboard = "vorher";
    Window->btn_clipboard.Click();
    EXPECT_EQ(Desktop.Clipboard, "eins\nzwei") << "as long as the limit: copied";
    Window->AppendMonitorLine("drei");
    Window->btn_clipboard.Click();
    TLogView::ClipboardLimit = limit;
    EXPECT_EQ(Desktop.Clipboard, "eins\nzwei");
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
    EXPECT_NE(Desktop.ErrorBoxes[0].Text.find("zu gro\xC3\x9F f\xC3\xBCr die Zwischenablage"),
              std::string::npos);
    EXPECT_EQ(Window->Memo1.Lines.LineCount(), 3u);
    // A clipboard held by another program is said too, not taken for done.
    Desktop.ClipboardBusy = true;
    Window->Memo1.Lines.Clear();
    Window->AppendMonitorLine("vier");
    Window->btn_clipboard.Click();
    EXPECT_EQ(Desktop.Clipboard, "eins\nzwei");
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 2u);
    EXPECT_EQ(Desktop.ErrorBoxes[1].Text, ClipboardBusyText);
}

TEST_F(WindowTest, PictureOpensTheWebPage) {
    Start();
    Window->Image1.Click();
    EXPECT_EQ(Desktop.OpenedUrls, std::vector<std::string>{DccStandardsUrl});
}

TEST_F(WindowTest, UmlautsOfTheFilterTextsReachTheDecoderAsLatin1) {
    Start();
    Window->edt_min.SetText("\xC3\xA4x\xE2\x82\xAC");
    EXPECT_EQ(Window->MinText(), "\xE4x?");
}

// A long save or copy lets the receive loop go on and shows its progress;
// it takes the lines there were when it began.
TEST_F(WindowTest, LongSaveAndCopyRunTheTicksShowProgressAndTakeTheLinesOfTheStart) {
    Start();
    const auto showAfter = TLongJob::ShowAfter, every = TLongJob::EventsEvery;
    TLongJob::ShowAfter = TLongJob::EventsEvery = std::chrono::milliseconds(0);
    std::string expected;
    for (int i = 0; i < 40000; ++i) {
        const std::string line = "Lok " + std::to_string(i) +
                                 " R\xFC"
                                 "ckw.";
        Window->AppendMonitorLine(line);
        expected += Latin1ToUtf8(line) + "\r\n";
    }
    // What a tick does while the job runs: it appends a line.
    Desktop.WhileEventsRun = [this] { Window->AppendMonitorLine("dazwischen"); };
    Desktop.SaveAnswer = Folder.Path + "/lang.txt";
    Window->btn_save.Click();
    EXPECT_EQ(ReadAll(Folder.Path + "/lang.txt"), expected);
    EXPECT_GT(Desktop.EventRuns, 0);
    ASSERT_FALSE(Desktop.ProgressShown.empty());
    EXPECT_EQ(Desktop.ProgressShown.front().first, "Aufzeichnung wird gespeichert \xE2\x80\xA6");
    EXPECT_TRUE(std::is_sorted(Desktop.ProgressShown.begin(), Desktop.ProgressShown.end(),
                               [](const auto& a, const auto& b) { return a.second < b.second; }));
    EXPECT_LE(Desktop.ProgressShown.back().second, 100);
    EXPECT_EQ(Desktop.ProgressHidden, 1);
    const TLines log = Log();
    EXPECT_EQ(CountOf(log, "dazwischen"), Desktop.EventRuns);
    EXPECT_EQ(LastLine(), "...gespeichert");

    // The copy takes the whole log as it was when the button was clicked.
    const size_t lines = Window->Memo1.Lines.LineCount();
    Desktop.ProgressShown.clear();
    Window->btn_clipboard.Click();
    EXPECT_EQ(std::count(Desktop.Clipboard.begin(), Desktop.Clipboard.end(), '\n'),
              static_cast<long>(lines - 1));
    EXPECT_EQ(Desktop.Clipboard.substr(0, 13), "Lok 0 R\xC3\xBC"
                                               "ckw.");
    EXPECT_FALSE(Desktop.ProgressShown.empty());
    EXPECT_EQ(Desktop.ProgressHidden, 2);
    TLongJob::ShowAfter = showAfter;
    TLongJob::EventsEvery = every;
}
