// fennox-record: keeps everything the device sends in a file, for
// fennox-decode and fennox-stats to read later.
#include "console.h"
#include "recorder.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const char* const Usage =
    "Usage: fennox-record [--seconds N] [--settings FILE] PORT FILE\n"
    "Receives from PORT (COM1..COM9 as the monitor maps them, or a device path)\n"
    "at 19200 baud 8N1 and writes every byte to FILE, which it creates or\n"
    "replaces. Ends after N seconds, on Ctrl-C or SIGTERM, or when the device\n"
    "goes away, keeping every byte received.\n"
    "  --seconds N      stop after N seconds\n"
    "  --settings FILE  map port names by the [Ports] section of a settings file\n"
    "Exit status: 0 after recording, 1 when the port cannot be opened or FILE\n"
    "cannot be written, 2 for a wrong command line.\n";

volatile std::sig_atomic_t StopRequested = 0;

void OnSignal(int) {
    StopRequested = 1;
}

int UsageError(const std::string& text) {
    std::fprintf(stderr, "fennox-record: %s\nTry 'fennox-record --help'.\n", text.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    TRecordOptions options;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (a == "--seconds" || a == "--settings") {
            if (i + 1 >= argc)
                return UsageError(a + " needs a value");
            const std::string value = argv[++i];
            if (a == "--settings") {
                options.Settings = value;
                continue;
            }
            char* end = nullptr;
            options.Seconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(options.Seconds > 0))
                return UsageError("--seconds needs a positive number, not '" + value + "'");
        } else if (a.size() > 1 && a[0] == '-') {
            return UsageError("unknown option " + a);
        } else if (positional == 0) {
            options.Port = a;
            ++positional;
        } else if (positional == 1) {
            options.File = a;
            ++positional;
        } else {
            return UsageError("too many arguments");
        }
    }
    if (positional != 2)
        return UsageError("needs a port and a file");

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    return Record(options, &StopRequested, stderr, IsTerminal(stderr));
}
