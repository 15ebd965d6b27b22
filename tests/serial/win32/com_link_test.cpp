// The Win32 TComLink through scripted calls: what each operation asks of the
// system, and what it shows when a call fails.
#include "com_link.h"
#include "hook_recorder.h"
#include "port_names.h"
#include "scripted_calls.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class ComLinkCalls : public ::testing::Test {
protected:
    TScriptedCalls Calls;
    TSysCallsGuard Guard{Calls};
    TComLink Link;
    // A handle no call reaches the system with: every call on it is scripted
    // or records only.
    const THandle Port = reinterpret_cast<THandle>(static_cast<intptr_t>(0x1234));
};

TEST_F(ComLinkCalls, OpenPortOpensTheNamedDeviceForThisProgramAlone) {
    Calls.Failures["CreateFileA"] = {ERROR_FILE_NOT_FOUND};
    EXPECT_EQ(Link.OpenPort("COM5"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(Calls.OpenedName, "COM5");
    EXPECT_EQ(Calls.OpenAccess, static_cast<DWORD>(GENERIC_READ | GENERIC_WRITE));
    EXPECT_EQ(Calls.OpenShareMode, 0u);
    EXPECT_EQ(Calls.OpenSecurity, nullptr);
    EXPECT_EQ(Calls.OpenDisposition, static_cast<DWORD>(OPEN_EXISTING));
    EXPECT_EQ(Calls.OpenFlags, 0u);
    EXPECT_EQ(Calls.OpenTemplate, nullptr);
}

TEST_F(ComLinkCalls, OpenPortTakesTheDeviceOfAnOverride) {
    SetPortOverrides({{"COM9", "\\\\.\\COM12"}, {"COM5", "COM14"}});
    Calls.Failures["CreateFileA"] = {ERROR_FILE_NOT_FOUND};
    Link.OpenPort("com9");
    EXPECT_EQ(Calls.OpenedName, "\\\\.\\COM12");
    // Written as Device Manager names it: opened in the device namespace.
    Calls.Failures["CreateFileA"] = {ERROR_FILE_NOT_FOUND};
    Link.OpenPort("COM5");
    EXPECT_EQ(Calls.OpenedName, "\\\\.\\COM14");
    SetPortOverrides({});
    Calls.Failures["CreateFileA"] = {ERROR_FILE_NOT_FOUND};
    Link.OpenPort("com9");
    EXPECT_EQ(Calls.OpenedName, "COM9");
}

TEST_F(ComLinkCalls, ConfigurePortChangesOnlyTheLineSettings) {
    THookRecorder hook;
    Calls.HasReportedDcb = true;
    std::memset(&Calls.ReportedDcb, 0, sizeof Calls.ReportedDcb);
    DCB& reported = Calls.ReportedDcb;
    reported.DCBlength = sizeof reported;
    reported.BaudRate = CBR_9600;
    reported.ByteSize = 7;
    reported.Parity = EVENPARITY;
    reported.StopBits = TWOSTOPBITS;
    reported.fBinary = TRUE;
    reported.fOutxCtsFlow = TRUE;
    reported.fDtrControl = DTR_CONTROL_HANDSHAKE;
    reported.fRtsControl = RTS_CONTROL_TOGGLE;
    reported.XonLim = 123;
    reported.XoffLim = 456;
    reported.XonChar = 0x11;
    reported.XoffChar = 0x13;
    reported.ErrorChar = '?';
    reported.EofChar = 0x1A;
    reported.EvtChar = '!';
    Calls.Failures["SetCommState"] = {ERROR_INVALID_HANDLE}; // records only
    Link.ConfigurePort(Port);

    DCB expected = reported;
    expected.BaudRate = 19200;
    expected.ByteSize = 8;
    expected.Parity = NOPARITY;
    expected.StopBits = ONESTOPBIT;
    EXPECT_EQ(std::memcmp(&Calls.WrittenDcb, &expected, sizeof expected), 0);
    EXPECT_EQ(hook.Events, (std::vector<std::string>{"box SetCommState"}));
}

TEST_F(ComLinkCalls, FailingGetCommStateShowsItsBoxAndSetCommStateStillRuns) {
    THookRecorder hook;
    Calls.MessageText = L"Das Ger\u00E4t ist nicht bereit.\r\n";
    Calls.Failures["GetCommState"] = {ERROR_NOT_READY};
    Calls.Failures["SetCommState"] = {ERROR_GEN_FAILURE};
    Link.ConfigurePort(Port);
    EXPECT_EQ(hook.Events, (std::vector<std::string>{"box GetCommState", "box SetCommState"}));
    ASSERT_EQ(hook.Boxes.size(), 2u);
    // The record written after a failed read is a cleared one with the four
    // line settings, not whatever the failed call left in it.
    DCB expected{};
    expected.DCBlength = sizeof expected;
    expected.BaudRate = 19200;
    expected.ByteSize = 8;
    expected.Parity = NOPARITY;
    expected.StopBits = ONESTOPBIT;
    EXPECT_EQ(std::memcmp(&Calls.WrittenDcb, &expected, sizeof expected), 0);
}

TEST_F(ComLinkCalls, BoxTextIsTheSystemTextForTheFailedCallsCode) {
    THookRecorder hook;
    Calls.Failures["SetCommTimeouts"] = {ERROR_ACCESS_DENIED};
    Link.SetReadTimeouts(Port);
    ASSERT_EQ(hook.Boxes.size(), 1u);
    EXPECT_EQ(hook.Boxes[0].first, "SetCommTimeouts");
    // The code was taken before anything else and asked of the system table
    // in the default language, inserts ignored.
    EXPECT_EQ(Calls.FormatCode, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Calls.FormatFlags,
              static_cast<DWORD>(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS));
    EXPECT_EQ(Calls.FormatLanguage, static_cast<DWORD>(MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)));
    const std::vector<std::string> expectedOrder = {"SetCommTimeouts", "GetLastError",
                                                    "FormatMessageW"};
    EXPECT_EQ(Calls.Calls, expectedOrder);

    wchar_t wide[512];
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_ACCESS_DENIED,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), wide, 512, nullptr);
    ASSERT_GT(length, 0u);
    std::string system;
    for (DWORD i = 0; i < length; ++i)
        system += static_cast<char>(wide[i]); // ASCII in the tables we run on
    EXPECT_EQ(hook.Boxes[0].second, TrimMessageText(system));
    EXPECT_FALSE(hook.Boxes[0].second.empty());
    const char last = hook.Boxes[0].second.back();
    EXPECT_NE(last, '.');
    EXPECT_GT(static_cast<unsigned char>(last), 32);
}

TEST_F(ComLinkCalls, SetReadTimeoutsMakesReadsReturnAtOnce) {
    THookRecorder hook;
    Calls.Failures["SetCommTimeouts"] = {ERROR_INVALID_HANDLE}; // records only
    Link.SetReadTimeouts(Port);
    EXPECT_EQ(Calls.WrittenTimeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(Calls.WrittenTimeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(Calls.WrittenTimeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(Calls.WrittenTimeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(Calls.WrittenTimeouts.WriteTotalTimeoutConstant, 0u);
    EXPECT_EQ(hook.Events, (std::vector<std::string>{"box SetCommTimeouts"}));
}

TEST_F(ComLinkCalls, FailedReadRequestsTheStopThenShowsItsBox) {
    THookRecorder hook;
    Calls.MessageText = L"Zugriff verweigert.\r\n";
    Calls.Failures["ReadFile"] = {ERROR_ACCESS_DENIED};
    uint8_t buffer[16];
    EXPECT_EQ(Link.ReceiveData(buffer, 16, Port), 0);
    EXPECT_EQ(hook.Events, (std::vector<std::string>{"stop", "box ReceiveData"}));
    ASSERT_EQ(hook.Boxes.size(), 1u);
    EXPECT_EQ(hook.Boxes[0].second, "Zugriff verweigert");
    // The code of the read, not of whatever the stop request did.
    EXPECT_EQ(Calls.FormatCode, static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// A read asks for what the driver holds, at most the count; with nothing
// waiting or the queue unknown, for the count, so that a failing port fails.
TEST_F(ComLinkCalls, ReadAsksForTheWaitingBytesAtMostTheCount) {
    struct TCase {
        bool QueueKnown;
        DWORD Waiting;
        DWORD Asked;
    };
    for (const TCase& c : {TCase{true, 19, 19}, TCase{true, 300, 255}, TCase{true, 255, 255},
                           TCase{true, 0, 255}, TCase{false, 0, 255}}) {
        Calls.ReadCounts.clear();
        Calls.HasReportedQueue = c.QueueKnown;
        Calls.ReportedQueue = c.Waiting;
        if (!c.QueueKnown)
            Calls.Failures["ClearCommError"] = {ERROR_INVALID_HANDLE};
        Calls.Failures["ReadFile"] = {ERROR_INVALID_HANDLE};
        THookRecorder hook;
        uint8_t buffer[255];
        EXPECT_EQ(Link.ReceiveData(buffer, 255, Port), 0);
        EXPECT_EQ(Calls.ReadCounts, std::vector<DWORD>{c.Asked}) << c.Waiting << " waiting";
        EXPECT_EQ(hook.Events, (std::vector<std::string>{"stop", "box ReceiveData"}));
    }
}

TEST_F(ComLinkCalls, StopRequestCannotChangeTheShownError) {
    TComLinkHook hook;
    std::string shown;
    hook.RequestStop = [] { ::SetLastError(ERROR_SUCCESS); };
    hook.ShowErrorBox = [&](const std::string& caption, const std::string&) { shown = caption; };
    SetComLinkHook(hook);
    Calls.Failures["ReadFile"] = {ERROR_BAD_COMMAND};
    uint8_t buffer[4];
    EXPECT_EQ(Link.ReceiveData(buffer, 4, Port), 0);
    SetComLinkHook(TComLinkHook{});
    EXPECT_EQ(shown, "ReceiveData");
    EXPECT_EQ(Calls.FormatCode, static_cast<DWORD>(ERROR_BAD_COMMAND));
}

TEST_F(ComLinkCalls, WithoutAHookTheBoxIsTheSystemsOwn) {
    Calls.MessageText = L"Das System kann die angegebene Datei nicht finden. \r\n";
    Calls.Failures["GetCommState"] = {ERROR_FILE_NOT_FOUND};
    Calls.Failures["SetCommState"] = {ERROR_FILE_NOT_FOUND};
    Link.ConfigurePort(Port);
    EXPECT_EQ(Calls.BoxOwner, nullptr);
    EXPECT_EQ(Calls.BoxCaption, "SetCommState");
    EXPECT_EQ(Calls.BoxText, "Das System kann die angegebene Datei nicht finden");
    EXPECT_EQ(Calls.BoxType, static_cast<UINT>(MB_ICONERROR | MB_OK));
    int boxes = 0;
    for (const std::string& call : Calls.Calls)
        boxes += call == "MessageBoxA";
    EXPECT_EQ(boxes, 2);
}

TEST_F(ComLinkCalls, MessageTextInTheAnsiCodePage) {
    THookRecorder hook;
    Calls.MessageText = L"Ger\u00E4t \u00FCberlastet.";
    Calls.Failures["SetCommTimeouts"] = {ERROR_GEN_FAILURE};
    Link.SetReadTimeouts(Port);
    ASSERT_EQ(hook.Boxes.size(), 1u);
    // What MessageBoxA will show as the same letters.
    char expected[64] = {};
    const int size = WideCharToMultiByte(CP_ACP, 0, L"Ger\u00E4t \u00FCberlastet", -1, expected,
                                         sizeof expected, nullptr, nullptr);
    ASSERT_GT(size, 0);
    EXPECT_EQ(hook.Boxes[0].second, std::string(expected));
}

TEST_F(ComLinkCalls, CodeWithoutAMessageTextIsShownByNumber) {
    THookRecorder hook;
    Calls.Failures["SetCommTimeouts"] = {0x2000ABCDu};
    Calls.Failures["FormatMessageW"] = {ERROR_MR_MID_NOT_FOUND};
    Link.SetReadTimeouts(Port);
    ASSERT_EQ(hook.Boxes.size(), 1u);
    EXPECT_EQ(hook.Boxes[0].second, "Fehler " + std::to_string(0x2000ABCDu));
}

TEST_F(ComLinkCalls, FailedQueryGivesAnEmptyQueue) {
    Calls.Failures["ClearCommError"] = {ERROR_INVALID_HANDLE};
    TComStat stat;
    stat.cbInQue = 77;
    EXPECT_FALSE(Link.ClearCommError(Port, stat));
    EXPECT_EQ(stat.cbInQue, 0u);
}

TEST(TrimMessageText, RemovesTrailingControlCharactersBlanksAndFullStops) {
    EXPECT_EQ(TrimMessageText("Zugriff verweigert.\r\n"), "Zugriff verweigert");
    EXPECT_EQ(TrimMessageText("Falscher Parameter. \t\r\n\0"), "Falscher Parameter");
    EXPECT_EQ(TrimMessageText(std::string("Text.\x01\x1F \x00..", 11)), "Text");
    EXPECT_EQ(TrimMessageText("a.b. c"), "a.b. c");
    EXPECT_EQ(TrimMessageText("...\r\n"), "");
    EXPECT_EQ(TrimMessageText(""), "");
    // Characters above 32 stay, whatever their byte value.
    EXPECT_EQ(TrimMessageText("Ger\xE4t\xFC!"), "Ger\xE4t\xFC!");
}

} // namespace
