// TComLink on pseudo-terminals: the slave is the port, the master the device.
#include "com_link.h"
#include "hook_recorder.h"
#include "port_fixture.h"
#include "port_names.h"
#include "pty_pair.h"
#include "scripted_sys.h"

#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

class ComLinkOnPty : public TPortTest {
protected:
    ComLinkOnPty() : TPortTest("COM3") {}
    void SetUp() override { SetPortOverrides({{"COM3", Pty.SlavePath}}); }
    void TearDown() override {
        TPortTest::TearDown();
        SetPortOverrides({});
    }

    // Reads until `count` bytes have come or the line stays silent.
    std::vector<uint8_t> ReadBytes(THandle h, std::size_t count) {
        std::vector<uint8_t> got;
        uint8_t buffer[400];
        while (got.size() < count && WaitReadable(h)) {
            const int32_t n = Link.ReceiveData(buffer, sizeof buffer, h);
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    TPtyPair Pty;
};

TEST(ComLinkHandle, HandleIsZeroBeforeTheFirstOpenAttempt) {
    // The library itself never stores a handle; only the window's open
    // attempts do, so in these tests it keeps its start value.
    EXPECT_EQ(hComPort, 0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, -1);
}

TEST_F(ComLinkOnPty, OpensThePortItsNameStandsFor) {
    const THandle h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(isatty(h), 1);
    struct stat opened, expected;
    ASSERT_EQ(fstat(h, &opened), 0);
    ASSERT_EQ(stat(Pty.SlavePath.c_str(), &expected), 0);
    EXPECT_EQ(opened.st_rdev, expected.st_rdev);
    // The port never becomes the controlling terminal and is not inherited.
    EXPECT_NE(fcntl(h, F_GETFD) & FD_CLOEXEC, 0);
}

TEST_F(ComLinkOnPty, SecondOpenFailsWhileTheFirstIsOpenSameProcessToo) {
    const THandle first = Open();
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenDevice(Pty.SlavePath), INVALID_HANDLE_VALUE);
    // Another name for the same device is the same port.
    SetPortOverrides({{"COM3", Pty.SlavePath}, {"COM4", Pty.SlavePath}});
    EXPECT_EQ(Link.OpenPort("COM4"), INVALID_HANDLE_VALUE);

    // Once closed, the port can be opened again.
    ASSERT_TRUE(CloseHandle(first));
    Opened.clear();
    EXPECT_NE(Open(), INVALID_HANDLE_VALUE);
}

TEST_F(ComLinkOnPty, ClosingGivesUpTheExclusiveUse) {
    const THandle h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int exclusive = 0;
    ASSERT_EQ(ioctl(h, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    ASSERT_TRUE(CloseHandle(h));
    Opened.clear();

    // The flag belongs to the terminal and outlives the descriptor; left set,
    // it would refuse every later open by a user other than root.
    const int probe = open(Pty.SlavePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    ASSERT_EQ(ioctl(probe, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    close(probe);
}

// Another program's descriptor of the port, opened without our code.
class TOtherProgram {
public:
    explicit TOtherProgram(const std::string& path)
        : Fd(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~TOtherProgram() {
        if (Fd >= 0)
            close(Fd);
    }
    int Exclusive() const {
        int on = -1;
        return ioctl(Fd, TIOCGEXCL, &on) == 0 ? on : -1;
    }
    int Fd;
};

TEST_F(ComLinkOnPty, PortInExclusiveUseByAnotherProgramCountsAsAbsentAndKeepsItsFlag) {
    TOtherProgram other(Pty.SlavePath);
    ASSERT_GE(other.Fd, 0);
    ASSERT_EQ(ioctl(other.Fd, TIOCEXCL), 0);

    // Refused whether we run as root (the open itself succeeds) or not.
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    // The other program's flag is not ours to clear.
    EXPECT_EQ(other.Exclusive(), 1);

    // Once the other program lets go, the port is ours again.
    ASSERT_EQ(ioctl(other.Fd, TIOCNXCL), 0);
    EXPECT_NE(Open(), INVALID_HANDLE_VALUE);
}

TEST_F(ComLinkOnPty, PortLockedByAnotherProgramCountsAsAbsentAndOurFlagIsGivenUp) {
    TOtherProgram other(Pty.SlavePath);
    ASSERT_GE(other.Fd, 0);
    ASSERT_EQ(flock(other.Fd, LOCK_EX | LOCK_NB), 0);

    EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
    // We set the flag on the way and found the lock after it: it must not
    // stay behind and lock the other program's own next open out.
    EXPECT_EQ(other.Exclusive(), 0);
}

TEST_F(ComLinkOnPty, PortOpenedWithoutAnyLockCannotBeSeenAsHeld) {
    // What Linux cannot tell: a plain open leaves no trace we could ask for.
    TOtherProgram other(Pty.SlavePath);
    ASSERT_GE(other.Fd, 0);
    EXPECT_NE(Open(), INVALID_HANDLE_VALUE);
}

struct TStartSettings {
    const char* Name;
    tcflag_t ExtraCflag; // set on the port before ConfigurePort
};

std::ostream& operator<<(std::ostream& os, const TStartSettings& c) {
    return os << c.Name;
}

class ConfigurePortKeeps : public ComLinkOnPty,
                           public ::testing::WithParamInterface<TStartSettings> {};

TEST_P(ConfigurePortKeeps, LineSettingsReadBackAsSetAndOtherSettingsAsFound) {
    // A port in a terminal's cooked state, with or without hardware flow
    // control and hang-up on close.
    const THandle h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    termios before{};
    ASSERT_EQ(tcgetattr(h, &before), 0);
    before.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
    before.c_iflag |= IXON | ICRNL;
    before.c_oflag |= OPOST;
    before.c_cflag &= ~static_cast<tcflag_t>(HUPCL | CRTSCTS);
    before.c_cflag |= GetParam().ExtraCflag | PARENB | CSTOPB;
    cfsetispeed(&before, B9600);
    cfsetospeed(&before, B9600);
    ASSERT_EQ(tcsetattr(h, TCSANOW, &before), 0);
    ASSERT_EQ(tcgetattr(h, &before), 0);

    THookRecorder hook;
    Link.ConfigurePort(h);
    EXPECT_TRUE(hook.Boxes.empty());

    termios t{};
    ASSERT_EQ(tcgetattr(h, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & PARENB, 0u);
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
    EXPECT_NE(t.c_cflag & CREAD, 0u);
    EXPECT_NE(t.c_cflag & CLOCAL, 0u);
    // Raw: nothing eaten, translated, held back or turned into a signal.
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (IXON | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK | IGNBRK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    // What the Windows program leaves as GetCommState reported it.
    EXPECT_EQ(t.c_cflag & (HUPCL | CRTSCTS), before.c_cflag & (HUPCL | CRTSCTS));
}

INSTANTIATE_TEST_SUITE_P(Ports, ConfigurePortKeeps,
                         ::testing::Values(TStartSettings{"Plain", 0},
                                           TStartSettings{"HangUpOnClose", HUPCL},
                                           TStartSettings{"HardwareFlow", CRTSCTS},
                                           TStartSettings{"Both", HUPCL | CRTSCTS}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ComLinkOnPty, SetReadTimeoutsMakesReadsNonWaiting) {
    // A handle opened elsewhere, blocking, is made non-blocking too.
    const int h = open(Pty.SlavePath.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(h, 0);
    THookRecorder hook;
    Link.ConfigurePort(h);
    Link.SetReadTimeouts(h);
    EXPECT_TRUE(hook.Boxes.empty());
    termios t{};
    ASSERT_EQ(tcgetattr(h, &t), 0);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    EXPECT_NE(fcntl(h, F_GETFL) & O_NONBLOCK, 0);
    // Nothing waiting: the read comes back with 0, no box, no stop request.
    uint8_t buffer[16];
    EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 0);
    EXPECT_TRUE(hook.Events.empty());
    close(h);
}

TEST_F(ComLinkOnPty, ReadWithNothingWaitingReturnsZeroAtOnce) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    THookRecorder hook;
    uint8_t buffer[255];
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 0);
    EXPECT_TRUE(hook.Events.empty());
}

class BytesArriveUnchanged : public ComLinkOnPty,
                             public ::testing::WithParamInterface<std::vector<uint8_t>> {};

TEST_P(BytesArriveUnchanged, AsSent) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const std::vector<uint8_t>& sent = GetParam();
    ASSERT_TRUE(Pty.Send(sent));
    EXPECT_EQ(ReadBytes(h, sent.size()), sent);
}

std::vector<uint8_t> AllByteValuesTwice() {
    std::vector<uint8_t> bytes;
    for (int round = 0; round < 2; ++round) {
        for (int b = 0; b < 256; ++b)
            bytes.push_back(static_cast<uint8_t>(b));
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Streams, BytesArriveUnchanged,
    ::testing::Values(
        // NUL, ^C (ISIG), CR (ICRNL), XON and XOFF (IXON), 0xFF (PARMRK).
        std::vector<uint8_t>{0x00, 0x03, 0x0D, 0x11, 0x13, 0xFF},
        // ^D (EOF), ^U (KILL), ^\ (QUIT), ^Z (SUSP), DEL (ERASE), LF, ^V, ^W, ^R.
        std::vector<uint8_t>{0x04, 0x15, 0x1C, 0x1A, 0x7F, 0x0A, 0x16, 0x17, 0x12, 0x0D, 0x0A},
        // A Device info record and a Motorola record end.
        std::vector<uint8_t>{0xAA, 0xAA, 0xAA, 118, 0, 'e', '1', '2', '*', 5, 0x80, 0xC0, 0xFF},
        AllByteValuesTwice()));

TEST_F(ComLinkOnPty, QueueCountIsTheBytesNotYetRead) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    TComStat stat;
    ASSERT_TRUE(Link.ClearCommError(h, stat));
    EXPECT_EQ(stat.cbInQue, 0u);

    ASSERT_TRUE(Pty.Send(std::vector<uint8_t>(300, 0x55)));
    // The kernel moves the bytes to the line discipline on its own time.
    for (int i = 0; i < 2000 && stat.cbInQue < 300; ++i) {
        ASSERT_TRUE(Link.ClearCommError(h, stat));
        if (stat.cbInQue < 300)
            usleep(10000);
    }
    ASSERT_EQ(stat.cbInQue, 300u);

    uint8_t buffer[255];
    EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 255);
    ASSERT_TRUE(Link.ClearCommError(h, stat));
    EXPECT_EQ(stat.cbInQue, 45u);
    EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 45);
    ASSERT_TRUE(Link.ClearCommError(h, stat));
    EXPECT_EQ(stat.cbInQue, 0u);
}

TEST_F(ComLinkOnPty, ClosedMasterMakesReceiveDataFailAndCallTheHook) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    THookRecorder hook;
    Pty.CloseMaster();

    uint8_t buffer[255];
    EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 0);
    // The stop request first, then the box.
    ASSERT_EQ(hook.Events, (std::vector<std::string>{"stop", "box ReceiveData"}));
    EXPECT_FALSE(hook.Boxes[0].second.empty());
    EXPECT_EQ(hook.Boxes[0].second, TrimMessageText(hook.Boxes[0].second));
    // The status query fails too; the caller need not look.
    TComStat stat;
    stat.cbInQue = 7;
    EXPECT_FALSE(Link.ClearCommError(h, stat));
    EXPECT_EQ(stat.cbInQue, 0u);
}

TEST_F(ComLinkOnPty, WithoutAHookTheBoxGoesToStandardError) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Pty.CloseMaster();
    uint8_t buffer[16];
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 0);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("ReceiveData: ", 0), 0u) << err;
    EXPECT_GT(err.size(), std::string("ReceiveData: \n").size());
}

TEST(ComLinkOpen, PortsThatCannotBeOpenedGiveTheInvalidHandle) {
    char dir[] = "/tmp/fennox-serial-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/plain-file";
    std::FILE* f = std::fopen(file.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    struct TCase {
        const char* PortName;
        std::string Path;
        int Errno;
    };
    const TCase cases[] = {
        {"COM1", std::string(dir) + "/ttyMissing", ENOENT},
        {"COM2", file, ENOTTY},        // exists, not a terminal
        {"COM3", "/dev/null", ENOTTY}, // a device, not a terminal
        {"COM4", dir, EISDIR},
    };
    TComLink link;
    for (const TCase& c : cases) {
        SetPortOverrides({{c.PortName, c.Path}});
        errno = 0;
        EXPECT_EQ(link.OpenPort(c.PortName), INVALID_HANDLE_VALUE) << c.Path;
        EXPECT_EQ(errno, c.Errno) << c.Path;
    }
    // A name that is no port name opens nothing.
    SetPortOverrides({});
    EXPECT_EQ(link.OpenPort("LPT1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(link.OpenPort(""), INVALID_HANDLE_VALUE);
    unlink(file.c_str());
    rmdir(dir);
}

TEST(ComLinkOpen, OverridesDecideWhichDeviceAPortNameOpens) {
    TPtyPair a, b;
    TComLink link;
    SetPortOverrides({{"COM5", a.SlavePath}});
    const THandle first = link.OpenPort("COM5");
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    // The same name now stands for another device, which is free.
    SetPortOverrides({{"com5", b.SlavePath}});
    const THandle second = link.OpenPort("COM5");
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    struct stat sa, sb;
    ASSERT_EQ(fstat(first, &sa), 0);
    ASSERT_EQ(fstat(second, &sb), 0);
    EXPECT_NE(sa.st_rdev, sb.st_rdev);
    CloseHandle(first);
    CloseHandle(second);
    SetPortOverrides({});
}

TEST(ComLinkText, TrimMessageTextRemovesTrailingControlsBlanksAndFullStops) {
    struct TCase {
        std::string In;
        std::string Out;
    };
    const TCase cases[] = {
        {"The system cannot find the file specified.\r\n",
         "The system cannot find the file specified"},
        {"Access is denied. \r\n", "Access is denied"},
        {"No such device", "No such device"},
        {"Input/output error\n", "Input/output error"},
        {"v1.2 failed. . .", "v1.2 failed"},
        {std::string("text\0\t\x1f.", 8), "text"},
        {"a.b", "a.b"},
        {"!", "!"},
        {"...", ""},
        {" \r\n", ""},
        {"", ""},
        {"  leading blanks stay.", "  leading blanks stay"},
        {"\xE4rger.", "\xE4rger"}, // a byte above 127 is text
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TrimMessageText(c.In), c.Out) << c.In;
}

// ---------------------------------------------------------------- the seam

class ComLinkSeam : public ComLinkOnPty {
protected:
    TScriptedSys Sys;
};

TEST_F(ComLinkSeam, ShowCommErrorShowsTheTrimmedSystemTextUnderTheOperationName) {
    Sys.MessageText = "Zugriff verweigert.\r\n";
    TSysCallsGuard guard(Sys);
    THookRecorder hook;
    errno = EACCES;
    Link.ShowCommError("SetCommState");
    ASSERT_EQ(hook.Boxes.size(), 1u);
    EXPECT_EQ(hook.Boxes[0].first, "SetCommState");
    EXPECT_EQ(hook.Boxes[0].second, "Zugriff verweigert");
}

TEST_F(ComLinkSeam, ShowCommErrorWithoutHookWritesCaptionAndTextToStandardError) {
    TSysCallsGuard guard(Sys);
    errno = EIO;
    ::testing::internal::CaptureStderr();
    Link.ShowCommError("GetCommState");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "GetCommState: " + TrimMessageText(Sys.TSysCalls::ErrorText(EIO)) + "\n");
}

// A real UART without carrier makes a blocking open wait for the carrier,
// and a terminal opened without O_NOCTTY may become the program's
// controlling terminal: the very first call must ask for neither, not a
// later fcntl.
TEST_F(ComLinkSeam, TheOpenItselfNeitherWaitsForACarrierNorTakesTheTerminal) {
    TSysCallsGuard guard(Sys);
    ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
    ASSERT_EQ(Sys.OpenFlags.size(), 1u);
    const int flags = Sys.OpenFlags[0];
    EXPECT_NE(flags & O_NONBLOCK, 0);
    EXPECT_NE(flags & O_NOCTTY, 0);
    EXPECT_NE(flags & O_CLOEXEC, 0);
    EXPECT_EQ(flags & O_ACCMODE, O_RDWR);
    // The descriptor it hands out reads without waiting before any
    // configuration.
    EXPECT_NE(fcntl(Opened[0], F_GETFL) & O_NONBLOCK, 0);
}

struct TOpenFailure {
    const char* Call;
    int Errno;
};

std::ostream& operator<<(std::ostream& os, const TOpenFailure& c) {
    return os << c.Call;
}

class OpenPortFails : public ComLinkSeam, public ::testing::WithParamInterface<TOpenFailure> {};

TEST_P(OpenPortFails, GivesTheInvalidHandleAndLeavesNoDescriptorOpen) {
    Sys.Failures[GetParam().Call] = {GetParam().Errno};
    {
        TSysCallsGuard guard(Sys);
        errno = 0;
        EXPECT_EQ(Link.OpenPort("COM3"), INVALID_HANDLE_VALUE);
        EXPECT_EQ(errno, GetParam().Errno);
    }
    // Every descriptor opened on the way was closed again.
    EXPECT_EQ(Sys.CountOf("Close"), std::string(GetParam().Call) == "Open" ? 0 : 1);
    // So the port is free: a plain open succeeds.
    EXPECT_NE(Open(), INVALID_HANDLE_VALUE);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, OpenPortFails,
    ::testing::Values(TOpenFailure{"Open", ENOENT}, TOpenFailure{"Open", EACCES},
                      TOpenFailure{"Open", EBUSY}, TOpenFailure{"Isatty", ENOTTY},
                      TOpenFailure{"GetExclusive", EIO}, TOpenFailure{"SetExclusive", EIO},
                      TOpenFailure{"Flock", EWOULDBLOCK}),
    [](const auto& info) {
        return std::string(info.param.Call) + "_" + std::to_string(info.param.Errno);
    });

struct TInterrupted {
    const char* Call;
    int Times;
};

std::ostream& operator<<(std::ostream& os, const TInterrupted& c) {
    return os << c.Call;
}

class InterruptedCallsAreRetried : public ComLinkSeam,
                                   public ::testing::WithParamInterface<TInterrupted> {};

TEST_P(InterruptedCallsAreRetried, AndTheOperationSucceeds) {
    const std::string call = GetParam().Call;
    Sys.Failures[call] = std::deque<int>(static_cast<std::size_t>(GetParam().Times), EINTR);
    TSysCallsGuard guard(Sys);
    THookRecorder hook;

    const THandle h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Link.ConfigurePort(h);
    Link.SetReadTimeouts(h);
    ASSERT_TRUE(Pty.Send({0x11, 0x13, 0x03}));
    ASSERT_TRUE(WaitReadable(h));
    uint8_t buffer[16];
    TComStat stat;
    ASSERT_TRUE(Link.ClearCommError(h, stat));
    EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 3);
    EXPECT_TRUE(hook.Events.empty());
    EXPECT_GT(Sys.CountOf(call), GetParam().Times);
    EXPECT_TRUE(Sys.Failures[call].empty());
}

INSTANTIATE_TEST_SUITE_P(Calls, InterruptedCallsAreRetried,
                         ::testing::Values(TInterrupted{"Open", 2}, TInterrupted{"SetExclusive", 1},
                                           TInterrupted{"Flock", 3}, TInterrupted{"Tcgetattr", 2},
                                           TInterrupted{"Tcsetattr", 2},
                                           TInterrupted{"GetFlags", 1}, TInterrupted{"Read", 2},
                                           TInterrupted{"BytesWaiting", 1}),
                         [](const auto& info) { return std::string(info.param.Call); });

struct TConfigureFailure {
    const char* Name;
    std::deque<int> GetFails;
    std::deque<int> SetFails;
    std::vector<std::string> Boxes;
};

std::ostream& operator<<(std::ostream& os, const TConfigureFailure& c) {
    return os << c.Name;
}

class ConfigurePortFails : public ComLinkSeam,
                           public ::testing::WithParamInterface<TConfigureFailure> {};

TEST_P(ConfigurePortFails, ShowsEachFailureAndGoesOn) {
    const THandle h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Sys.Failures["Tcgetattr"] = GetParam().GetFails;
    Sys.Failures["Tcsetattr"] = GetParam().SetFails;
    THookRecorder hook;
    {
        TSysCallsGuard guard(Sys);
        Link.ConfigurePort(h);
    }
    std::vector<std::string> captions;
    for (const auto& box : hook.Boxes)
        captions.push_back(box.first);
    EXPECT_EQ(captions, GetParam().Boxes);
    // The settings are written even when reading them failed.
    EXPECT_EQ(Sys.Calls, (std::vector<std::string>{"Tcgetattr", "Tcsetattr"}));
    if (GetParam().SetFails.empty()) {
        termios t{};
        ASSERT_EQ(tcgetattr(h, &t), 0);
        EXPECT_EQ(cfgetispeed(&t), static_cast<speed_t>(B19200));
        EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, ConfigurePortFails,
    ::testing::Values(TConfigureFailure{"GetCommState", {EIO}, {}, {"GetCommState"}},
                      TConfigureFailure{"SetCommState", {}, {EINVAL}, {"SetCommState"}},
                      TConfigureFailure{"Both", {ENOTTY}, {EIO}, {"GetCommState", "SetCommState"}},
                      TConfigureFailure{"Neither", {}, {}, {}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ComLinkSeam, SetReadTimeoutsShowsItsBoxOnce) {
    const THandle h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    const char* failing[] = {"Tcgetattr", "Tcsetattr", "GetFlags"};
    for (const char* call : failing) {
        TScriptedSys sys;
        sys.Failures[call] = {EIO};
        THookRecorder hook;
        // Make the descriptor blocking, so SetFlags would be needed.
        fcntl(h, F_SETFL, fcntl(h, F_GETFL) & ~O_NONBLOCK);
        {
            TSysCallsGuard guard(sys);
            Link.SetReadTimeouts(h);
        }
        ASSERT_EQ(hook.Events, (std::vector<std::string>{"box SetCommTimeouts"})) << call;
    }
    // SetFlags fails only when it is needed.
    TScriptedSys sys;
    sys.Failures["SetFlags"] = {EIO};
    THookRecorder hook;
    {
        TSysCallsGuard guard(sys);
        Link.SetReadTimeouts(h);
    }
    EXPECT_EQ(hook.Events, (std::vector<std::string>{"box SetCommTimeouts"}));
}

struct TReadOutcome {
    const char* Name;
    int Errno; // 0: the read reports end of file
    bool Fails;
};

std::ostream& operator<<(std::ostream& os, const TReadOutcome& c) {
    return os << c.Name;
}

class ReceiveDataReads : public ComLinkSeam, public ::testing::WithParamInterface<TReadOutcome> {};

TEST_P(ReceiveDataReads, FailedReadsRequestTheStopThenShowTheBox) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    if (GetParam().Errno == 0)
        Sys.EndOfFileReads = 1;
    else
        Sys.Failures["Read"] = {GetParam().Errno};
    Sys.MessageText = "";
    int errnoInBox = -1;
    TComLinkHook hook;
    std::vector<std::string> events;
    hook.RequestStop = [&] {
        events.push_back("stop");
        errno = 0; // the window's work may disturb errno; the box must not care
    };
    hook.ShowErrorBox = [&](const std::string& caption, const std::string& text) {
        events.push_back("box " + caption);
        errnoInBox = errno;
        EXPECT_FALSE(text.empty());
    };
    SetComLinkHook(hook);
    uint8_t buffer[64];
    {
        TSysCallsGuard guard(Sys);
        EXPECT_EQ(Link.ReceiveData(buffer, sizeof buffer, h), 0);
    }
    SetComLinkHook(TComLinkHook{});
    if (GetParam().Fails) {
        EXPECT_EQ(events, (std::vector<std::string>{"stop", "box ReceiveData"}));
        EXPECT_EQ(errnoInBox, GetParam().Errno == 0 ? ENODEV : GetParam().Errno);
    } else {
        EXPECT_TRUE(events.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Outcomes, ReceiveDataReads,
                         ::testing::Values(TReadOutcome{"EndOfFile", 0, true},
                                           TReadOutcome{"EIO", EIO, true},
                                           TReadOutcome{"ENXIO", ENXIO, true},
                                           TReadOutcome{"EBADF", EBADF, true},
                                           TReadOutcome{"EAGAIN", EAGAIN, false}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ComLinkSeam, ReceiveDataWithNoRoomReadsNothing) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    TSysCallsGuard guard(Sys);
    THookRecorder hook;
    uint8_t buffer[1];
    EXPECT_EQ(Link.ReceiveData(buffer, 0, h), 0);
    EXPECT_EQ(Link.ReceiveData(buffer, -5, h), 0);
    EXPECT_EQ(Sys.CountOf("Read"), 0);
    EXPECT_TRUE(hook.Events.empty());
}

TEST_F(ComLinkSeam, FailingQueueQueryReportsFalseAndAnEmptyQueue) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    Sys.Failures["BytesWaiting"] = {EIO};
    TSysCallsGuard guard(Sys);
    THookRecorder hook;
    TComStat stat;
    stat.cbInQue = 99;
    EXPECT_FALSE(Link.ClearCommError(h, stat));
    EXPECT_EQ(stat.cbInQue, 0u);
    // The query shows nothing; the gauge is the caller's business.
    EXPECT_TRUE(hook.Events.empty());
}

} // namespace
