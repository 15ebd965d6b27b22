// fennox-record's work: receive from the device's port without waiting and
// keep every byte in a file, with a progress line for a person watching.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>

struct TRecordOptions {
    std::string Port;     // "COM1".."COM9" or a device path
    std::string File;     // created or replaced
    std::string Settings; // optional settings file whose [Ports] maps names
    double Seconds = 0;   // 0: no limit
};

// The device path a port argument stands for: a port name as the window maps
// it (built-in table and installed overrides), anything else as it is.
std::string RecordDevicePath(const std::string& port);

// Records until the time is up, *stop becomes non-zero, or the device goes
// away. Returns the exit status (0 after any of these, 1 when the port cannot
// be opened or the file cannot be written) and writes the messages and the
// summary line to errors; the progress line only when showProgress.
int Record(const TRecordOptions& options, volatile std::sig_atomic_t* stop, std::FILE* errors,
           bool showProgress);
