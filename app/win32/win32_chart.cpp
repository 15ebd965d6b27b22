#include "win32_chart.h"

#include "bar_chart.h"
#include "log_view.h"
#include "win32_text.h"

namespace {

const char* const ClassName = "FennoxChart";

class TGdiChartCanvas : public TChartCanvas {
public:
    explicit TGdiChartCanvas(HDC dc) : Dc(dc) {
        TEXTMETRICA tm{};
        GetTextMetricsA(Dc, &tm);
        Height = tm.tmHeight;
        SetBkMode(Dc, TRANSPARENT);
        SetTextColor(Dc, GetSysColor(COLOR_WINDOWTEXT));
    }
    void Fill(int x, int y, int width, int height, TChartInk ink) override {
        const RECT r{x, y, x + width, y + height};
        HBRUSH brush = CreateSolidBrush(ColorOf(ink));
        FillRect(Dc, &r, brush);
        DeleteObject(brush);
    }
    void Text(int x, int y, const std::string& text) override {
        const std::string ansi = Utf8ToAnsi(text);
        TextOutA(Dc, x, y, ansi.c_str(), static_cast<int>(ansi.size()));
    }
    int TextWidth(const std::string& text) override {
        const std::string ansi = Utf8ToAnsi(text);
        SIZE size{};
        GetTextExtentPoint32A(Dc, ansi.c_str(), static_cast<int>(ansi.size()), &size);
        return size.cx;
    }
    int TextHeight() override { return Height; }

private:
    static COLORREF ColorOf(TChartInk ink) {
        switch (ink) {
        case TChartInk::Background:
            return GetSysColor(COLOR_WINDOW);
        case TChartInk::Text:
        case TChartInk::Axis:
            return GetSysColor(COLOR_WINDOWTEXT);
        case TChartInk::Bar:
            return GetSysColor(COLOR_HIGHLIGHT);
        case TChartInk::MarkedBar:
            break;
        }
        const TLogRgb c = MarkColor(TLogInk::ShortPreamble);
        return RGB(c.R, c.G, c.B);
    }

    HDC Dc;
    int Height = 0;
};

LRESULT CALLBACK ChartProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* chart = reinterpret_cast<TBarChart*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (msg) {
    case WM_SETFONT:
        SetPropA(hwnd, "FennoxFont", reinterpret_cast<HANDLE>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        // Drawn off screen first, so the bars do not flicker.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
        HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
        HGDIOBJ oldFont = SelectObject(memory, GetPropA(hwnd, "FennoxFont"));
        if (chart != nullptr) {
            TGdiChartCanvas canvas(memory);
            PaintBarChart(*chart, canvas, client.right, client.bottom);
        }
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldFont);
        SelectObject(memory, oldBitmap);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_DESTROY:
        RemovePropA(hwnd, "FennoxFont");
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

} // namespace

const char* ChartClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    if (!GetClassInfoA(instance, ClassName, &wc)) {
        wc.lpfnWndProc = ChartProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = ClassName;
        RegisterClassA(&wc);
    }
    return ClassName;
}

void ShowsChart(HWND window, TBarChart& chart) {
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&chart));
}
