#include "line_output.h"

#include "console.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unistd.h>

#if defined(__SSE2__) && defined(__GNUC__)
#include <emmintrin.h>
#define FENNOX_LINE_OUTPUT_SSE2 1
#endif

TLineOutput::TLineOutput(int fd, std::string name, std::size_t bufferSize)
    : Fd(fd), Name(std::move(name)), Buffer(bufferSize < 16 ? 16 : bufferSize) {}

namespace {

// The bytes before the first one of 0x80 or more among the eight at text,
// which hold one.
std::size_t AsciiBeforeLetter(const char* text) {
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    // The first byte is the word's lowest: its lowest high bit tells.
    uint64_t word;
    std::memcpy(&word, text, 8);
    return static_cast<std::size_t>(__builtin_ctzll(word & 0x8080808080808080u)) / 8;
#else
    std::size_t n = 0;
    while (static_cast<unsigned char>(text[n]) < 0x80)
        ++n;
    return n;
#endif
}

// A byte of 0x80 or more as its two UTF-8 bytes.
char* PutTwoBytes(char* out, unsigned char c) {
    out[0] = static_cast<char>(0xC0 | (c >> 6));
    out[1] = static_cast<char>(0x80 | (c & 0x3F));
    return out + 2;
}

} // namespace

char* TLineOutput::CopyAsUtf8(char* out, const char* line, std::size_t size) {
    // One pass, eight bytes at a time: each word is stored as it is and
    // checked for a letter (\xE4, \xFC) as it goes. Most words, and most
    // lines, have none. In a word with a letter the copy counts only up to
    // the letter, which then becomes two bytes, and the next word starts
    // after it. The room for two bytes per byte covers the spare ones each
    // word stores.
    constexpr uint64_t High = 0x8080808080808080u;
    std::size_t at = 0;
#ifdef FENNOX_LINE_OUTPUT_SSE2
    // The same sixteen bytes at a time where there is SSE2 (every x86-64):
    // the byte mask of the top bits tells where the first letter is.
    while (size - at >= 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + at));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), block);
        const int letters = _mm_movemask_epi8(block);
        if (letters == 0) {
            out += 16;
            at += 16;
            continue;
        }
        const auto ascii = static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(letters)));
        out += ascii;
        at += ascii;
        out = PutTwoBytes(out, static_cast<unsigned char>(line[at++]));
    }
    if (at == size)
        return out;
    if (size >= 16) {
        // The rest as the last sixteen bytes, stored over those before it,
        // when all sixteen are ASCII (see the word below): one step for
        // every length, where the loops below would branch on it.
        const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + size - 16));
        if (_mm_movemask_epi8(last) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out - (at - (size - 16))), last);
            return out + (size - at);
        }
    }
#endif
    while (size - at >= 8) {
        const uint64_t word = Word(line + at);
        std::memcpy(out, &word, 8);
        if ((word & High) == 0) {
            out += 8;
            at += 8;
            continue;
        }
        const std::size_t ascii = AsciiBeforeLetter(line + at);
        out += ascii;
        at += ascii;
        out = PutTwoBytes(out, static_cast<unsigned char>(line[at++]));
    }
    if (at == size)
        return out;
    if (size >= 8) {
        const uint64_t last = Word(line + size - 8);
        if ((last & High) == 0) {
            // The last eight bytes are ASCII, so those before at were copied
            // as they are, just before out: the word is stored over them.
            std::memcpy(out - (at - (size - 8)), &last, 8);
            return out + (size - at);
        }
    }
    for (; at < size; ++at) {
        const auto c = static_cast<unsigned char>(line[at]);
        if (c < 0x80)
            *out++ = static_cast<char>(c);
        else
            out = PutTwoBytes(out, c);
    }
    return out;
}

void TLineOutput::WriteAfterFlush(const char* line, std::size_t size) {
    if (Failed)
        return;
    const std::size_t most = 2 * size + 1;
    Flush();
    if (Failed)
        return;
    if (Buffer.size() < most)
        Buffer.resize(most);
    Write(line, size);
}

void TLineOutput::Flush() {
    std::size_t done = 0;
    while (done < Used && !Failed) {
        // Whole lines: a Windows console gets their characters, anything
        // else their bytes.
        const long n = WriteText(Fd, Buffer.data() + done, Used - done);
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
