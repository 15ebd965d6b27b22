#include "console.h"

#include <cerrno>

#ifdef _WIN32
#include <io.h>
#include <string>
#include <windows.h>
#else
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// Only a console answers for its mode; a file, a pipe or NUL does not
// (_isatty takes NUL for a terminal).
bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

bool WriteConsoleText(HANDLE console, const char* data, std::size_t size) {
    if (size == 0)
        return true;
    const int length = MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), nullptr, 0);
    if (length <= 0)
        return false;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), &wide[0], length);
    // Older consoles refuse long writes; pieces never split a surrogate pair.
    constexpr std::size_t Piece = 8192;
    for (std::size_t done = 0; done < wide.size();) {
        std::size_t n = wide.size() - done < Piece ? wide.size() - done : Piece;
        if (n == Piece && IS_HIGH_SURROGATE(wide[done + n - 1]))
            --n;
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, static_cast<DWORD>(n), &written, nullptr) ||
            written == 0)
            return false;
        done += written;
    }
    return true;
}

} // namespace

bool IsTerminal(std::FILE* stream) {
    return IsConsole(HandleOf(_fileno(stream)));
}

long WriteText(int fd, const char* data, std::size_t size) {
    const HANDLE handle = HandleOf(fd);
    if (!IsConsole(handle))
        return _write(fd, data, static_cast<unsigned>(size));
    if (!WriteConsoleText(handle, data, size)) {
        errno = EIO;
        return -1;
    }
    return static_cast<long>(size);
}

#else

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) == 1;
}

long WriteText(int fd, const char* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
}

#endif
