#include "log_bench.h"

#include "bench_lines.h"
#include "latin1_text.h"
#include "log_view.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// The figures, in the order they are printed, with the words they are
// printed with (and the words older builds printed them with).
struct TFigure {
    const char* Key;
    const char* Label;
    const char* Unit;
    std::vector<const char*> OldLabels;
};

const TFigure Figures[] = {
    {"bytes_per_line",
     "memory per line",
     "B",
     {"memory per line (RSS growth / lines)", "memory per line (committed)"}},
    {"us_per_line", "append, per line, with painting", "us", {"append, per line, with repaints"}},
    {"paint_end_ms", "paint the view at the end", "ms", {"one repaint of the full view"}},
    {"paint_middle_ms", "paint the view in the middle", "ms", {}},
    {"copy_ms", "select all and copy", "ms", {"select all and copy"}},
    {"save_ms", "save to a file", "ms", {"save to a file"}},
    {"rewrap_ms",
     "re-wrap after a resize 800 -> 600 px",
     "ms",
     {"re-wrap after resize 800 -> 600 px"}},
    {"clear_ms", "clear", "ms", {"clear"}},
    {"bytes_after_clear", "memory left after clear, per line", "B", {}},
};

// Lines from a file of Monitor log lines (UTF-8, as fennox-decode writes
// them), given the clock of a window that receives them: the time stamps
// of one receive tick's lines alike, 26 ms more for the next tick's.
class TFileLines {
public:
    explicit TFileLines(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            Lines.push_back(Utf8ToLatin1(line));
        }
    }
    bool Empty() const { return Lines.empty(); }
    const std::string& Next() {
        Line = Lines[Count % Lines.size()];
        const unsigned long ms = Count / 7 * 26;
        if (Line.size() > 12 && Line[2] == ':' && Line[5] == ':' && Line[8] == ':') {
            char stamp[16];
            std::snprintf(stamp, sizeof stamp, "%02lu:%02lu:%02lu:%03lu", ms / 3600000 % 24,
                          ms / 60000 % 60, ms / 1000 % 60, ms % 1000);
            Line.replace(0, 12, stamp);
        }
        ++Count;
        return Line;
    }

private:
    std::vector<std::string> Lines;
    std::string Line;
    unsigned long Count = 0;
};

// Runs another build's benchmark on as many lines and reads its figures
// from what it prints, in this build's words or an older build's.
std::map<std::string, double> OtherBuild(const std::string& program, long lines,
                                         const std::string& text) {
    std::map<std::string, double> values;
    const std::string out = "fennox-bench-log-view-other.txt";
    // An older build takes the number of lines as its first argument (its
    // Qt benchmark a second one for QPlainTextEdit, kept small).
    std::string command = "\"" + program + "\" --lines " + std::to_string(lines);
    if (!text.empty())
        command += " --text \"" + text + "\"";
    std::string older = "\"" + program + "\" " + std::to_string(lines) + " 1000";
    // The older form first: an older build takes "--lines" for a count of
    // no lines and the count after it for its QPlainTextEdit (which needs a
    // kilobyte and a half a line). This build takes the last number.
    for (const std::string* each : {&older, &command}) {
        const std::string& c = *each;
#ifdef _WIN32
        // cmd takes off the first and the last quote of its command line.
        const std::string run = "\"" + c + " > " + out + "\"";
#else
        const std::string run = c + " > " + out;
#endif
        if (std::system(run.c_str()) != 0)
            continue;
        std::ifstream in(out);
        std::string line;
        // An older build may take the options for a count of no lines and
        // print figures of nothing: only a run of these lines counts.
        bool sameLines = false;
        while (std::getline(in, line)) {
            sameLines = sameLines || (line.find(std::to_string(lines)) != std::string::npos &&
                                      line.find("lines") != std::string::npos);
            if (!sameLines)
                continue;
            for (const TFigure& f : Figures) {
                std::vector<std::string> labels(f.OldLabels.begin(), f.OldLabels.end());
                labels.emplace_back(f.Label);
                for (const std::string& label : labels) {
                    // The label, then ':' or a table's '|', then the number.
                    const size_t at = line.find(label);
                    if (at == std::string::npos || values.count(f.Key))
                        continue;
                    const size_t after = line.find_first_not_of(' ', at + label.size());
                    if (after != std::string::npos && (line[after] == ':' || line[after] == '|'))
                        values[f.Key] = std::atof(line.c_str() + after + 1);
                }
            }
        }
        if (!values.empty()) {
            if (&c == &older && !text.empty())
                std::printf("The other build reads no --text: its figures are for its own "
                            "generated lines.\n");
            break;
        }
    }
    std::remove(out.c_str());
    return values;
}

} // namespace

int RunLogBench(int argc, char** argv, TLogBenchHost& host) {
    long lines = 1000000;
    std::string text, other;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--lines" && i + 1 < argc)
            lines = std::atol(argv[++i]);
        else if (a == "--text" && i + 1 < argc)
            text = argv[++i];
        else if (a == "--compare" && i + 1 < argc)
            other = argv[++i];
        else
            lines = std::atol(a.c_str());
    }
    if (lines <= 0) {
        std::fprintf(stderr, "usage: fennox-bench-log-view [--lines N] [--text FILE] "
                             "[--compare OTHER-BUILDS-BENCHMARK]\n");
        return 2;
    }
    TFileLines fileLines(text);
    if (!text.empty() && fileLines.Empty()) {
        std::fprintf(stderr, "fennox-bench-log-view: no lines in %s\n", text.c_str());
        return 1;
    }
    bench::TLineSource generated;
    const auto next = [&]() -> const std::string& {
        return text.empty() ? generated.Next() : fileLines.Next();
    };

    std::map<std::string, double> figure;
    bool copyRefused = false;
    {
        TLogModel model;
        host.Show(model, 800, 700);
        host.Pump();
        const std::size_t before = host.MemoryBytes();
        // As the receive loop does: lines arrive one by one, and every 10 ms
        // the event loop gets its turn and paints.
        auto start = TClock::now();
        auto lastTurn = start;
        for (long i = 0; i < lines; ++i) {
            model.AppendLatin1(next());
            if ((i & 63) == 0 && TClock::now() - lastTurn >= std::chrono::milliseconds(10)) {
                host.Pump();
                lastTurn = TClock::now();
            }
        }
        host.Pump();
        const double n = static_cast<double>(lines);
        figure["us_per_line"] = MsSince(start) * 1000.0 / n;
        const std::size_t after = host.MemoryBytes();
        figure["bytes_per_line"] = (static_cast<double>(after) - static_cast<double>(before)) / n;

        start = TClock::now();
        host.PaintNow();
        figure["paint_end_ms"] = MsSince(start);
        // A place far from the end: its blocks are read for the first time.
        start = TClock::now();
        model.ScrollTo(model.TotalRows() / 2);
        host.PaintNow();
        figure["paint_middle_ms"] = MsSince(start);

        const std::string path = "fennox-bench-log-view.txt";
        start = TClock::now();
        bool saved = false;
        if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
            saved = model.WriteUtf8CrLf([file](const char* data, size_t size) {
                return std::fwrite(data, 1, size, file) == size;
            });
            saved = std::fclose(file) == 0 && saved;
        }
        figure["save_ms"] = MsSince(start);
        std::remove(path.c_str());
        if (!saved)
            std::fprintf(stderr, "fennox-bench-log-view: the log could not be saved\n");

        start = TClock::now();
        host.Resize(600, 700);
        figure["rewrap_ms"] = MsSince(start);

        // The clipboard takes at most TLogView::ClipboardLimit: beyond it the
        // copy is refused once the text is found too long.
        model.SelectAll();
        size_t selected = 0;
        model.WriteSelectionUtf8([&selected](const char*, size_t n) {
            selected += n;
            return true;
        });
        copyRefused = selected > TLogView::ClipboardLimit;
        start = TClock::now();
        model.SelectAll();
        host.Copy();
        figure["copy_ms"] = MsSince(start);

        model.SelectAll();
        host.ForgetClipboard();

        start = TClock::now();
        model.Clear();
        host.Pump();
        figure["clear_ms"] = MsSince(start);
        figure["bytes_after_clear"] =
            (static_cast<double>(host.MemoryBytes()) - static_cast<double>(before)) / n;
    }

    const std::map<std::string, double> old =
        other.empty() ? std::map<std::string, double>() : OtherBuild(other, lines, text);
    std::printf("%ld lines (%s), a view of 800 x 700 pixels painted every 10 ms of appending\n",
                lines, text.empty() ? "generated" : text.c_str());
    for (const TFigure& f : Figures) {
        std::printf("%-40s %12.2f %-3s", (std::string(f.Label) + ":").c_str(), figure[f.Key],
                    f.Unit);
        if (!other.empty()) {
            const auto o = old.find(f.Key);
            if (o != old.end())
                std::printf("   other build: %12.2f %s", o->second, f.Unit);
            else
                std::printf("   other build: %12s", "-");
        }
        if (copyRefused && std::string(f.Key) == "copy_ms")
            std::printf("   (refused: the log is over the clipboard's %zu MB)",
                        TLogView::ClipboardLimit >> 20);
        std::printf("\n");
    }
    return 0;
}
