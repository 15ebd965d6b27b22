#include "line_output.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace {

// Bytes of p, from the start, below 0x80. Looks at eight at a time: almost
// every line is ASCII, apart from an ä or ü in a few of them.
std::size_t AsciiPrefix(const unsigned char* p, std::size_t size) {
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        if (word & 0x8080808080808080u)
            break;
    }
    while (i < size && p[i] < 0x80)
        ++i;
    return i;
}

} // namespace

TLineOutput::TLineOutput(int fd, std::string name, std::size_t bufferSize)
    : Fd(fd), Name(std::move(name)), Buffer(bufferSize < 16 ? 16 : bufferSize) {}

void TLineOutput::Write(const char* line, std::size_t size) {
    if (Failed)
        return;
    // A byte takes at most two in UTF-8, and the line end one more.
    const std::size_t most = 2 * size + 1;
    if (Buffer.size() - Used < most) {
        Flush();
        if (Failed)
            return;
        if (Buffer.size() < most)
            Buffer.resize(most);
    }
    const unsigned char* in = reinterpret_cast<const unsigned char*>(line);
    char* out = Buffer.data() + Used;
    std::size_t at = 0;
    while (at < size) {
        const std::size_t ascii = AsciiPrefix(in + at, size - at);
        std::memcpy(out, in + at, ascii);
        out += ascii;
        at += ascii;
        if (at < size) {
            const unsigned char c = in[at++];
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    *out++ = '\n';
    Used = static_cast<std::size_t>(out - Buffer.data());
}

void TLineOutput::Flush() {
    std::size_t done = 0;
    while (done < Used && !Failed) {
        const ssize_t n = write(Fd, Buffer.data() + done, Used - done);
        if (n < 0) {
            if (errno != EINTR)
                Fail();
            continue;
        }
        if (n == 0) {
            // Not expected of a file or pipe; stops a loop that would not end.
            errno = EIO;
            Fail();
        }
        done += static_cast<std::size_t>(n);
    }
    Used = 0;
}

bool TLineOutput::Finish(bool close) {
    Flush();
    if (close && ::close(Fd) != 0 && !Failed)
        Fail();
    return !Failed;
}

void TLineOutput::Fail() {
    Failed = true;
    Error = "fennox-decode: cannot write " + Name + ": " + std::strerror(errno);
}
