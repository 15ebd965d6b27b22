#include "log_bench.h"

#include "bench_lines.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point start) {
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

} // namespace

int RunLogBench(int argc, char** argv, TLogBenchHost& host) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    if (lines <= 0) {
        std::fprintf(stderr, "usage: fennox-bench-log-view [LINES]\n");
        return 2;
    }
    TLogModel model;
    host.Show(model, 800, 700);
    host.Pump();

    bench::TLineSource source;
    const std::size_t before = host.MemoryBytes();
    // As the receive loop does: lines arrive one by one, and every 10 ms the
    // event loop gets its turn and paints.
    auto start = TClock::now();
    auto lastTurn = start;
    long turns = 0;
    for (long i = 0; i < lines; ++i) {
        model.AppendLatin1(source.Next());
        if ((i & 63) == 0 && TClock::now() - lastTurn >= std::chrono::milliseconds(10)) {
            host.Pump();
            lastTurn = TClock::now();
            ++turns;
        }
    }
    host.Pump();
    const double appendMs = MsSince(start);
    const std::size_t after = host.MemoryBytes();

    start = TClock::now();
    host.PaintNow();
    const double paintEndMs = MsSince(start);
    model.ScrollTo(model.TotalRows() / 2);
    start = TClock::now();
    host.PaintNow();
    const double paintMiddleMs = MsSince(start);

    start = TClock::now();
    model.SelectAll();
    host.Copy();
    const double copyMs = MsSince(start);

    const std::string path = "fennox-bench-log-view.txt";
    start = TClock::now();
    bool saved = false;
    if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
        saved = model.WriteUtf8CrLf(
            [file](const char* data, size_t n) { return std::fwrite(data, 1, n, file) == n; });
        saved = std::fclose(file) == 0 && saved;
    }
    const double saveMs = MsSince(start);
    std::remove(path.c_str());

    start = TClock::now();
    host.Resize(600, 700);
    const double rewrapMs = MsSince(start);

    start = TClock::now();
    model.Clear();
    host.Pump();
    const double clearMs = MsSince(start);

    const double n = static_cast<double>(lines);
    std::printf("lines appended:                      %ld (%ld turns of the event loop)\n", lines,
                turns);
    std::printf("memory per line:                     %.1f B\n",
                (static_cast<double>(after) - static_cast<double>(before)) / n);
    std::printf("append, per line, with painting:     %.2f us\n", appendMs * 1000.0 / n);
    std::printf("paint the view at the end:           %.2f ms\n", paintEndMs);
    std::printf("paint the view in the middle:        %.2f ms\n", paintMiddleMs);
    std::printf("select all and copy:                 %.1f ms\n", copyMs);
    std::printf("save to a file:                      %.1f ms%s\n", saveMs,
                saved ? "" : " (failed)");
    std::printf("re-wrap after a resize 800 -> 600 px: %.1f ms\n", rewrapMs);
    std::printf("clear:                               %.1f ms\n", clearMs);
    return saved ? 0 : 1;
}
