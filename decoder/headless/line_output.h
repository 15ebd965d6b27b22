// Writes the decoder's lines to a file descriptor: each byte as the Latin-1
// character of its value encoded in UTF-8, each line ended by '\n'. Lines
// are gathered in one large buffer and written in big blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class TLineOutput {
public:
    // name is what an error message calls the output ("standard output").
    TLineOutput(int fd, std::string name, std::size_t bufferSize = std::size_t{1} << 20);

    void Write(const std::string& line) { Write(line.data(), line.size()); }
    // Inline, as the decoder writes millions of lines.
    void Write(const char* line, std::size_t size) {
        // A byte takes at most two in UTF-8, and the line end one more.
        if (Failed || Buffer.size() - Used < 2 * size + 1) {
            WriteAfterFlush(line, size);
            return;
        }
        char* out = CopyAsUtf8(Buffer.data() + Used, line, size);
        *out++ = '\n';
        Used = static_cast<std::size_t>(out - Buffer.data());
    }

    // Writes what is buffered and, when close is true, closes the descriptor.
    // Returns false when any write failed.
    bool Finish(bool close);

    bool HasFailed() const { return Failed; }
    // "fennox-decode: cannot write <name>: <reason>" after the first failure.
    const std::string& ErrorText() const { return Error; }

private:
    // Eight bytes as one word; only the top bit of each byte is looked at,
    // so their order in the word does not matter.
    static uint64_t Word(const char* text) {
        uint64_t word;
        std::memcpy(&word, text, 8);
        return word;
    }
    static char* CopyAsUtf8(char* out, const char* line, std::size_t size);
    void WriteAfterFlush(const char* line, std::size_t size);
    void Flush();
    void Fail();

    int Fd;
    std::string Name;
    std::vector<char> Buffer;
    std::size_t Used = 0;
    bool Failed = false;
    std::string Error;
};
