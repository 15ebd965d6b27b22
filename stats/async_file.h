// A file written without waiting: a write is handed to the system and asked
// about later, so a program on one thread that must keep pace with a device
// never waits on the disk. POSIX asynchronous I/O (posix/), overlapped
// WriteFile on Windows (win32/), where a write that makes the file longer
// may end before the call returns (into the system's cache, not the disk).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TAsyncFile {
public:
    virtual ~TAsyncFile() = default;

    // Starts writing count bytes at the file's end. The bytes must stay as
    // they are until the write has ended. False, with the reason, when the
    // system refuses to start it.
    virtual bool BeginWrite(const uint8_t* data, std::size_t count, std::string& reason) = 0;

    enum class TState { Busy, Done, Failed };
    // The write begun last: still under way, ended (with the bytes it
    // wrote, which may be fewer than asked), or failed (with the reason).
    virtual TState Poll(std::size_t& written, std::string& reason) = 0;
};

// Creates or replaces the file at path; nullptr, with the reason, when it
// cannot. Closing it (destroying it) waits for a write still under way.
std::unique_ptr<TAsyncFile> CreateAsyncFile(const std::string& path, std::string& reason);
