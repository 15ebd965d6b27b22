// The serial port object and the one port handle. On Windows the port is
// the communications device of its name; elsewhere it is a terminal device
// opened by file descriptor, and the operations keep the names and the
// error-box captions a user of the Windows program knows ("GetCommState"...).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#ifdef _WIN32
#include <windows.h>
// A port handle is a Win32 handle; INVALID_HANDLE_VALUE and CloseHandle are
// the system's own.
using THandle = HANDLE;
#else
// A port handle is a file descriptor.
using THandle = int;
constexpr THandle INVALID_HANDLE_VALUE = -1;
#endif

// The one port handle: 0 before the first open attempt; every open attempt
// stores its result here, INVALID_HANDLE_VALUE included; closing leaves the
// closed descriptor's value in it.
extern THandle hComPort;

// What ClearCommError reports: the bytes received and not yet read.
struct TComStat {
    uint32_t cbInQue = 0;
};

// Where TComLink acts on the window. The window installs both; a member left
// empty falls back to the default: the box is a message box of the system's
// own on Windows, and caption and text go to standard error elsewhere; the
// stop request does nothing.
struct TComLinkHook {
    std::function<void(const std::string& caption, const std::string& text)> ShowErrorBox;
    // ReceiveData's stop request: enable Start, disable Stop.
    std::function<void()> RequestStop;
};

// Installs the hook, replacing any earlier one.
void SetComLinkHook(TComLinkHook hook);

class TComLink {
public:
    // Opens the port named "COM1".."COM9" (device path from port_names.h)
    // for exclusive use: a second open fails while any handle to the port is
    // open, the program's own included. A port that does not exist or cannot
    // be opened gives INVALID_HANDLE_VALUE. Reports nothing itself.
    //
    // On Windows that is CreateFileA with share mode 0. Elsewhere the port
    // must be a terminal not already in exclusive use (TIOCEXCL, or our
    // lock), and root's opens are refused too. What Linux cannot tell: a
    // program that opened the port with neither TIOCEXCL nor flock holds no
    // lock we could see, so the port still counts as free and both programs
    // then read from it.
    THandle OpenPort(const std::string& name) const;

    // 19200 baud, 8N1 (and raw on a terminal). A failing read of the
    // settings ("GetCommState") or write ("SetCommState") shows its box; the
    // steps go on regardless.
    void ConfigurePort(THandle handle) const;

    // Reads never wait. Shows the "SetCommTimeouts" box on failure.
    void SetReadTimeouts(THandle handle) const;

    // Shows the system's text for the last error (GetLastError, errno),
    // trimmed of trailing control characters, blanks and full stops,
    // captioned with the operation's name. Must be called right after the
    // failed call. Without a hook Windows shows it in a message box of its
    // own (no owner, error icon, OK); elsewhere it goes to standard error.
    void ShowCommError(const std::string& operation) const;

    // Reads up to count bytes without waiting; returns the bytes read, 0 when
    // none are waiting. A read that fails (on Linux also end of file: the
    // port has gone away) makes the stop request, shows the "ReceiveData"
    // box and returns 0.
    int32_t ReceiveData(uint8_t* buffer, int32_t count, THandle handle) const;

    // The input queue for the gauge. False (and a count of 0) when the query
    // fails, which the caller may ignore.
    bool ClearCommError(THandle handle, TComStat& stat) const;
};

// OpenPort's work on a device path (on Windows a device name such as
// "COM5", "COM12" or \\.\COM12; see Win32DeviceName).
THandle OpenDevice(const std::string& path);

#ifndef _WIN32
// Gives up the exclusive use (only where this program set it) and closes.
// False when close fails.
bool CloseHandle(THandle handle);
#endif

// What the user can do about the last failed OpenPort or OpenDevice when the
// port is there but refused this user access (German, ASCII); "" for any
// other failure. Must be called right after the failed open, before any
// other system call. Linux: the user is not in the group that owns serial
// ports. Windows: access is refused while another program holds the port.
std::string OpenRefusalAdvice();

// A message text without the trailing characters 0..32 and full stops.
std::string TrimMessageText(std::string text);

// The system's text for the last failed call (GetLastError on Windows,
// errno elsewhere), trimmed as above: what ShowCommError shows, for a
// caller that reports it itself.
std::string LastErrorText();
