#include "raw_recording.h"

#include <chrono>
#include <thread>

TRawRecording::TRawRecording(TOpener opener) : Opener(std::move(opener)) {}

TRawRecording::~TRawRecording() {
    // A recording still running when the program ends keeps what it took:
    // the program is ending, so here the disk may be waited for, a while.
    Finish();
    const auto start = std::chrono::steady_clock::now();
    const auto now = [start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    while (Open() && now() < 10) {
        Pump(now());
        if (Open())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool TRawRecording::Start(const std::string& path, std::string& reason) {
    Close();
    File = Opener(path, reason);
    if (!File)
        return false;
    FilePath = path;
    Taken = Written = 0;
    FailureReason.clear();
    Finishing = false;
    LastWrite = -1e300;
    return true;
}

void TRawRecording::Append(const uint8_t* bytes, std::size_t count) {
    if (!Recording())
        return;
    Held.insert(Held.end(), bytes, bytes + count);
    Taken += count;
}

void TRawRecording::Pump(double now) {
    if (!File)
        return;
    if (Writing) {
        std::size_t n = 0;
        std::string reason;
        switch (File->Poll(n, reason)) {
        case TAsyncFile::TState::Busy:
            if (Held.size() > MostHeldBack && FailureReason.empty())
                Fail("der Datentr\xC3\xA4ger nimmt nichts mehr an");
            return;
        case TAsyncFile::TState::Failed:
            Writing = false;
            Fail(reason);
            return;
        case TAsyncFile::TState::Done:
            Writing = false;
            Written += n;
            InFlightDone += n;
            if (!FailureReason.empty()) {
                Close(); // given up while this write was under way
                return;
            }
            if (n == 0 && InFlightDone < InFlight.size()) {
                Fail("es wurde nichts geschrieben");
                return;
            }
            break;
        }
    }
    if (InFlightDone == InFlight.size()) {
        // All handed over so far is written: the bytes held are next, when
        // they are due.
        InFlight.clear();
        InFlightDone = 0;
        const bool due = Finishing || Held.size() >= WriteBatch || now - LastWrite >= WriteInterval;
        if (Held.empty() || !due) {
            if (Finishing && Held.empty())
                Close();
            return;
        }
        InFlight.swap(Held);
    }
    // A write that took fewer bytes than asked goes on with the rest.
    std::string reason;
    if (!File->BeginWrite(InFlight.data() + InFlightDone, InFlight.size() - InFlightDone, reason)) {
        Fail(reason);
        return;
    }
    Writing = true;
    LastWrite = now;
}

void TRawRecording::Finish() {
    if (File)
        Finishing = true;
}

void TRawRecording::Fail(const std::string& reason) {
    FailureReason = reason;
    // A write under way still reads its bytes: the file closes when it has
    // ended, and nothing more is taken or written meanwhile.
    if (Writing) {
        Held.clear();
        Held.shrink_to_fit();
        Finishing = true;
        return;
    }
    Close();
}

void TRawRecording::Close() {
    File.reset();
    InFlight.clear();
    InFlightDone = 0;
    Held.clear();
    Writing = false;
    Finishing = false;
}
