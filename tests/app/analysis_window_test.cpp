// The analysis window's logic while the main window receives from a
// pseudo-terminal: its figures are fennox-stats' for the bytes received, a
// Monitor log line's address can be traced, and the raw bytes recorded.
#include "layout_traffic.h"
#include "reception_fixture.h"
#include "run_program.h"
#include "stats_html.h"
#include "stream_builder.h"

#include <sys/stat.h>

namespace {

struct Analysis : Reception {
    double Now = 100;
    TfrmAnalyse& A() { return Window->frmAnalyse; }

    void StartReceiving(const std::string& settings = "") {
        StartMapped("[SETTINGS]\r\nDCC=1\r\n" + settings);
        A().Clock = [this] { return Now; };
        Window->btnStart.Click();
        ASSERT_TRUE(Window->Timer1.Running());
    }
    // Plays the device: a piece at a time, each read by the window's ticks.
    void Play(const std::vector<uint8_t>& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 200) {
            const std::size_t n = std::min<std::size_t>(200, bytes.size() - at);
            const uint64_t before = A().Live.Stats().Bytes;
            Send(std::vector<uint8_t>(bytes.begin() + at, bytes.begin() + at + n));
            ASSERT_TRUE(TickUntil([&] { return A().Live.Stats().Bytes == before + n; }));
        }
    }
    // The analysis window's timer, half a second later each time.
    void Refreshes(int n) {
        for (int i = 0; i < n; ++i) {
            Now += 0.5;
            A().Timer1.Fire();
        }
    }
    void Stop() {
        Window->btnStop.Click();
        ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
    }
};

std::vector<uint8_t> Traffic(double seconds, double errors) {
    TLayoutTraffic traffic(TSimMode::Dcc, 9, errors);
    std::vector<uint8_t> bytes;
    while (bytes.size() < seconds * 1920) {
        const TTrafficPiece piece = traffic.Next();
        bytes.insert(bytes.end(), piece.Bytes.begin(), piece.Bytes.end());
    }
    return bytes;
}

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// Loco 3 and loco 5 at 128 steps, and a switch command, each with a good
// error byte but for the one given.
std::vector<uint8_t> FewPackets(int badOne = -1) {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    const std::vector<std::vector<uint8_t>> packets = {{0x03, 0x3F, 0x85},
                                                       {0x05, 0x3F, 0x90},
                                                       {0x03, 0x3F, 0x86},
                                                       {0x81, 0xF9},
                                                       {0x03, 0x3F, 0x87}};
    for (std::size_t i = 0; i < packets.size(); ++i) {
        if (static_cast<int>(i) == badOne) {
            std::vector<uint8_t> bad = packets[i];
            bad.push_back(0x00);
            b.Packet(bad, 16);
        } else {
            b.DccPacket(packets[i], 16);
        }
    }
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    return b.Take();
}

} // namespace

TEST_F(Analysis, CopyGivesWhatFennoxStatsPrintsForTheBytesReceived) {
    StartReceiving();
    const std::vector<uint8_t> bytes = Traffic(20, 1e-3);
    Play(bytes);
    Window->FunctionKey(2);
    EXPECT_TRUE(A().Visible());
    A().btnKopieren.Click();

    const std::string file = TempPath("received.bin");
    WriteFile(file, Text(bytes));
    const TProgramResult r = RunProgram({FENNOX_STATS, "--json", file});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    // The same keys and counts; the bytes came from the port, not a file.
    std::string expected = r.Out;
    const std::string input = "\"input\":\"" + file + "\"";
    expected.replace(expected.find(input), input.size(), "\"input\":\"COM5\"");
    EXPECT_EQ(Desktop.Clipboard, expected);
    EXPECT_GT(A().Live.Stats().ChecksumErrors, 10u) << "the bytes had errors to count";
    Desktop.ClipboardBusy = true;
    A().btnKopieren.Click();
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u) << "a clipboard held elsewhere is said";
    EXPECT_EQ(Desktop.ErrorBoxes[0].Text, ClipboardBusyText);

    // The window shows the same figures.
    Refreshes(1);
    const TDccStats& s = A().Live.Stats();
    EXPECT_EQ(A().lblPakete.Caption().rfind("Pakete: " + std::to_string(s.Packets) +
                                                ", Pr\xC3\xBC"
                                                "fsummenfehler: " +
                                                std::to_string(s.ChecksumErrors) + " (",
                                            0),
              0u)
        << A().lblPakete.Caption();
    EXPECT_GT(A().tblArten.RowCount(), 5u);
    EXPECT_EQ(A().tblLoks.RowCount(), LocoRows(A().Live).Rows.size());
    EXPECT_FALSE(A().chtPraeambeln.Bars().empty());
}

TEST_F(Analysis, CountsFromTheStartOfReceptionOrFromZuruecksetzen) {
    StartReceiving();
    Play(FewPackets());
    EXPECT_EQ(A().Live.Stats().Packets, 5u);
    A().btnZuruecksetzen.Click();
    EXPECT_EQ(A().Live.Stats().Packets, 0u);
    EXPECT_EQ(A().tblLoks.RowCount(), 0u);
    EXPECT_EQ(A().lblPakete.Caption(), "Pakete: 0, Pr\xC3\xBC"
                                       "fsummenfehler: 0 (0,0 %)");
    Play(FewPackets());
    Stop();
    EXPECT_EQ(A().Live.Stats().Packets, 5u);
    // A new start of reception counts afresh.
    Window->btnStart.Click();
    EXPECT_EQ(A().Live.Stats().Packets, 0u);
}

TEST_F(Analysis, TheMonitorLogOffersToTraceTheAddressOfALine) {
    StartReceiving("Zeige_Lokbefehle_S=1\r\nZeige_Schaltbefehle=1\r\n");
    Play(FewPackets(2));
    const TLines log = Log();
    ASSERT_EQ(log.size(), 6u) << Joined(log);
    ASSERT_EQ(log[1].find("Lok     3"), 0u);

    // A status line: only the analysis itself.
    std::vector<TLogOwnerItem> items = Window->Memo1.Menu(0);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Caption, "&Analyse\xE2\x80\xA6");
    EXPECT_EQ(items[0].Shortcut, "F2");
    // A locomotive's line: its address too.
    items = Window->Memo1.Menu(1);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].Caption, "Adresse &verfolgen");
    items[1].Run();
    EXPECT_TRUE(A().Visible());
    EXPECT_EQ(A().Live.TracedAt(), (TPacketAddress{TAddressSpace::Short, 3}));
    // Its row is chosen, its packets from now on listed newest first.
    EXPECT_EQ(A().tblLoks.Selected(), 0);
    EXPECT_EQ(A().lblVerlauf.Caption(), "Verlauf: Lok 3 (kurz), die letzten 2000 Pakete");
    Play(FewPackets(4));
    Refreshes(1);
    ASSERT_EQ(A().tblVerlauf.RowCount(), 3u);
    EXPECT_EQ(A().tblVerlauf.Cell(0, 1), "03 3F 87 00");
    EXPECT_EQ(A().tblVerlauf.Cell(0, 3), "falsch");
    EXPECT_EQ(A().tblVerlauf.Cell(1, 3), "gut");
    EXPECT_EQ(A().tblVerlauf.Cell(2, 2), "Lok     3 (128 Step) Vorw.  Speed   4 ");
    EXPECT_EQ(A().tblVerlauf.Cell(0, 0), Desktop.Time);

    // A switch's line traces its output; choosing a row traces that one.
    const TLines again = Log();
    const auto switchLine = std::find_if(
        again.begin(), again.end(), [](const std::string& l) { return l.find("Schalten") == 0; });
    ASSERT_NE(switchLine, again.end());
    Window->Memo1.Menu(static_cast<std::size_t>(switchLine - again.begin()))[1].Run();
    EXPECT_EQ(A().Live.TracedAt(), (TPacketAddress{TAddressSpace::Accessory, 1}));
    EXPECT_EQ(A().tblLoks.Selected(), -1);
    EXPECT_EQ(A().tblZubehoer.Selected(), 0);
    A().tblLoks.Select(1);
    EXPECT_EQ(A().Live.TracedAt(), (TPacketAddress{TAddressSpace::Short, 5}));
    EXPECT_EQ(A().tblZubehoer.Selected(), -1);
}

TEST_F(Analysis, ShownOnlyWhenAskedAndTheCloseBoxHidesIt) {
    StartReceiving();
    EXPECT_FALSE(A().Visible());
    Play(FewPackets());
    Refreshes(1);
    EXPECT_EQ(A().tblLoks.RowCount(), 0u) << "a hidden window is not refreshed";
    Window->FunctionKey(2);
    EXPECT_EQ(A().tblLoks.RowCount(), 2u);
    EXPECT_TRUE(A().HidesOnClose());
}

TEST_F(Analysis, TheReportIsFennoxStatsPageSavedWhole) {
    StartReceiving();
    Play(FewPackets(1));
    const std::string page = Folder.Path + "/bericht.html";
    Desktop.SaveAnswer = page;
    A().btnBericht.Click();
    ASSERT_EQ(Desktop.SaveRequests.size(), 1u);
    EXPECT_EQ(Desktop.SaveRequests[0].DefaultExtension, "html");
    EXPECT_EQ(ReadAll(page), HtmlReport(A().Live.Stats(), "COM5"));
    EXPECT_TRUE(Desktop.ErrorBoxes.empty());
    // A file marked read-only is kept, and the box says why.
    chmod(page.c_str(), 0444);
    if (geteuid() != 0) {
        A().btnBericht.Click();
        ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
        EXPECT_NE(Desktop.ErrorBoxes[0].Text.find("kann nicht geschrieben werden"),
                  std::string::npos);
    }
}

TEST_F(Analysis, RawBytesAreRecordedExactlyUntilStop) {
    StartReceiving();
    const std::vector<uint8_t> before = Traffic(1, 0);
    Play(before);
    const std::string file = Folder.Path + "/roh.bin";
    Desktop.SaveAnswer = file;
    A().btnAufzeichnen.Click();
    EXPECT_EQ(A().btnAufzeichnen.Caption(), "Aufzeichnung beenden");
    const std::vector<uint8_t> recorded = Traffic(3, 1e-3);
    Play(recorded);
    // The ticks only took the bytes; the analysis window's timer writes them.
    EXPECT_EQ(ReadAll(file), "");
    Refreshes(1);
    for (int i = 0; i < 500 && A().Recording.BytesWritten() < recorded.size(); ++i) {
        Refreshes(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_EQ(ReadAll(file), Text(recorded));
    EXPECT_EQ(A().lblAufzeichnung.Caption(),
              "Aufzeichnung: " + file + ", " + std::to_string(recorded.size()) + " Bytes");

    // Stop ends it: what came is written, then the file is closed.
    Play(FewPackets());
    Stop();
    for (int i = 0; i < 500 && A().Recording.Open(); ++i) {
        Refreshes(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(A().Recording.Open());
    const std::vector<uint8_t> few = FewPackets();
    EXPECT_EQ(ReadAll(file), Text(recorded) + Text(few));
    EXPECT_EQ(A().btnAufzeichnen.Caption(), "Rohdaten aufzeichnen\xE2\x80\xA6");
    EXPECT_EQ(A().lblAufzeichnung.Caption(), "Aufzeichnung beendet: " + file + ", " +
                                                 std::to_string(recorded.size() + few.size()) +
                                                 " Bytes");
}

TEST_F(Analysis, AFileThatCannotBeWrittenEndsTheRecordingNotTheReception) {
    StartReceiving();
    Desktop.SaveAnswer = "/dev/full";
    A().btnAufzeichnen.Click();
    Play(FewPackets());
    for (int i = 0; i < 500 && A().Recording.Open(); ++i) {
        Refreshes(1);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 1u);
    EXPECT_EQ(Desktop.ErrorBoxes[0].Text,
              "Die Aufzeichnung in /dev/full ist beendet: No space left on device. Was bis dahin "
              "empfangen wurde, steht in der Datei; der Empfang l\xC3\xA4uft weiter.");
    Refreshes(3);
    EXPECT_EQ(Desktop.ErrorBoxes.size(), 1u) << "told once";
    EXPECT_TRUE(Window->Timer1.Running());
    EXPECT_EQ(A().btnAufzeichnen.Caption(), "Rohdaten aufzeichnen\xE2\x80\xA6");
    EXPECT_EQ(A().lblAufzeichnung.Caption().rfind(
                  "Aufzeichnung abgebrochen (No space left on device)", 0),
              0u);
    Play(FewPackets());
    EXPECT_EQ(A().Live.Stats().Packets, 10u);

    // A file that cannot be made: the box says so, nothing is recorded.
    Desktop.SaveAnswer = Folder.Path + "/kein/ordner.bin";
    A().btnAufzeichnen.Click();
    ASSERT_EQ(Desktop.ErrorBoxes.size(), 2u);
    EXPECT_EQ(Desktop.ErrorBoxes[1].Text,
              "Datei " + Desktop.SaveAnswer +
                  " kann nicht angelegt werden: No such file or directory");
    EXPECT_FALSE(A().Recording.Open());
}
