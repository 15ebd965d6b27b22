// Writes the decoder's lines to a file descriptor: each byte as the Latin-1
// character of its value encoded in UTF-8, each line ended by '\n'. Lines
// are gathered in one large buffer and written in big blocks.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TLineOutput {
public:
    // name is what an error message calls the output ("standard output").
    TLineOutput(int fd, std::string name, std::size_t bufferSize = std::size_t{1} << 20);

    void Write(const std::string& line) { Write(line.data(), line.size()); }
    void Write(const char* line, std::size_t size);

    // Writes what is buffered and, when close is true, closes the descriptor.
    // Returns false when any write failed.
    bool Finish(bool close);

    bool HasFailed() const { return Failed; }
    // "fennox-decode: cannot write <name>: <reason>" after the first failure.
    const std::string& ErrorText() const { return Error; }

private:
    void Flush();
    void Fail();

    int Fd;
    std::string Name;
    std::vector<char> Buffer;
    std::size_t Used = 0;
    bool Failed = false;
    std::string Error;
};
