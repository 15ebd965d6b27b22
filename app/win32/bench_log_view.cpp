// The Windows log view under load: appends Monitor log lines to a shown
// 800 x 700 view, letting it repaint every 10 ms of appending, and prints the
// memory each line costs and the time each append takes. A program to run
// by hand (under wine on Linux):
//   fennox-bench-log-view.exe [LINES]   (default 1000000)
#include "bench_lines.h"
#include "log_model.h"
#include "win32_log_view.h"

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

double Seconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The process's committed memory (wine reports no private bytes, but this).
size_t CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace

int main(int argc, char** argv) {
    const long lines = argc > 1 ? std::atol(argv[1]) : 1000000;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "FennoxBench";
    RegisterClassA(&wc);
    HWND frame = CreateWindowExA(0, "FennoxBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                 820, 740, nullptr, nullptr, instance, nullptr);
    HFONT font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             FIXED_PITCH | FF_MODERN, "Courier");
    TLogModel model;
    TWin32LogView view(model, frame, font, COLOR_WINDOW, false);
    MoveWindow(view.Handle(), 0, 0, 800, 700, TRUE);
    Pump();

    bench::TLineSource source;
    const size_t before = CommittedBytes();
    const double start = Seconds();
    double lastPump = start;
    for (long i = 0; i < lines; ++i) {
        model.AppendLatin1(source.Next());
        if ((i & 63) == 0) {
            const double now = Seconds();
            if (now - lastPump >= 0.010) {
                Pump();
                UpdateWindow(view.Handle());
                lastPump = now;
            }
        }
    }
    Pump();
    UpdateWindow(view.Handle());
    const double appended = Seconds() - start;
    const size_t after = CommittedBytes();

    const double repaintStart = Seconds();
    InvalidateRect(view.Handle(), nullptr, FALSE);
    UpdateWindow(view.Handle());
    const double repaint = Seconds() - repaintStart;

    std::printf("lines appended:                  %ld\n", lines);
    std::printf("memory per line (committed):     %.1f B (goal <= 120)\n",
                static_cast<double>(after - before) / static_cast<double>(lines));
    std::printf("append, per line, with repaints: %.2f us (goal <= 5)\n",
                appended * 1e6 / static_cast<double>(lines));
    std::printf("one repaint of the full view:    %.2f ms\n", repaint * 1e3);
    DestroyWindow(frame);
    DeleteObject(font);
    return 0;
}
