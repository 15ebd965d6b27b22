// fennox-bench-log-view.exe for the Windows log view (log_bench.h); run it
// by hand (under wine on Linux):
//   fennox-bench-log-view.exe [--lines N] [--text FILE] [--compare PROGRAM]
#include "log_bench.h"
#include "win32_log_view.h"

#include <windows.h>

#include <psapi.h>

#include <memory>

namespace {

class TWin32BenchHost : public TLogBenchHost {
public:
    ~TWin32BenchHost() {
        View.reset();
        DestroyWindow(Frame);
        DeleteObject(Font);
    }
    void Show(TLogModel& model, int width, int height) override {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.lpszClassName = "FennoxBench";
        RegisterClassA(&wc);
        Frame = CreateWindowExA(0, "FennoxBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                width + 20, height + 40, nullptr, nullptr, instance, nullptr);
        Font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           FIXED_PITCH | FF_MODERN, "Courier");
        View = std::make_unique<TWin32LogView>(model, Frame, Font, COLOR_WINDOW, false);
        MoveWindow(View->Handle(), 0, 0, width, height, TRUE);
    }
    void Pump() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        UpdateWindow(View->Handle());
    }
    void PaintNow() override {
        InvalidateRect(View->Handle(), nullptr, FALSE);
        UpdateWindow(View->Handle());
    }
    void Resize(int width, int height) override {
        MoveWindow(View->Handle(), 0, 0, width, height, TRUE);
        Pump();
    }
    void Copy() override { SendMessageA(View->Handle(), WM_COPY, 0, 0); }
    void ForgetClipboard() override {
        if (OpenClipboard(nullptr)) {
            EmptyClipboard();
            CloseClipboard();
        }
    }
    std::size_t MemoryBytes() override {
        // wine reports no private bytes, but the committed ones.
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
        return counters.PagefileUsage;
    }

private:
    HWND Frame = nullptr;
    HFONT Font = nullptr;
    std::unique_ptr<TWin32LogView> View;
};

} // namespace

int main(int argc, char** argv) {
    TWin32BenchHost host;
    return RunLogBench(argc, argv, host);
}
