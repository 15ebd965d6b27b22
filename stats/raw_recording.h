// Keeping every byte received in a file, exactly as it came, for the window
// and for fennox-record: the bytes are only copied into memory when they
// arrive; Pump, called often, hands them to the system without waiting
// (async_file.h) at least twice a second and notes what has been written.
// A write that fails ends the recording: what was written stays in the
// file, the reason is kept, and bytes go on arriving without harm.
#pragma once

#include "async_file.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TRawRecording {
public:
    using TOpener = std::function<std::unique_ptr<TAsyncFile>(const std::string&, std::string&)>;
    // How often at the least the bytes go to the system, in seconds; and the
    // most bytes held back before they go at once.
    static constexpr double WriteInterval = 0.5;
    static constexpr std::size_t WriteBatch = 1 << 16;
    // Bytes held while a write does not end, beyond which the recording is
    // given up (a disk that no longer answers): over two hours of the
    // device's bytes.
    static constexpr std::size_t MostHeldBack = std::size_t{16} << 20;

    explicit TRawRecording(TOpener opener = CreateAsyncFile);
    TRawRecording(const TRawRecording&) = delete;
    TRawRecording& operator=(const TRawRecording&) = delete;
    // Writes what is held and closes the file, waiting for the disk up to
    // ten seconds (only at the program's end).
    ~TRawRecording();

    // Creates or replaces the file and starts taking bytes; false, with the
    // system's reason, when the file cannot be created.
    bool Start(const std::string& path, std::string& reason);
    // Takes the bytes while recording; never a system call.
    void Append(const uint8_t* bytes, std::size_t count);
    // At now (seconds on a steady clock): notes a write that has ended and
    // starts the next one when it is due. Never waits.
    void Pump(double now);
    // Takes no more bytes; Pump writes what is held and then closes the file.
    void Finish();

    // Taking bytes.
    bool Recording() const { return File != nullptr && !Finishing; }
    // The file is open: recording, or writing what is held before it closes.
    bool Open() const { return File != nullptr; }
    const std::string& Path() const { return FilePath; }
    uint64_t BytesTaken() const { return Taken; }
    uint64_t BytesWritten() const { return Written; }
    // Why the last recording ended before it was finished; empty when it
    // did not. Kept until the next Start.
    const std::string& Failure() const { return FailureReason; }

private:
    void Fail(const std::string& reason);
    void Close();

    TOpener Opener;
    std::unique_ptr<TAsyncFile> File;
    std::string FilePath;
    // The bytes being written (from InFlightDone on) and those come since.
    std::vector<uint8_t> InFlight;
    std::size_t InFlightDone = 0;
    bool Writing = false;
    std::vector<uint8_t> Held;
    double LastWrite = -1e300;
    bool Finishing = false;
    uint64_t Taken = 0;
    uint64_t Written = 0;
    std::string FailureReason;
};
