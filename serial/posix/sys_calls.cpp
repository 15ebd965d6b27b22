#include "sys_calls.h"

#include "calls_slot.h"

#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

int TSysCalls::Open(const char* path, int flags) {
    return open(path, flags);
}

int TSysCalls::Close(int fd) {
    return close(fd);
}

ssize_t TSysCalls::Read(int fd, void* buffer, std::size_t count) {
    return read(fd, buffer, count);
}

int TSysCalls::Isatty(int fd) {
    return isatty(fd);
}

int TSysCalls::SetExclusive(int fd, bool exclusive) {
    return ioctl(fd, exclusive ? TIOCEXCL : TIOCNXCL);
}

int TSysCalls::GetExclusive(int fd, int* exclusive) {
    return ioctl(fd, TIOCGEXCL, exclusive);
}

int TSysCalls::BytesWaiting(int fd, int* count) {
    return ioctl(fd, FIONREAD, count);
}

int TSysCalls::Flock(int fd, int operation) {
    return flock(fd, operation);
}

int TSysCalls::GetFlags(int fd) {
    return fcntl(fd, F_GETFL);
}

int TSysCalls::SetFlags(int fd, int flags) {
    return fcntl(fd, F_SETFL, flags);
}

int TSysCalls::Tcgetattr(int fd, termios* t) {
    return tcgetattr(fd, t);
}

int TSysCalls::Tcsetattr(int fd, int actions, const termios* t) {
    return tcsetattr(fd, actions, t);
}

std::string TSysCalls::ErrorText(int code) {
    return std::strerror(code);
}

TSysCalls& Sys() {
    return TCallsSlot<TSysCalls>::Current();
}

TSysCalls* SetSysCalls(TSysCalls* calls) {
    return TCallsSlot<TSysCalls>::Install(calls);
}
