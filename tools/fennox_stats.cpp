// fennox-stats: reports on the DCC packets of a recording of the device:
// kinds, addresses, the locomotives' last state, preambles, gaps, rate.
#include "dcc_stats.h"
#include "platform_io.h"
#include "stats_html.h"
#include "stats_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const Usage =
    "Usage: fennox-stats [--json] [--csv FILE] [--html FILE] [FILE|-]\n"
    "Reports on the DCC packets in a recording of the device's bytes (standard\n"
    "input when FILE is - or missing).\n"
    "  --json       one JSON object on standard output instead of the summary\n"
    "  --csv FILE   one row per packet: offset, device time, length, bytes, kind,\n"
    "               address, checksum\n"
    "  --html FILE  a self-contained page with the summary, the locomotives and\n"
    "               charts\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written, 2 for\n"
    "a wrong command line.\n";

struct TOptions {
    bool Json = false;
    std::string Csv;
    std::string Html;
    std::string Input = "-";
};

// Returns 0 to go on, otherwise the exit status.
int Parse(const std::vector<std::string>& args, TOptions& o, bool& help) {
    bool haveInput = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            help = true;
            return 0;
        }
        if (a == "--json") {
            o.Json = true;
        } else if (a == "--csv" || a == "--html") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "fennox-stats: %s needs a file name\n", a.c_str());
                return 2;
            }
            (a == "--csv" ? o.Csv : o.Html) = args[++i];
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "fennox-stats: unknown option %s\n", a.c_str());
            return 2;
        } else if (haveInput) {
            std::fprintf(stderr, "fennox-stats: more than one input file\n");
            return 2;
        } else {
            o.Input = a;
            haveInput = true;
        }
    }
    return 0;
}

// Writes text to a file; false (errno set) when that fails.
bool WriteAll(std::FILE* f, const std::string& text) {
    return std::fwrite(text.data(), 1, text.size(), f) == text.size();
}

} // namespace

int main(int argc, char** argv) {
    UseBinaryStdio();
    TOptions options;
    bool help = false;
    if (const int status = Parse(std::vector<std::string>(argv + 1, argv + argc), options, help)) {
        std::fputs("Try 'fennox-stats --help'.\n", stderr);
        return status;
    }
    if (help) {
        std::fputs(Usage, stdout);
        return 0;
    }
    IgnoreBrokenPipe();

    const bool fromStdin = options.Input == "-";
    const std::string inputName = fromStdin ? "standard input" : options.Input;
    std::FILE* in = fromStdin ? stdin : std::fopen(options.Input.c_str(), "rb");
    if (!in) {
        std::fprintf(stderr, "fennox-stats: cannot read %s: %s\n", inputName.c_str(),
                     std::strerror(errno));
        return 1;
    }
    std::FILE* csv = nullptr;
    if (!options.Csv.empty()) {
        csv = std::fopen(options.Csv.c_str(), "wb");
        if (!csv || !WriteAll(csv, CsvHeader())) {
            std::fprintf(stderr, "fennox-stats: cannot write %s: %s\n", options.Csv.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }

    TDccStats stats;
    bool csvFailed = false;
    int csvErrno = 0;
    if (csv) {
        stats.OnPacket = [&](const TPacketEvent& e) {
            if (!csvFailed && !WriteAll(csv, CsvRow(e))) {
                csvFailed = true;
                csvErrno = errno;
            }
        };
    }
    std::vector<uint8_t> block(1 << 16);
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), in);
        stats.Feed(block.data(), got);
        if (got < block.size()) {
            if (std::ferror(in)) {
                std::fprintf(stderr, "fennox-stats: cannot read %s: %s\n", inputName.c_str(),
                             std::strerror(errno));
                return 1;
            }
            break;
        }
    }
    if (!fromStdin)
        std::fclose(in);

    int status = 0;
    if (csv) {
        if (!csvFailed && std::fclose(csv) != 0) {
            csvFailed = true;
            csvErrno = errno;
        }
        if (csvFailed) {
            std::fprintf(stderr, "fennox-stats: cannot write %s: %s\n", options.Csv.c_str(),
                         std::strerror(csvErrno));
            status = 1;
        }
    }
    if (!options.Html.empty()) {
        std::FILE* html = std::fopen(options.Html.c_str(), "wb");
        bool ok = html && WriteAll(html, HtmlReport(stats, inputName));
        if (html && std::fclose(html) != 0)
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "fennox-stats: cannot write %s: %s\n", options.Html.c_str(),
                         std::strerror(errno));
            status = 1;
        }
    }
    const std::string report =
        options.Json ? JsonReport(stats, inputName) : SummaryText(stats, inputName);
    if (!WriteAll(stdout, report) || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "fennox-stats: cannot write standard output: %s\n",
                     std::strerror(errno));
        status = 1;
    }
    return status;
}
