#include "line_output.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace {

// Letters are found in words of eight bytes, the first byte lowest.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "bytes of a word");
constexpr uint64_t HighBits = 0x8080808080808080u;

// Copies the line as it is, eight bytes at a time, and tells whether it was
// all ASCII. Almost every line is; for the others the caller writes over
// the copy.
bool CopyIfAscii(char* out, const unsigned char* in, std::size_t size) {
    uint64_t any = 0;
    if (size < 8) {
        for (std::size_t i = 0; i < size; ++i) {
            any |= in[i];
            out[i] = static_cast<char>(in[i]);
        }
        return (any & 0x80) == 0;
    }
    uint64_t word;
    for (std::size_t i = 0; i + 8 <= size; i += 8) {
        std::memcpy(&word, in + i, 8);
        any |= word;
        std::memcpy(out + i, &word, 8);
    }
    // The last eight bytes, overlapping what was copied.
    std::memcpy(&word, in + size - 8, 8);
    any |= word;
    std::memcpy(out + size - 8, &word, 8);
    return (any & HighBits) == 0;
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
    if (CopyIfAscii(out, in, size)) {
        out += size;
    } else {
        // An ä or ü among ASCII: eight bytes are copied at a time up to the
        // next byte of 0x80 or more, which becomes two.
        std::size_t at = 0;
        while (size - at >= 8) {
            uint64_t word;
            std::memcpy(&word, in + at, 8);
            const uint64_t high = word & HighBits;
            // All eight are stored; those from the letter on are written
            // again next. The room checked above covers the spare ones.
            std::memcpy(out, &word, 8);
            if (high == 0) {
                out += 8;
                at += 8;
                continue;
            }
            const std::size_t ascii = static_cast<std::size_t>(__builtin_ctzll(high)) / 8;
            out += ascii;
            at += ascii;
            const unsigned char c = in[at++];
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
        for (; at < size; ++at) {
            const unsigned char c = in[at];
            if (c < 0x80) {
                *out++ = static_cast<char>(c);
            } else {
                *out++ = static_cast<char>(0xC0 | (c >> 6));
                *out++ = static_cast<char>(0x80 | (c & 0x3F));
            }
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
