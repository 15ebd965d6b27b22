#include "com_link.h"

#include "com_link_common.h"
#include "port_names.h"
#include "sys_calls.h"

#include <algorithm>
#include <string>

namespace {

// The system's message text for an error code, in the ANSI code page that
// MessageBoxA and the window's 8-bit texts use.
std::string MessageText(TSysCalls& sys, DWORD code) {
    wchar_t wide[1024];
    const DWORD length = sys.FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), wide, sizeof wide / sizeof wide[0], nullptr);
    if (length == 0)
        return "Fehler " + std::to_string(code);
    const int size = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), &text[0], size, nullptr,
                            nullptr);
    return text;
}

} // namespace

THandle OpenDevice(const std::string& path) {
    // Share mode 0: the open fails while any other handle to the port is
    // open, this program's own included. Flags 0: synchronous reads.
    return Sys().CreateFileA(Win32DeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                             nullptr, OPEN_EXISTING, 0, nullptr);
}

THandle TComLink::OpenPort(const std::string& name) const {
    return OpenDevice(PortDevicePath(name));
}

void TComLink::ConfigurePort(THandle handle) const {
    TSysCalls& sys = Sys();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!sys.GetCommState(handle, &dcb)) {
        ShowCommError("GetCommState");
        // Go on from a cleared record, so what is written is defined.
        dcb = DCB{};
        dcb.DCBlength = sizeof dcb;
    }
    // Only the line settings change; flow control, DTR/RTS and the rest
    // stay as the port had them.
    dcb.BaudRate = CBR_19200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    if (!sys.SetCommState(handle, &dcb))
        ShowCommError("SetCommState");
}

void TComLink::SetReadTimeouts(THandle handle) const {
    // An interval of MAXDWORD with both totals 0: a read returns at once with
    // what the driver holds, possibly nothing.
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = 0;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 0;
    if (!Sys().SetCommTimeouts(handle, &timeouts))
        ShowCommError("SetCommTimeouts");
}

std::string OpenRefusalAdvice() {
    if (Sys().GetLastError() != ERROR_ACCESS_DENIED)
        return std::string();
    // A communications port is no file with access rights of its own: it
    // refuses access while another program has it open.
    return "Kein Zugriff auf den Port: Er ist wohl von einem anderen Programm belegt.";
}

std::string LastErrorText() {
    TSysCalls& sys = Sys();
    // First of all: anything called before would overwrite the code.
    const DWORD code = sys.GetLastError();
    return TrimMessageText(MessageText(sys, code));
}

// No owner: the box does not disable any window while it is open.
void ShowDefaultErrorBox(const std::string& caption, const std::string& text) {
    Sys().MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_ICONERROR | MB_OK);
}

int32_t TComLink::ReceiveData(uint8_t* buffer, int32_t count, THandle handle) const {
    if (count <= 0)
        return 0;
    TSysCalls& sys = Sys();
    // Asked for no more than the driver holds, a read is served at once;
    // asked for more, it first fetches the port's timeouts (under wine a
    // round trip to its server, on every tick). With nothing waiting, or
    // the count unknown, the read is made as asked, so that a port that
    // fails still fails here.
    DWORD wanted = static_cast<DWORD>(count);
    DWORD errors = 0;
    COMSTAT queue{};
    if (sys.ClearCommError(handle, &errors, &queue) && queue.cbInQue > 0)
        wanted = std::min(wanted, queue.cbInQue);
    DWORD got = 0;
    if (sys.ReadFile(handle, buffer, wanted, &got, nullptr))
        return static_cast<int32_t>(got);
    // The stop request runs window code, which may change the last error.
    const DWORD code = sys.GetLastError();
    const TComLinkHook& hook = ComLinkHook();
    if (hook.RequestStop)
        hook.RequestStop();
    sys.SetLastError(code);
    ShowCommError("ReceiveData");
    return static_cast<int32_t>(got);
}

bool TComLink::ClearCommError(THandle handle, TComStat& stat) const {
    DWORD errors = 0;
    COMSTAT comStat{};
    if (!Sys().ClearCommError(handle, &errors, &comStat)) {
        stat.cbInQue = 0;
        return false;
    }
    stat.cbInQue = comStat.cbInQue;
    return true;
}
