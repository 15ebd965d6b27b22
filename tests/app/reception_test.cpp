#include "reception_fixture.h"
#include "stream_builder.h"
#include "sys_calls_guard.h"
#include "temp_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <unistd.h>

namespace {

// A second pseudo-terminal, for a second port choice.
struct TSecondPort {
    int Master = -1;
    std::string SlavePath;
    TSecondPort() {
        int slave = -1;
        char name[128];
        if (openpty(&Master, &slave, name, nullptr, nullptr) == 0) {
            close(slave);
            SlavePath = name;
        }
    }
    ~TSecondPort() {
        if (Master >= 0)
            close(Master);
    }
};

// How many of this process's descriptors point at the device.
int DescriptorsOn(const std::string& path) {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (!dir)
        return -1;
    while (dirent* e = readdir(dir)) {
        char target[256];
        const std::string link = std::string("/proc/self/fd/") + e->d_name;
        const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == path)
            ++count;
    }
    closedir(dir);
    return count;
}

std::vector<uint8_t> IdleTraffic(int packets) {
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    for (int i = 0; i < packets; ++i)
        b.Packet({0xFF, 0x00, 0xFF});
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    return b.Take();
}

} // namespace

TEST_F(Reception, StartDecodeStop) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\n");
    Window->btnStart.Click();
    EXPECT_EQ(LastLine(), "COM5 ge\u00f6ffnet");
    EXPECT_TRUE(Window->Timer1.Running());
    EXPECT_FALSE(Window->btnStart.Enabled());
    EXPECT_TRUE(Window->btnStop.Enabled());
    EXPECT_FALSE(Window->btnCheck.Enabled());
    EXPECT_FALSE(Window->btnClose.Enabled());

    Send(IdleTraffic(5));
    ASSERT_TRUE(TickUntil([&] { return CountOf(Log(), "Idle Packet") == 5; })) << Log().size();
    EXPECT_TRUE(Window->cbx_dcc_stream.Checked()) << "the info record switched DCC on";
    EXPECT_EQ(Window->edt_version.Text(), "V 1.18");

    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
    const TLines log = Log();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[log.size() - 2], "COM geschlossen");
    EXPECT_EQ(log.back(), "Empfang gestoppt");
    EXPECT_TRUE(Window->btnClose.Enabled());
    EXPECT_TRUE(Window->btnCheck.Enabled());
    EXPECT_TRUE(Window->btnStart.Enabled());

    // The port was closed: a second start opens it again.
    Window->btnStart.Click();
    EXPECT_EQ(LastLine(), "COM5 ge\u00f6ffnet");
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
}

TEST_F(Reception, ClearWhileReceivingKeepsReceiving) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\nOnly_Once=1\r\n");
    Window->btnStart.Click();
    Send(IdleTraffic(3));
    ASSERT_TRUE(TickUntil([&] { return Contains(Log(), "Idle Packet"); }));
    Window->btn_clear.Click();
    EXPECT_EQ(Window->Memo1.Lines.LineCount(), 0);
    // The repeat suppression still remembers the idle packet.
    Send(IdleTraffic(3));
    TStreamBuilder b;
    b.DccPacket({0x03, 0x75});
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    Window->cbx_lokbefehle_s.SetChecked(true);
    Send(b.Take());
    ASSERT_TRUE(
        TickUntil([&] { return Contains(Log(), "Lok     3 (28 Step) Vorw.  Speed   8 "); }));
    EXPECT_FALSE(Contains(Log(), "Idle Packet"));
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
}

TEST_F(Reception, ChoosingAnotherPortStopsReception) {
    StartMapped();
    Window->btnStart.Click();
    ASSERT_TRUE(Window->Timer1.Running());
    Window->rad_com3.SetChecked(true);
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
    EXPECT_EQ(Tail(Log(), 2), (TLines{"COM geschlossen", "Empfang gestoppt"}));
    EXPECT_FALSE(Window->btnCheck.Enabled()) << "only Stop or a failure enables the search";
    EXPECT_TRUE(Window->btnStart.Enabled());
}

TEST_F(Reception, UnpluggedDeviceShowsTheReceiveDataBoxThenStops) {
    StartMapped();
    Window->btnStart.Click();
    close(Master);
    Master = -1;
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
    ASSERT_EQ(Desktop.CommBoxes.size(), 1u);
    const std::string caption = Desktop.CommBoxes[0].Caption;
    EXPECT_EQ(caption, "ReceiveData");
    EXPECT_EQ(Tail(Log(), 2), (TLines{"COM geschlossen", "Empfang gestoppt"}));
    EXPECT_FALSE(Window->btnCheck.Enabled());
    EXPECT_TRUE(Window->btnClose.Enabled());
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
}

TEST_F(Reception, StartWhileTheReceiveDataBoxIsOpenEndsTheOldReceptionOnce) {
    StartMapped();
    Window->btnStart.Click();
    bool clicked = false;
    Desktop.WhileCommBoxOpen = [&](const TTestPlatform::TBox&) {
        // The user presses Start before closing the box: the stop the failed
        // read requested is carried out first, then the new open is tried.
        // The gone device's name must stay gone: a test running beside this
        // one may get the freed pseudo-terminal number the moment it is closed.
        SetPortOverrides({{"COM5", SlavePath + "-unplugged"}});
        Window->btnStart.Click();
        clicked = true;
    };
    close(Master);
    Master = -1;
    ASSERT_TRUE(TickUntil([&] { return clicked && Stopped(); }));
    // Let a few more ticks' worth of events pass: nothing is logged twice.
    TickUntil([] { return false; }, 100);
    EXPECT_EQ(Desktop.CommBoxes.size(), 1u);
    const TLines log = Log();
    EXPECT_EQ(CountOf(log, "COM geschlossen"), 1) << Joined(log);
    EXPECT_EQ(CountOf(log, "Empfang gestoppt"), 1);
    EXPECT_EQ(log.back(), "kein COM5-Port") << "the device is gone, so the new open fails";
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
    EXPECT_TRUE(Window->btnClose.Enabled());
}

TEST_F(Reception, StopAndStartBeforeTheNextTickReopenThePort) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\n");
    for (int round = 0; round < 3; ++round) {
        Window->btnStart.Click();
        ASSERT_EQ(LastLine(), "COM5 ge\u00f6ffnet") << round;
        Send(IdleTraffic(2));
        TickUntil([&] { return CountOf(Log(), "Idle Packet") >= 2 * (round + 1); });
        // Both clicks in one batch, as from a busy window: no tick between.
        Window->btnStop.Click();
        Window->btnStart.Click();
        const TLines log = Log();
        ASSERT_GE(log.size(), 3);
        EXPECT_EQ(Tail(log, 3),
                  (TLines{"COM geschlossen", "Empfang gestoppt", "COM5 ge\u00f6ffnet"}))
            << log.size();
        EXPECT_TRUE(Window->Timer1.Running());
        EXPECT_TRUE(Window->btnStop.Enabled());
        EXPECT_EQ(DescriptorsOn(SlavePath), 1);
        Window->btnStop.Click();
        ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
    }
    EXPECT_FALSE(Contains(Log(), "kein COM5-Port"));
    EXPECT_EQ(DescriptorsOn(SlavePath), 0) << "no descriptor points at the port after the stop";
}

TEST_F(Reception, AnotherPortAndStartBeforeTheNextTickCloseTheFirstPort) {
    TSecondPort com6;
    ASSERT_FALSE(com6.SlavePath.empty());
    StartMapped();
    SetPortOverrides({{"COM5", SlavePath}, {"COM6", com6.SlavePath}});
    Window->btnStart.Click();
    ASSERT_EQ(DescriptorsOn(SlavePath), 1);
    Window->rad_com6.SetChecked(true);
    Window->btnStart.Click();
    EXPECT_EQ(Tail(Log(), 3),
              (TLines{"COM geschlossen", "Empfang gestoppt", "COM6 ge\u00f6ffnet"}));
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
    EXPECT_EQ(DescriptorsOn(com6.SlavePath), 1);
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
    EXPECT_EQ(DescriptorsOn(com6.SlavePath), 0);
}

TEST_F(Reception, StopAndSearchBeforeTheNextTickFindOurOwnPort) {
    StartMapped();
    SetPortOverrides({{"COM5", SlavePath}});
    Window->btnStart.Click();
    Window->btnStop.Click();
    Window->btnCheck.Click();
    const TLines log = Log();
    const auto indexOf = [&](const std::string& line) {
        return static_cast<int>(std::find(log.begin(), log.end(), line) - log.begin());
    };
    const int closed = indexOf("COM geschlossen");
    ASSERT_LT(closed + 1, static_cast<int>(log.size())) << Joined(log);
    EXPECT_EQ(log[static_cast<std::size_t>(closed) + 1], "Empfang gestoppt");
    EXPECT_LT(closed, indexOf("COM5 OK")) << "the stop comes before the search";
    EXPECT_TRUE(Window->rad_com5.Enabled());
    EXPECT_TRUE(Stopped());
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
}

TEST_F(Reception, BufferSizeBelowOneReadsAtTheDefaultPace) {
    for (const char* size : {"0", "-5"}) {
        StartMapped(std::string("[SETTINGS]\r\nZeige_Idle=1\r\nBuffersize=") + size + "\r\n");
        Window->btnStart.Click();
        // About 1,300 bytes: a second and more at one byte a tick, a few
        // ticks at 255.
        Send(IdleTraffic(200));
        EXPECT_TRUE(TickUntil([&] { return CountOf(Log(), "Idle Packet") == 200; }, 2500))
            << size << ": " << CountOf(Log(), "Idle Packet");
        Window->btnStop.Click();
        ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
        Window->btnClose.Click();
        EXPECT_NE(ReadAll(Ini).find(std::string("Buffersize=") + size + "\r\n"), std::string::npos)
            << "the settings file gets back the value it held";
        Window.reset();
    }
}

TEST_F(Reception, MissingPortLogsItsFailedLine) {
    StartWithSettings("[Ports]\r\nCOM5=/nonexistent/tty\r\n");
    Window->btnStart.Click();
    EXPECT_EQ(LastLine(), "kein COM5-Port");
    EXPECT_TRUE(Window->btnStart.Enabled());
    EXPECT_FALSE(Window->Timer1.Running());
}

TEST_F(Reception, PortSearchEnablesOnlyTheFoundChoices) {
    StartWithSettings("[Ports]\r\nCOM1=/nonexistent/a\r\nCOM2=/nonexistent/b\r\nCOM3=" + SlavePath +
                      "\r\nCOM4=/nonexistent/d\r\nCOM5=/nonexistent/e\r\n"
                      "COM6=/nonexistent/f\r\nCOM7=/nonexistent/g\r\nCOM8=/nonexistent/h\r\n"
                      "COM9=/nonexistent/i\r\n");
    Window->btnCheck.Click();
    EXPECT_EQ(Log(), (TLines{"kein COM1-Port", "kein COM2-Port", "COM3 OK", "kein COM4-Port",
                             "kein COM5-Port", "kein COM6-Port", "kein COM7-Port", "kein COM8-Port",
                             "kein COM9-Port"}));
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Window->RadCom[i]->Enabled(), i == 2) << i;
    // The selected choice stays selected while disabled.
    EXPECT_TRUE(Window->rad_com5.Checked());
}

TEST_F(Reception, GaugeTurnsRedAboveEightyPercent) {
    Start();
    EXPECT_EQ(Window->ProgressBar2.Max(), 4096);
    Window->SetGauge(0);
    EXPECT_EQ(Window->ProgressBar2.BarColor(), 0x800000u);
    Window->SetGauge(3276);
    EXPECT_EQ(Window->ProgressBar2.Position(), 3276);
    EXPECT_EQ(Window->ProgressBar2.BarColor(), 0x800000u);
    Window->SetGauge(3277);
    EXPECT_EQ(Window->ProgressBar2.BarColor(), 0x0000FFu);
    Window->SetGauge(5000);
    EXPECT_EQ(Window->ProgressBar2.Position(), 4096);
    EXPECT_EQ(Window->ProgressBar2.BarColor(), 0x0000FFu);
}

// A port that is there but refuses this user (not in "dialout"): the log
// keeps its line, the choice's tooltip says why, and it says only the device
// again once an open succeeds. Root opens anything, so a root run checks it
// as "nobody" in a child process, with the port given to nobody so that the
// child can grant itself access; the exit code names the failed check.
TEST_F(Reception, RefusedAccessIsExplainedInThePortChoicesTooltip) {
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(SlavePath.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(SlavePath.c_str(), 0), 0);
    ASSERT_EQ(::chmod(Folder.Path.c_str(), 0777), 0);
    const std::string advice = "\nKein Zugriff auf den Port: Der Benutzer muss in der Gruppe "
                               "\"dialout\" sein (danach neu anmelden).";
    const int status = RunAsOrdinaryUser([&] {
        StartWithSettings("[Ports]\r\nCOM5=" + SlavePath + "\r\nCOM6=/nonexistent/x\r\n");
        Window->btnStart.Click();
        if (LastLine() != "kein COM5-Port")
            return 10;
        if (Window->rad_com5.Hint() != SlavePath + advice)
            return 11;
        // A missing port needs no advice; the search refuses COM5 again.
        Window->btnCheck.Click();
        if (Window->rad_com6.Hint() != "/nonexistent/x" || Log().at(5) != "kein COM5-Port" ||
            Window->rad_com5.Hint() != SlavePath + advice)
            return 12;
        // Access granted: the next open succeeds and the reason is gone.
        if (::chmod(SlavePath.c_str(), 0600) != 0)
            return 13;
        Window->btnCheck.Click();
        if (Log().at(14) != "COM5 OK" || Window->rad_com5.Hint() != SlavePath)
            return 14;
        return 0;
    });
    EXPECT_EQ(status, 0);
}

// The decoder is stopped with a packet half received, its start bit, first
// byte, separator and three ones taken; the next reception must not go on
// with it. Its first bits, six ones and a '0', are then a gap ("Schrott"),
// where the old packet would take them as data and the old run of ones
// would make the '0' a start bit.
TEST_F(Reception, StartAfterAStopInTheMiddleOfAPacketBeginsWithAFreshBitAssembler) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\n");
    Window->cbx_schrott.SetChecked(true);
    const std::vector<uint8_t> idle = {0xFF, 0x00, 0xFF};
    // Two chunks of 50 bytes, the second ending inside the packet.
    TStreamBuilder first;
    first.DeviceInfo(118, 0, 'e');
    first.Packet(idle);
    first.Packet(idle);
    std::vector<uint8_t> bytes = first.Take();
    const std::string halfPacket = "0"
                                   "00000011"
                                   "0"
                                   "111";
    first.Ones(static_cast<int>(100 * 8 - bytes.size() * 8 - halfPacket.size()));
    first.Bits(halfPacket);
    const std::vector<uint8_t> rest = first.Take();
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    ASSERT_EQ(bytes.size(), 100u);

    Window->btnStart.Click();
    Send(bytes);
    ASSERT_TRUE(
        TickUntil([&] { return Window->Rx.RxCount == 0 && CountOf(Log(), "Idle Packet") == 2; }));
    ASSERT_TRUE(Window->StreamDecoder.InPacket);
    ASSERT_EQ(Window->StreamDecoder.OnesCount, 3);
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));

    Window->btnStart.Click();
    const std::size_t started = Log().size();
    TStreamBuilder second;
    second.Bits("1111110");
    second.Packet(idle);
    second.Packet(idle);
    bytes = second.Take();
    bytes.resize(100, 0xFF);
    Send(bytes);
    ASSERT_TRUE(TickUntil([&] { return CountOf(Log(), "Idle Packet") == 4; }));
    const TLines log = Log();
    const std::string preamble(14, '1');
    EXPECT_EQ(TLines(log.begin() + static_cast<std::ptrdiff_t>(started), log.end()),
              (TLines{"Schrott: 1111110" + preamble, "Idle Packet", "Pr\u00e4ambel: " + preamble,
                      "Idle Packet"}));
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
}

// Each of the nine choices: opened by Start as its own port, stored by
// "Ende" as its number, and chosen again by the next start of the program.
TEST_F(Reception, EveryPortChoiceIsOpenedStoredAndChosenAgain) {
    for (int n = 1; n <= 9; ++n) {
        const std::string com = "COM" + std::to_string(n);
        StartWithSettings("[Ports]\r\n" + com + "=" + SlavePath + "\r\n");
        Window->RadCom[n - 1]->Click();
        ASSERT_TRUE(Window->RadCom[n - 1]->Checked()) << com;
        Window->btnStart.Click();
        EXPECT_EQ(LastLine(), com + " ge\u00f6ffnet");
        Window->btnStop.Click();
        ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
        Window->btnClose.Click();
        EXPECT_NE(ReadAll(Ini).find("COM-Port=" + std::to_string(n) + "\r\n"), std::string::npos)
            << ReadAll(Ini);

        Start();
        for (int i = 1; i <= 9; ++i)
            EXPECT_EQ(Window->RadCom[i - 1]->Checked(), i == n)
                << com << " read back, choice " << i;
        Window->btnStart.Click();
        EXPECT_EQ(LastLine(), com + " ge\u00f6ffnet");
        Window->btnStop.Click();
        ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
        Window.reset();
    }
}

namespace {

// Reads that fail with an exception rather than an error code, as a failure
// deep in the serial layer (a library's exception, memory) would.
class TThrowingReads : public TSysCalls {
public:
    ssize_t Read(int, void*, std::size_t) override { throw std::runtime_error("read failed"); }
};

// Reading the port's settings fails with an exception, so Start fails after
// the port was opened.
class TThrowingConfiguration : public TSysCalls {
public:
    int Tcgetattr(int, termios*) override { throw std::runtime_error("tcgetattr failed"); }
};

// Closing fails with an exception after the descriptor was given up.
class TThrowingClose : public TSysCalls {
public:
    int Close(int fd) override {
        TSysCalls::Close(fd);
        throw std::runtime_error("close failed");
    }
};

// Real reads, each one's size noted.
class TReadSizes : public TSysCalls {
public:
    ssize_t Read(int fd, void* buffer, std::size_t count) override {
        Sizes.push_back(count);
        return TSysCalls::Read(fd, buffer, count);
    }
    std::vector<std::size_t> Sizes;
};

} // namespace

// The settings file bounds nothing: a size above the read buffer's 400 bytes
// must not become a read into it.
TEST_F(Reception, BufferSizeAboveTheReadBufferReadsAtMostItsSize) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\nBuffersize=100000\r\n");
    TReadSizes reads;
    TSysCallsGuard guard(reads);
    Window->btnStart.Click();
    Send(IdleTraffic(300));
    ASSERT_TRUE(TickUntil([&] { return CountOf(Log(), "Idle Packet") == 300; }))
        << CountOf(Log(), "Idle Packet");
    ASSERT_FALSE(reads.Sizes.empty());
    EXPECT_LE(*std::max_element(reads.Sizes.begin(), reads.Sizes.end()), 400u);
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
}

// A failure raised while Start configures the opened port: the warning, the
// controls of a stopped reception, and the port given back for a later
// Start.
TEST_F(Reception, AFailureWhileStartingShowsTheWarningAndReleasesThePort) {
    StartMapped();
    {
        TThrowingConfiguration configuration;
        TSysCallsGuard guard(configuration);
        Window->btnStart.Click();
    }
    ASSERT_EQ(Desktop.Warnings.size(), 1u);
    EXPECT_EQ(Desktop.Warnings[0].Text, "Fehler beim \u00d6ffnen des COM-Portes ");
    EXPECT_TRUE(Stopped());
    EXPECT_TRUE(Window->btnStart.Enabled());
    EXPECT_EQ(Window->Focused(), &Window->btnStart);
    EXPECT_FALSE(Window->btnStop.Enabled());
    EXPECT_TRUE(Window->btnCheck.Enabled());
    EXPECT_EQ(Log(), TLines{}) << "no opened line";
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);

    Window->btnStart.Click();
    EXPECT_EQ(LastLine(), "COM5 ge\u00f6ffnet");
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
}

// A failure raised by the close of the stop sequence: "COM geschlossen"
// stands, the warning follows, and the controls are those of a stopped
// reception; "Empfang gestoppt" and "Ende" wait for a stop that worked.
TEST_F(Reception, AFailureWhileClosingShowsTheWarningAndStopsTheControls) {
    StartMapped();
    Window->btnStart.Click();
    Window->btnStop.Click();
    {
        TThrowingClose close;
        TSysCallsGuard guard(close);
        Window->Timer1.Fire();
    }
    ASSERT_EQ(Desktop.Warnings.size(), 1u);
    EXPECT_EQ(Desktop.Warnings[0].Text, "Fehler beim Schliessen des COM-Portes ");
    EXPECT_EQ(LastLine(), "COM geschlossen");
    EXPECT_FALSE(Contains(Log(), "Empfang gestoppt"));
    EXPECT_TRUE(Stopped());
    EXPECT_TRUE(Window->btnStart.Enabled());
    EXPECT_EQ(Window->Focused(), &Window->btnStart);
    EXPECT_FALSE(Window->btnStop.Enabled());
    EXPECT_TRUE(Window->btnCheck.Enabled());
    EXPECT_FALSE(Window->btnClose.Enabled());
}

// The warning, the controls of a stopped reception, no closing lines; and
// the port is given back, since our own exclusive use would make every later
// Start fail.
TEST_F(Reception, AFailureEscapingTheReadShowsTheWarningAndReleasesThePort) {
    StartMapped();
    Window->btnStart.Click();
    ASSERT_EQ(DescriptorsOn(SlavePath), 1);
    {
        TThrowingReads reads;
        TSysCallsGuard guard(reads);
        Window->Timer1.Fire();
    }
    ASSERT_EQ(Desktop.Warnings.size(), 1u);
    EXPECT_EQ(Desktop.Warnings[0].Text, "Fehler beim Daten-Empfang ");
    EXPECT_TRUE(Desktop.ErrorBoxes.empty());
    EXPECT_TRUE(Stopped());
    EXPECT_TRUE(Window->btnStart.Enabled());
    EXPECT_EQ(Window->Focused(), &Window->btnStart);
    EXPECT_FALSE(Window->btnStop.Enabled());
    EXPECT_TRUE(Window->btnCheck.Enabled());
    EXPECT_FALSE(Window->btnClose.Enabled()) << "as Start left it";
    EXPECT_EQ(LastLine(), "COM5 ge\u00f6ffnet") << "no closing lines on this path";
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);

    Window->btnStart.Click();
    EXPECT_EQ(LastLine(), "COM5 ge\u00f6ffnet");
    EXPECT_EQ(CountOf(Log(), "kein COM5-Port"), 0);
    Window->btnStop.Click();
    ASSERT_TRUE(TickUntil([&] { return Stopped(); }));
}

TEST_F(Reception, BadPacketsAreMarkedWithTheirTextUnchanged) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\nZeige_Lokbefehle_S=1\r\n");
    Window->btnStart.Click();
    TStreamBuilder b;
    b.DeviceInfo(118, 0, 'e');
    b.Ones(20);
    b.DccPacket({0xFF, 0x00}, 16);          // the first: its preamble may be cut short
    b.DccPacket({0x03, 0x3F, 0x85}, 15);    // sound
    b.Packet({0x03, 0x3F, 0x85, 0x00}, 15); // wrong error byte
    b.DccPacket({0x03, 0x3F, 0x86}, 12);    // short preamble
    b.Packet({0xFF, 0x00, 0xFE}, 9);        // both: the error byte wins
    b.DccPacket({0xFF, 0x00}, 14);          // sound again
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    Send(b.Take());
    ASSERT_TRUE(TickUntil([&] { return Log().size() == 7; })) << Joined(Log());

    const TLogStore& store = Window->Memo1.Lines.Store();
    const TLogMark expected[] = {
        TLogMark::None,          TLogMark::None,          TLogMark::None, TLogMark::ChecksumError,
        TLogMark::ShortPreamble, TLogMark::ChecksumError, TLogMark::None};
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_EQ(store.Mark(i), expected[i]) << i << ": " << store.Line(i);
    const TLines shown = Log();
    EXPECT_EQ(shown[3], shown[2]) << "a marked line reads as the sound one";

    // Saved and copied, marked lines are text like any other.
    const std::string saved = Folder.Path + "/log.txt";
    Window->SaveMonitorLog(saved);
    Window->btn_clipboardClick();
    std::string text;
    for (const std::string& line : shown)
        text += line + "\r\n";
    EXPECT_EQ(ReadAll(saved), text);
    EXPECT_EQ(Desktop.Clipboard + "\n", Joined(shown));
}
