#include "stream_builder.h"
#include "window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <dirent.h>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

// A pseudo-terminal whose slave end the window opens as "COM5".
struct Reception : WindowTest {
    int Master = -1;
    std::string SlavePath;

    void SetUp() override {
        int slave = -1;
        char name[128];
        ASSERT_EQ(openpty(&Master, &slave, name, nullptr, nullptr), 0);
        close(slave);
        SlavePath = name;
    }
    void TearDown() override {
        Window.reset();
        if (Master >= 0)
            close(Master);
        SetPortOverrides({});
    }
    void StartMapped(const std::string& settings = "") {
        StartWithSettings("[Ports]\r\nCOM5=" + SlavePath + "\r\n" + settings);
        Window->show();
    }
    void Send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(write(Master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    bool LogHas(const QString& line) const { return Log().contains(line); }
    bool Stopped() const { return !Window->Timer1->isActive(); }
};

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

// The serial error box, open and not modal: the window stays usable.
QWidget* OpenCommErrorBox() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "CommErrorBox" && w->isVisible())
            return w;
    }
    return nullptr;
}

// When the serial error box is open, hands it to answer (which must close it).
void WhenCommErrorBox(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* w = OpenCommErrorBox()) {
            poll->stop();
            poll->deleteLater();
            answer(w);
        }
    });
    poll->start();
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
    Window->btnStart->click();
    EXPECT_EQ(LastLine(), "COM5 ge\u00f6ffnet");
    EXPECT_TRUE(Window->Timer1->isActive());
    EXPECT_FALSE(Window->btnStart->isEnabled());
    EXPECT_TRUE(Window->btnStop->isEnabled());
    EXPECT_FALSE(Window->btnCheck->isEnabled());
    EXPECT_FALSE(Window->btnClose->isEnabled());

    Send(IdleTraffic(5));
    ASSERT_TRUE(WaitFor([&] { return Log().count("Idle Packet") == 5; }))
        << Log().join("\n").toStdString();
    EXPECT_TRUE(Window->cbx_dcc_stream->isChecked()) << "the info record switched DCC on";
    EXPECT_EQ(Window->edt_version->text(), "V 1.18");

    Window->btnStop->click();
    ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
    const QStringList log = Log();
    ASSERT_GE(log.size(), 2);
    EXPECT_EQ(log[log.size() - 2], "COM geschlossen");
    EXPECT_EQ(log.last(), "Empfang gestoppt");
    EXPECT_TRUE(Window->btnClose->isEnabled());
    EXPECT_TRUE(Window->btnCheck->isEnabled());
    EXPECT_TRUE(Window->btnStart->isEnabled());

    // The port was closed: a second start opens it again.
    Window->btnStart->click();
    EXPECT_EQ(LastLine(), "COM5 ge\u00f6ffnet");
    Window->btnStop->click();
    ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
}

TEST_F(Reception, ClearWhileReceivingKeepsReceiving) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\nOnly_Once=1\r\n");
    Window->btnStart->click();
    Send(IdleTraffic(3));
    ASSERT_TRUE(WaitFor([&] { return LogHas("Idle Packet"); }));
    Window->btn_clear->click();
    EXPECT_EQ(Window->Memo1->LineCount(), 0);
    // The repeat suppression still remembers the idle packet.
    Send(IdleTraffic(3));
    TStreamBuilder b;
    b.DccPacket({0x03, 0x75});
    b.RawBytes(std::vector<uint8_t>(60, 0xFF));
    Window->cbx_lokbefehle_s->setChecked(true);
    Send(b.Take());
    ASSERT_TRUE(WaitFor([&] { return LogHas("Lok     3 (28 Step) Vorw.  Speed   8 "); }));
    EXPECT_FALSE(LogHas("Idle Packet"));
    Window->btnStop->click();
    ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
}

TEST_F(Reception, ChoosingAnotherPortStopsReception) {
    StartMapped();
    Window->btnStart->click();
    ASSERT_TRUE(Window->Timer1->isActive());
    Window->rad_com3->setChecked(true);
    ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
    EXPECT_EQ(Log().mid(Log().size() - 2), (QStringList{"COM geschlossen", "Empfang gestoppt"}));
    EXPECT_FALSE(Window->btnCheck->isEnabled()) << "only Stop or a failure enables the search";
    EXPECT_TRUE(Window->btnStart->isEnabled());
}

TEST_F(Reception, UnpluggedDeviceShowsTheReceiveDataBoxThenStops) {
    StartMapped();
    Window->btnStart->click();
    QString caption;
    bool windowUsable = false;
    WhenCommErrorBox([&](QWidget* box) {
        caption = box->windowTitle();
        // The box has no owner: it leaves the main window operable.
        windowUsable =
            QApplication::activeModalWidget() == nullptr && Window->btnStart->isEnabled();
        box->close();
    });
    close(Master);
    Master = -1;
    ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
    EXPECT_EQ(caption, "ReceiveData");
    EXPECT_TRUE(windowUsable);
    EXPECT_EQ(Log().mid(Log().size() - 2), (QStringList{"COM geschlossen", "Empfang gestoppt"}));
    EXPECT_FALSE(Window->btnCheck->isEnabled());
    EXPECT_TRUE(Window->btnClose->isEnabled());
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
}

TEST_F(Reception, StartWhileTheReceiveDataBoxIsOpenEndsTheOldReceptionOnce) {
    StartMapped();
    Window->btnStart->click();
    bool clicked = false;
    WhenCommErrorBox([&](QWidget* box) {
        // The user presses Start before closing the box: the stop the failed
        // read requested is carried out first, then the new open is tried.
        Window->btnStart->click();
        clicked = true;
        box->close();
    });
    close(Master);
    Master = -1;
    ASSERT_TRUE(WaitFor([&] { return clicked && Stopped() && !OpenCommErrorBox(); }));
    // Let a few more ticks' worth of events pass: nothing is logged twice.
    WaitFor([] { return false; }, 100);
    const QStringList log = Log();
    EXPECT_EQ(log.count("COM geschlossen"), 1) << log.join("\n").toStdString();
    EXPECT_EQ(log.count("Empfang gestoppt"), 1);
    EXPECT_EQ(log.last(), "kein COM5-Port") << "the device is gone, so the new open fails";
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
    EXPECT_TRUE(Window->btnClose->isEnabled());
}

TEST_F(Reception, StopAndStartBeforeTheNextTickReopenThePort) {
    StartMapped("[SETTINGS]\r\nZeige_Idle=1\r\n");
    for (int round = 0; round < 3; ++round) {
        Window->btnStart->click();
        ASSERT_EQ(LastLine(), "COM5 ge\u00f6ffnet") << round;
        Send(IdleTraffic(2));
        WaitFor([&] { return Log().count("Idle Packet") >= 2 * (round + 1); });
        // Both clicks in one batch, as from a busy window: no tick between.
        Window->btnStop->click();
        Window->btnStart->click();
        const QStringList log = Log();
        ASSERT_GE(log.size(), 3);
        EXPECT_EQ(log.mid(log.size() - 3),
                  (QStringList{"COM geschlossen", "Empfang gestoppt", "COM5 ge\u00f6ffnet"}))
            << log.join("\n").toStdString();
        EXPECT_TRUE(Window->Timer1->isActive());
        EXPECT_TRUE(Window->btnStop->isEnabled());
        EXPECT_EQ(DescriptorsOn(SlavePath), 1);
        Window->btnStop->click();
        ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
    }
    EXPECT_FALSE(Log().contains("kein COM5-Port"));
    EXPECT_EQ(DescriptorsOn(SlavePath), 0) << "no descriptor points at the port after the stop";
}

TEST_F(Reception, AnotherPortAndStartBeforeTheNextTickCloseTheFirstPort) {
    TSecondPort com6;
    ASSERT_FALSE(com6.SlavePath.empty());
    StartMapped();
    SetPortOverrides({{"COM5", SlavePath}, {"COM6", com6.SlavePath}});
    Window->btnStart->click();
    ASSERT_EQ(DescriptorsOn(SlavePath), 1);
    Window->rad_com6->setChecked(true);
    Window->btnStart->click();
    EXPECT_EQ(Log().mid(Log().size() - 3),
              (QStringList{"COM geschlossen", "Empfang gestoppt", "COM6 ge\u00f6ffnet"}));
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
    EXPECT_EQ(DescriptorsOn(com6.SlavePath), 1);
    Window->btnStop->click();
    ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
    EXPECT_EQ(DescriptorsOn(com6.SlavePath), 0);
}

TEST_F(Reception, StopAndSearchBeforeTheNextTickFindOurOwnPort) {
    StartMapped();
    SetPortOverrides({{"COM5", SlavePath}});
    Window->btnStart->click();
    Window->btnStop->click();
    Window->btnCheck->click();
    const QStringList log = Log();
    const int closed = static_cast<int>(log.indexOf("COM geschlossen"));
    ASSERT_GE(closed, 0) << log.join("\n").toStdString();
    EXPECT_EQ(log.value(closed + 1), "Empfang gestoppt");
    EXPECT_LT(closed, log.indexOf("COM5 OK")) << "the stop comes before the search";
    EXPECT_TRUE(Window->rad_com5->isEnabled());
    EXPECT_TRUE(Stopped());
    EXPECT_EQ(DescriptorsOn(SlavePath), 0);
}

TEST_F(Reception, BufferSizeBelowOneReadsAtTheDefaultPace) {
    for (const char* size : {"0", "-5"}) {
        StartMapped(std::string("[SETTINGS]\r\nZeige_Idle=1\r\nBuffersize=") + size + "\r\n");
        Window->btnStart->click();
        // About 1,300 bytes: a second and more at one byte a tick, a few
        // ticks at 255.
        Send(IdleTraffic(200));
        EXPECT_TRUE(WaitFor([&] { return Log().count("Idle Packet") == 200; }, 2500))
            << size << ": " << Log().count("Idle Packet");
        Window->btnStop->click();
        ASSERT_TRUE(WaitFor([&] { return Stopped(); }));
        Window->btnClose->click();
        EXPECT_NE(ReadAll(Ini).find(std::string("Buffersize=") + size + "\r\n"), std::string::npos)
            << "the settings file gets back the value it held";
        Window.reset();
    }
}

TEST_F(Reception, MissingPortLogsItsFailedLine) {
    StartWithSettings("[Ports]\r\nCOM5=/nonexistent/tty\r\n");
    Window->btnStart->click();
    EXPECT_EQ(LastLine(), "kein COM5-Port");
    EXPECT_TRUE(Window->btnStart->isEnabled());
    EXPECT_FALSE(Window->Timer1->isActive());
}

TEST_F(Reception, PortSearchEnablesOnlyTheFoundChoices) {
    StartWithSettings("[Ports]\r\nCOM1=/nonexistent/a\r\nCOM2=/nonexistent/b\r\nCOM3=" + SlavePath +
                      "\r\nCOM4=/nonexistent/d\r\nCOM5=/nonexistent/e\r\n"
                      "COM6=/nonexistent/f\r\nCOM7=/nonexistent/g\r\nCOM8=/nonexistent/h\r\n"
                      "COM9=/nonexistent/i\r\n");
    Window->btnCheck->click();
    EXPECT_EQ(Log(), (QStringList{"kein COM1-Port", "kein COM2-Port", "COM3 OK", "kein COM4-Port",
                                  "kein COM5-Port", "kein COM6-Port", "kein COM7-Port",
                                  "kein COM8-Port", "kein COM9-Port"}));
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(Window->RadCom[i]->isEnabled(), i == 2) << i;
    // The selected choice stays selected while disabled.
    EXPECT_TRUE(Window->rad_com5->isChecked());
}

TEST_F(Reception, GaugeTurnsRedAboveEightyPercent) {
    Start();
    Window->SetGauge(0);
    EXPECT_EQ(Window->GaugeColor(), QColor(0, 0, 0x80));
    Window->SetGauge(3276);
    EXPECT_EQ(Window->ProgressBar2->value(), 3276);
    EXPECT_EQ(Window->GaugeColor(), QColor(0, 0, 0x80));
    Window->SetGauge(3277);
    EXPECT_EQ(Window->GaugeColor(), QColor(0xFF, 0, 0));
    Window->SetGauge(5000);
    EXPECT_EQ(Window->ProgressBar2->value(), 4096);
    EXPECT_EQ(Window->GaugeColor(), QColor(0xFF, 0, 0));
}
