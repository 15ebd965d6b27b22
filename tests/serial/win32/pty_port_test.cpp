// The Win32 TComLink on a real port as wine emulates one: pty_host.py lends
// wine a pseudo-terminal as a COM port and plays the device on its master
// side when the test asks.
#include "com_link.h"
#include "hook_recorder.h"
#include "port_fixture.h"
#include "port_names.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// Wine names itself through an export of its ntdll; Windows has none.
bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The requests to pty_host.py and its answers, one line each, through the
// two FIFOs in the folder it names.
class TPtyHost {
public:
    TPtyHost() {
        const char* folder = std::getenv("FENNOX_PTY_CONTROL");
        const char* port = std::getenv("FENNOX_PTY_PORT");
        if (folder == nullptr || port == nullptr)
            return;
        Port = port;
        Requests =
            CreateFileA((std::string(folder) + "\\requests").c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        Answers =
            CreateFileA((std::string(folder) + "\\answers").c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~TPtyHost() {
        if (Requests != INVALID_HANDLE_VALUE)
            CloseHandle(Requests);
        if (Answers != INVALID_HANDLE_VALUE)
            CloseHandle(Answers);
    }
    TPtyHost(const TPtyHost&) = delete;
    TPtyHost& operator=(const TPtyHost&) = delete;

    bool Available() const {
        return Requests != INVALID_HANDLE_VALUE && Answers != INVALID_HANDLE_VALUE;
    }

    // "ok", or what went wrong.
    std::string Request(const std::string& request) {
        const std::string line = request + "\n";
        DWORD written = 0;
        if (!WriteFile(Requests, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
            written != line.size())
            return "cannot write the request";
        std::string answer;
        char c = 0;
        DWORD got = 0;
        while (ReadFile(Answers, &c, 1, &got, nullptr) && got == 1 && c != '\n')
            answer += c;
        return answer;
    }

    // The device sends these bytes.
    std::string Send(const std::vector<uint8_t>& bytes) {
        static const char Hex[] = "0123456789abcdef";
        std::string request = "send ";
        for (uint8_t b : bytes) {
            request += Hex[b >> 4];
            request += Hex[b & 15];
        }
        return Request(request);
    }

    std::string Port;

private:
    HANDLE Requests = INVALID_HANDLE_VALUE;
    HANDLE Answers = INVALID_HANDLE_VALUE;
};

TPtyHost& Host() {
    static TPtyHost host;
    return host;
}

// The port choice the tests open: the lent port itself when it is one of
// COM1..COM9; otherwise (COM12, as USB adapters often get) Com5 mapped to it
// as the settings file's [Ports] would map it ("COM5=COM12").
std::string ChoiceFor(const std::string& port) {
    return DefaultDevicePath(port).empty() ? "COM5" : port;
}

class ComLinkOnWinePort : public TPortTest {
protected:
    ComLinkOnWinePort() : TPortTest(ChoiceFor(Host().Port)) {}
    void SetUp() override {
        if (!Host().Available())
            GTEST_SKIP() << "needs pty_host.py (scripts/test-windows.sh runs it)";
        if (PortName != Host().Port)
            SetPortOverrides({{PortName, Host().Port}});
        ASSERT_EQ(Host().Request("plug"), "ok");
    }
    void TearDown() override {
        TPortTest::TearDown();
        SetPortOverrides({});
    }

    // Reads until count bytes have come or five seconds have passed.
    std::vector<uint8_t> ReadBytes(THandle h, std::size_t count) {
        std::vector<uint8_t> received;
        const TClock::time_point end = TClock::now() + std::chrono::seconds(5);
        uint8_t buffer[400];
        while (received.size() < count && TClock::now() < end) {
            const int32_t got = Link.ReceiveData(buffer, sizeof buffer, h);
            if (got <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                continue;
            }
            received.insert(received.end(), buffer, buffer + got);
        }
        return received;
    }

    // Waits until the driver holds count bytes (or five seconds have passed)
    // and returns what it then holds.
    uint32_t WaitForQueue(THandle h, uint32_t count) {
        TComStat stat;
        const TClock::time_point end = TClock::now() + std::chrono::seconds(5);
        while (TClock::now() < end) {
            if (Link.ClearCommError(h, stat) && stat.cbInQue >= count)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return stat.cbInQue;
    }
};

TEST_F(ComLinkOnWinePort, OpensAndTakesTheLineSettings) {
    THookRecorder hook;
    const THandle h = Open();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DCB before{};
    before.DCBlength = sizeof before;
    ASSERT_TRUE(GetCommState(h, &before));
    Link.ConfigurePort(h);
    Link.SetReadTimeouts(h);
    EXPECT_TRUE(hook.Events.empty());
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    ASSERT_TRUE(GetCommState(h, &dcb));
    EXPECT_EQ(dcb.BaudRate, 19200u);
    EXPECT_EQ(dcb.ByteSize, 8);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.StopBits, ONESTOPBIT);
    // Everything else as the port had it.
    DCB expected = before;
    expected.BaudRate = dcb.BaudRate;
    expected.ByteSize = dcb.ByteSize;
    expected.Parity = dcb.Parity;
    expected.StopBits = dcb.StopBits;
    EXPECT_EQ(std::memcmp(&dcb, &expected, sizeof dcb), 0);
    COMMTIMEOUTS timeouts{};
    ASSERT_TRUE(GetCommTimeouts(h, &timeouts));
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 0u);
}

TEST_F(ComLinkOnWinePort, SecondOpenFails) {
    ASSERT_NE(Open(), INVALID_HANDLE_VALUE);
    const THandle second = Open();
    if (second != INVALID_HANDLE_VALUE && RunningUnderWine())
        GTEST_SKIP() << "wine opened the port a second time: it does not apply share mode 0 "
                        "to serial devices";
    EXPECT_EQ(second, INVALID_HANDLE_VALUE);
}

TEST_F(ComLinkOnWinePort, ReadReturnsAtOnceWhenNothingIsWaiting) {
    THookRecorder hook;
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    uint8_t buffer[400];
    const TClock::time_point start = TClock::now();
    EXPECT_EQ(Link.ReceiveData(buffer, 255, h), 0);
    EXPECT_LT(TClock::now() - start, std::chrono::milliseconds(200));
    EXPECT_TRUE(hook.Events.empty());
}

TEST_F(ComLinkOnWinePort, EveryByteValuePassesUnchanged) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<uint8_t> all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<uint8_t>(i));
    ASSERT_EQ(Host().Send(all), "ok");
    EXPECT_EQ(ReadBytes(h, all.size()), all);
}

TEST_F(ComLinkOnWinePort, QueueCountsTheWaitingBytes) {
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    TComStat stat;
    ASSERT_TRUE(Link.ClearCommError(h, stat));
    EXPECT_EQ(stat.cbInQue, 0u);
    ASSERT_EQ(Host().Send(std::vector<uint8_t>(300, 0x55)), "ok");
    EXPECT_EQ(WaitForQueue(h, 300), 300u);
    uint8_t buffer[400];
    EXPECT_EQ(Link.ReceiveData(buffer, 255, h), 255);
    ASSERT_TRUE(Link.ClearCommError(h, stat));
    EXPECT_EQ(stat.cbInQue, 45u);
    EXPECT_EQ(Link.ReceiveData(buffer, 255, h), 45);
}

// The device unplugged: the pty's master closed. On Windows the read fails;
// wine 8 lets ReadFile succeed with nothing and fails only the status query
// (ClearCommError). Either way the link must report no bytes and not wait.
TEST_F(ComLinkOnWinePort, DeviceGoneIsNoticed) {
    THookRecorder hook;
    const THandle h = OpenConfigured();
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    ASSERT_EQ(Host().Send({1, 2, 3}), "ok");
    EXPECT_EQ(ReadBytes(h, 3), (std::vector<uint8_t>{1, 2, 3}));
    ASSERT_EQ(Host().Request("unplug"), "ok");

    uint8_t buffer[400];
    bool readFailed = false;
    bool queryFailed = false;
    const TClock::time_point end = TClock::now() + std::chrono::seconds(5);
    while (!readFailed && !queryFailed && TClock::now() < end) {
        EXPECT_EQ(Link.ReceiveData(buffer, 255, h), 0);
        readFailed = !hook.Events.empty();
        TComStat stat;
        queryFailed = !Link.ClearCommError(h, stat);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::printf("device gone: ReadFile %s, ClearCommError %s\n",
                readFailed ? "failed" : "succeeded with 0 bytes",
                queryFailed ? "failed" : "succeeded");
    EXPECT_TRUE(readFailed || queryFailed);
    if (readFailed) {
        EXPECT_EQ(hook.Events, (std::vector<std::string>{"stop", "box ReceiveData"}));
    }
}

} // namespace
