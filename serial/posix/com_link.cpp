#include "com_link.h"

#include "com_link_common.h"
#include "line_settings.h"
#include "port_names.h"
#include "sys_calls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <sys/file.h>

namespace {

// The descriptors whose terminal we put into exclusive use. Only these give
// the flag up on close: a flag another program set is not ours to clear.
std::set<int> ExclusiveByUs;

// A call interrupted by a signal has done nothing yet; do it again.
template <typename TCall> auto RetryOnEintr(TCall call) -> decltype(call()) {
    for (;;) {
        const auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

// Closes a descriptor without disturbing the errno of the failure that made
// the caller give it up.
void CloseKeepingErrno(int fd) {
    const int saved = errno;
    Sys().Close(fd);
    errno = saved;
}

} // namespace

THandle OpenDevice(const std::string& path) {
    if (path.empty()) {
        errno = ENOENT;
        return INVALID_HANDLE_VALUE;
    }
    TSysCalls& sys = Sys();
    // O_NONBLOCK: the open must not wait for a carrier, and reads must not
    // wait for data. O_NOCTTY: the port must never become the program's
    // controlling terminal.
    const int fd = RetryOnEintr(
        [&] { return sys.Open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC); });
    if (fd < 0)
        return INVALID_HANDLE_VALUE;
    if (sys.Isatty(fd) != 1) {
        if (errno == 0 || errno == EINVAL)
            errno = ENOTTY;
        CloseKeepingErrno(fd);
        return INVALID_HANDLE_VALUE;
    }
    // A terminal another program holds with TIOCEXCL refuses an ordinary
    // user's open, but root gets through; asking first makes the port count
    // as held for root too.
    int heldByOther = 0;
    if (RetryOnEintr([&] { return sys.GetExclusive(fd, &heldByOther); }) != 0) {
        CloseKeepingErrno(fd);
        return INVALID_HANDLE_VALUE;
    }
    if (heldByOther != 0) {
        CloseKeepingErrno(fd);
        errno = EBUSY;
        return INVALID_HANDLE_VALUE;
    }
    // TIOCEXCL makes other opens of the terminal fail, but not root's; the
    // lock also refuses root and a second open by this very process, which
    // is what opening with share mode 0 means on Windows.
    if (RetryOnEintr([&] { return sys.SetExclusive(fd, true); }) != 0) {
        CloseKeepingErrno(fd);
        return INVALID_HANDLE_VALUE;
    }
    ExclusiveByUs.insert(fd);
    if (RetryOnEintr([&] { return sys.Flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
        // Another holder of the lock: the flag we just set is ours to clear.
        const int saved = errno;
        CloseHandle(fd);
        errno = saved;
        return INVALID_HANDLE_VALUE;
    }
    return fd;
}

bool CloseHandle(THandle handle) {
    TSysCalls& sys = Sys();
    // The exclusive flag belongs to the terminal, not to the descriptor: left
    // set, it would keep refusing the next open, the program's own included.
    if (ExclusiveByUs.erase(handle) != 0)
        sys.SetExclusive(handle, false);
    // Not retried on EINTR: Linux has released the descriptor either way.
    return sys.Close(handle) == 0;
}

THandle TComLink::OpenPort(const std::string& name) const {
    return OpenDevice(PortDevicePath(name));
}

void TComLink::ConfigurePort(THandle handle) const {
    TSysCalls& sys = Sys();
    termios t{};
    if (RetryOnEintr([&] { return sys.Tcgetattr(handle, &t); }) != 0) {
        ShowCommError("GetCommState");
        // Go on from a cleared record, so what is written is defined.
        t = termios{};
    }
    SetLineSettings(t);
    if (RetryOnEintr([&] { return sys.Tcsetattr(handle, TCSANOW, &t); }) != 0)
        ShowCommError("SetCommState");
}

void TComLink::SetReadTimeouts(THandle handle) const {
    TSysCalls& sys = Sys();
    termios t{};
    bool ok = RetryOnEintr([&] { return sys.Tcgetattr(handle, &t); }) == 0;
    if (ok) {
        SetNonWaitingReads(t);
        ok = RetryOnEintr([&] { return sys.Tcsetattr(handle, TCSANOW, &t); }) == 0;
    }
    // OpenPort opens without blocking already; a handle from elsewhere gets
    // it here, since without it a read would wait for the first byte.
    if (ok) {
        const int flags = RetryOnEintr([&] { return sys.GetFlags(handle); });
        ok = flags != -1 &&
             ((flags & O_NONBLOCK) != 0 ||
              RetryOnEintr([&] { return sys.SetFlags(handle, flags | O_NONBLOCK); }) != -1);
    }
    if (!ok)
        ShowCommError("SetCommTimeouts");
}

std::string OpenRefusalAdvice() {
    if (errno != EACCES && errno != EPERM)
        return std::string();
    // Debian gives serial devices to the group "dialout"; membership counts
    // from the next login on.
    return "Kein Zugriff auf den Port: Der Benutzer muss in der Gruppe \"dialout\" sein "
           "(danach neu anmelden).";
}

std::string LastErrorText() {
    const int code = errno;
    return TrimMessageText(Sys().ErrorText(code));
}

void ShowDefaultErrorBox(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

int32_t TComLink::ReceiveData(uint8_t* buffer, int32_t count, THandle handle) const {
    if (count <= 0)
        return 0;
    const ssize_t got =
        RetryOnEintr([&] { return Sys().Read(handle, buffer, static_cast<std::size_t>(count)); });
    if (got > 0)
        return static_cast<int32_t>(got);
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return 0;
    // End of file: with VMIN 1 the terminal reports that only when the line
    // has hung up, e.g. the USB adapter was pulled out.
    if (got == 0)
        errno = ENODEV;
    const int code = errno;
    const TComLinkHook& hook = ComLinkHook();
    if (hook.RequestStop)
        hook.RequestStop();
    errno = code;
    ShowCommError("ReceiveData");
    return 0;
}

bool TComLink::ClearCommError(THandle handle, TComStat& stat) const {
    int waiting = 0;
    if (RetryOnEintr([&] { return Sys().BytesWaiting(handle, &waiting); }) != 0 || waiting < 0) {
        stat.cbInQue = 0;
        return false;
    }
    stat.cbInQue = static_cast<uint32_t>(waiting);
    return true;
}
