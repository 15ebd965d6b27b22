// The serial port object and the one port handle. The port is a terminal
// device opened by file descriptor; the operations keep the names and the
// error-box captions a user of the Windows program knows ("GetCommState"...).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A port handle is a file descriptor.
using THandle = int;
constexpr THandle INVALID_HANDLE_VALUE = -1;

// The one port handle: 0 before the first open attempt; every open attempt
// stores its result here, INVALID_HANDLE_VALUE included; closing leaves the
// closed descriptor's value in it.
extern THandle hComPort;

// What ClearCommError reports: the bytes received and not yet read.
struct TComStat {
    uint32_t cbInQue = 0;
};

// Where TComLink acts on the window. The window installs both; a member left
// empty falls back to the default: the box's caption and text go to standard
// error, and the stop request does nothing.
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
    // for exclusive use: a second open fails while any descriptor to the
    // port is open, the program's own and root's included. A port that does
    // not exist, cannot be opened, is not a terminal or is already in
    // exclusive use (TIOCEXCL, or our lock) gives INVALID_HANDLE_VALUE.
    // Reports nothing itself.
    //
    // What Linux cannot tell: a program that opened the port with neither
    // TIOCEXCL nor flock holds no lock we could see, so the port still
    // counts as free and both programs then read from it.
    THandle OpenPort(const std::string& name) const;

    // 19200 baud, 8N1, raw. A failing read of the settings ("GetCommState")
    // or write ("SetCommState") shows its box; the steps go on regardless.
    void ConfigurePort(THandle handle) const;

    // Reads never wait. Shows the "SetCommTimeouts" box on failure.
    void SetReadTimeouts(THandle handle) const;

    // Shows the system's text for the current errno, trimmed of trailing
    // control characters, blanks and full stops, captioned with the
    // operation's name. Must be called right after the failed call.
    void ShowCommError(const std::string& operation) const;

    // Reads up to count bytes without waiting; returns the bytes read, 0 when
    // none are waiting. A read on a port that has gone away (end of file,
    // EIO...) fails: it makes the stop request, shows the "ReceiveData" box
    // and returns 0.
    int32_t ReceiveData(uint8_t* buffer, int32_t count, THandle handle) const;

    // The input queue for the gauge. False (and a count of 0) when the query
    // fails, which the caller may ignore.
    bool ClearCommError(THandle handle, TComStat& stat) const;
};

// OpenPort's work on a device path.
THandle OpenDevice(const std::string& path);

// Gives up the exclusive use (only where this program set it) and closes.
// False when close fails.
bool CloseHandle(THandle handle);

// A message text without the trailing characters 0..32 and full stops.
std::string TrimMessageText(std::string text);
