#include "recorder.h"

#include "com_link.h"
#include "dcc_stats.h"
#include "ini_file.h"
#include "port_names.h"
#include "raw_recording.h"

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point start) {
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// What TComLink reports while recording: a failed setting makes the start
// fail; a failed read means the device has gone away.
struct TLinkEvents {
    std::string Error;
    bool Gone = false;
};

} // namespace

std::string RecordDevicePath(const std::string& port) {
    return DefaultDevicePath(port).empty() ? port : PortDevicePath(port);
}

int Record(const TRecordOptions& options, volatile std::sig_atomic_t* stop, std::FILE* errors,
           bool showProgress) {
    if (!options.Settings.empty()) {
        try {
            TPortOverrides overrides;
            for (const TIniFile::TEntry& e :
                 TIniFile::Load(options.Settings).SectionEntries("Ports"))
                overrides.push_back({e.Key, e.Value});
            SetPortOverrides(overrides);
        } catch (const std::exception& e) {
            std::fprintf(errors, "fennox-record: %s\n", e.what());
            return 1;
        }
    }

    TLinkEvents events;
    TComLinkHook hook;
    hook.ShowErrorBox = [&](const std::string& caption, const std::string& text) {
        if (events.Error.empty())
            events.Error = caption + ": " + text;
    };
    hook.RequestStop = [&] { events.Gone = true; };
    SetComLinkHook(hook);

    const std::string device = RecordDevicePath(options.Port);
    const std::string portText =
        device == options.Port ? options.Port : options.Port + " (" + device + ")";
    TComLink link;
    const THandle handle = OpenDevice(device);
    if (handle == INVALID_HANDLE_VALUE) {
        std::fprintf(errors, "fennox-record: cannot open %s: %s\n", portText.c_str(),
                     LastErrorText().c_str());
        return 1;
    }
    link.ConfigurePort(handle);
    link.SetReadTimeouts(handle);
    if (!events.Error.empty()) {
        std::fprintf(errors, "fennox-record: cannot set up %s: %s\n", portText.c_str(),
                     events.Error.c_str());
        CloseHandle(handle);
        return 1;
    }

    // The window's recording: every byte kept in memory as it comes and
    // written without waiting, at least twice a second.
    TRawRecording recording;
    std::string reason;
    if (!recording.Start(options.File, reason)) {
        std::fprintf(errors, "fennox-record: cannot write %s: %s\n", options.File.c_str(),
                     reason.c_str());
        CloseHandle(handle);
        return 1;
    }

    // The same counting as fennox-stats, for the progress line.
    TDccStats stats;
    std::vector<uint8_t> buffer(4096);
    const TClock::time_point start = TClock::now();
    double lastProgress = 0;
    std::string ending = "stopped";
    for (;;) {
        const int32_t got =
            link.ReceiveData(buffer.data(), static_cast<int32_t>(buffer.size()), handle);
        if (got > 0) {
            recording.Append(buffer.data(), static_cast<std::size_t>(got));
            stats.Feed(buffer.data(), static_cast<std::size_t>(got));
        }
        const double elapsed = SecondsSince(start);
        recording.Pump(elapsed);
        if (!recording.Open())
            break; // a write failed
        if (events.Gone) {
            ending = "the device went away (" + events.Error + ")";
            break;
        }
        if (*stop) {
            ending = "stopped by a signal";
            break;
        }
        if (options.Seconds > 0 && elapsed >= options.Seconds) {
            ending = "time is up";
            break;
        }
        if (showProgress && elapsed - lastProgress >= 1.0) {
            lastProgress = elapsed;
            std::fprintf(errors,
                         "\r%7.0f s %10llu bytes %6.0f bytes/s %9llu packets %6llu checksum "
                         "failures",
                         elapsed, static_cast<unsigned long long>(stats.Bytes),
                         static_cast<double>(stats.Bytes) / elapsed,
                         static_cast<unsigned long long>(stats.Packets),
                         static_cast<unsigned long long>(stats.ChecksumErrors));
        }
        // Like the window's 10 ms timer: wait only when the port had nothing.
        if (got == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    CloseHandle(handle);
    // What is held goes to the file before the program ends.
    recording.Finish();
    while (recording.Open()) {
        recording.Pump(SecondsSince(start));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (showProgress && SecondsSince(start) >= 1.0)
        std::fputc('\n', errors);
    if (!recording.Failure().empty()) {
        std::fprintf(errors, "fennox-record: cannot write %s: %s\n", options.File.c_str(),
                     recording.Failure().c_str());
        return 1;
    }
    std::fprintf(errors,
                 "fennox-record: %llu bytes in %.1f s to %s, %llu packets, %llu checksum "
                 "failures; %s\n",
                 static_cast<unsigned long long>(stats.Bytes), SecondsSince(start),
                 options.File.c_str(), static_cast<unsigned long long>(stats.Packets),
                 static_cast<unsigned long long>(stats.ChecksumErrors), ending.c_str());
    return 0;
}
