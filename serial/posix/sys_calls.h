// The system calls of the serial layer, all behind one seam so that tests can
// make any of them fail (EINTR, EIO, EBUSY, a failing tcgetattr) where a
// pseudo-terminal would not.
#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <termios.h>

class TSysCalls {
public:
    virtual ~TSysCalls() = default;

    virtual int Open(const char* path, int flags);
    virtual int Close(int fd);
    virtual ssize_t Read(int fd, void* buffer, std::size_t count);
    virtual int Isatty(int fd);
    // ioctl(TIOCEXCL) and ioctl(TIOCNXCL).
    virtual int SetExclusive(int fd, bool exclusive);
    // ioctl(TIOCGEXCL): whether the terminal is in exclusive use already.
    virtual int GetExclusive(int fd, int* exclusive);
    // ioctl(FIONREAD): bytes received and not yet read.
    virtual int BytesWaiting(int fd, int* count);
    virtual int Flock(int fd, int operation);
    virtual int GetFlags(int fd);
    virtual int SetFlags(int fd, int flags);
    virtual int Tcgetattr(int fd, termios* t);
    virtual int Tcsetattr(int fd, int actions, const termios* t);
    // The system's message text for an error code (strerror).
    virtual std::string ErrorText(int code);
};

// The calls in use: the real ones unless a test has installed others.
TSysCalls& Sys();

// Installs calls (nullptr: the real ones again) and returns the previous ones.
TSysCalls* SetSysCalls(TSysCalls* calls);
