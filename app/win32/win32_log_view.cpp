#include "win32_log_view.h"

#include "win32_platform.h"
#include "win32_text.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

namespace {

const char* const ClassName = "FennoxLog";
// Room left of the text, as a multi-line edit control leaves it.
constexpr int Margin = 2;
constexpr UINT_PTR DragScrollTimer = 1;
constexpr UINT_PTR FrameTimer = 2;

template <typename T, size_t N> T Find(const std::pair<WPARAM, T> (&table)[N], WPARAM key, T none) {
    for (const auto& [native, value] : table) {
        if (native == key)
            return value;
    }
    return none;
}

const std::pair<WPARAM, TLogKey> Keys[] = {{VK_LEFT, TLogKey::Left},
                                           {VK_RIGHT, TLogKey::Right},
                                           {VK_UP, TLogKey::Up},
                                           {VK_DOWN, TLogKey::Down},
                                           {VK_PRIOR, TLogKey::PageUp},
                                           {VK_NEXT, TLogKey::PageDown},
                                           {VK_HOME, TLogKey::Home},
                                           {VK_END, TLogKey::End},
                                           {VK_BACK, TLogKey::Backspace},
                                           {VK_DELETE, TLogKey::Delete},
                                           {VK_INSERT, TLogKey::Insert},
                                           {VK_RETURN, TLogKey::Enter},
                                           {'A', TLogKey::A},
                                           {'C', TLogKey::C},
                                           {'V', TLogKey::V},
                                           {'X', TLogKey::X}};

const std::pair<WPARAM, TLogScroll> ScrollActions[] = {
    {SB_LINEUP, TLogScroll::LineUp}, {SB_LINEDOWN, TLogScroll::LineDown},
    {SB_PAGEUP, TLogScroll::PageUp}, {SB_PAGEDOWN, TLogScroll::PageDown},
    {SB_THUMBTRACK, TLogScroll::To}, {SB_THUMBPOSITION, TLogScroll::To},
    {SB_TOP, TLogScroll::Top},       {SB_BOTTOM, TLogScroll::Bottom}};

// Draws the view's rows into a device context.
class TGdiCanvas : public TLogCanvas {
public:
    TGdiCanvas(HDC dc, int background) : Dc(dc), Background(background) {}
    void Fill(double x, double y, double width, double height, TLogInk ink) override {
        const RECT r{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + width),
                     static_cast<LONG>(y + height)};
        FillRect(Dc, &r, GetSysColorBrush(SystemColorOf(ink)));
    }
    void Text(double x, double y, std::string_view latin1, TLogInk ink) override {
        // The ANSI code page holds the Latin-1 letters at their values.
        Shown.assign(latin1.begin(), latin1.end());
        for (char& c : Shown)
            c = LogShownByte(static_cast<unsigned char>(c));
        const TLogRgb mark = MarkColor(ink);
        const bool marked = ink == TLogInk::ChecksumError || ink == TLogInk::ShortPreamble;
        SetTextColor(Dc, marked ? RGB(mark.R, mark.G, mark.B) : GetSysColor(SystemColorOf(ink)));
        TextOutA(Dc, static_cast<int>(x), static_cast<int>(y), Shown.data(),
                 static_cast<int>(Shown.size()));
    }

private:
    int SystemColorOf(TLogInk ink) const {
        if (ink == TLogInk::Text)
            return Background == COLOR_INFOBK ? COLOR_INFOTEXT : COLOR_WINDOWTEXT;
        return ink == TLogInk::Selection ? COLOR_HIGHLIGHT : COLOR_HIGHLIGHTTEXT;
    }

    HDC Dc;
    int Background;
    std::string Shown;
};

} // namespace

TWin32LogView::TWin32LogView(TLogModel& model, HWND parent, HFONT font, int background,
                             bool tabStop)
    : View(model, *this, Margin, 0), Font(font), Background(background) {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    WNDCLASSA wc{};
    if (!GetClassInfoA(instance, ClassName, &wc)) {
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
        wc.lpszClassName = ClassName;
        RegisterClassA(&wc);
    }
    Window = CreateWindowExA(WS_EX_CLIENTEDGE, ClassName, "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | (tabStop ? WS_TABSTOP : 0), 0, 0,
                             10, 10, parent, nullptr, instance, nullptr);
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWin32LogView::Proc));
    Measure();
}

TWin32LogView::~TWin32LogView() {
    DeleteObject(Buffer);
    SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
    DestroyWindow(Window);
}

LRESULT CALLBACK TWin32LogView::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<TWin32LogView*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return view ? view->Handle(msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

void TWin32LogView::Measure() {
    // The font's advances for every byte as it is drawn, and the row height.
    HDC dc = GetDC(Window);
    HGDIOBJ old = SelectObject(dc, Font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    TLogMetrics m;
    for (int c = 0; c < 256; ++c) {
        const char shown = LogShownByte(static_cast<unsigned char>(c));
        SIZE size{};
        GetTextExtentPoint32A(dc, &shown, 1, &size);
        m.Advances[static_cast<std::size_t>(c)] = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(Window, dc);
    RECT client;
    GetClientRect(Window, &client);
    m.FixedPitch = m.AllAdvancesEqual();
    m.WrapWidth = std::max<int>(1, static_cast<int>(client.right) - 2 * Margin);
    m.ViewHeight = std::max<int>(1, static_cast<int>(client.bottom));
    m.RowHeight = std::max<int>(1, tm.tmHeight);
    View.SetMetrics(m);
}

void TWin32LogView::SetFont(HFONT font) {
    Font = font;
    Measure();
}

std::string TWin32LogView::ClipboardText() const {
    return TextFromClipboard(Window);
}

bool TWin32LogView::SetClipboardText(const std::string& utf8) {
    return PutTextOnClipboard(Window, utf8);
}

void TWin32LogView::Invalidate(double fromY) {
    RECT r;
    GetClientRect(Window, &r);
    r.top = static_cast<LONG>(std::clamp(fromY, 0.0, 1e6));
    InvalidateRect(Window, &r, FALSE);
}

void TWin32LogView::ScrollView(double dy) {
    ScrollWindowEx(Window, 0, -static_cast<int>(dy), nullptr, nullptr, nullptr, nullptr,
                   SW_INVALIDATE);
}

void TWin32LogView::ShowScrollBar(size_t maxTop, size_t page, size_t top, bool thumbMoved) {
    // The range is 32-bit: the rows of gigabytes of text.
    SCROLLINFO bar{};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    bar.nMax = static_cast<int>(std::min<size_t>(maxTop + page - (page > 0), 0x7FFFFFFF));
    bar.nPage = static_cast<UINT>(page);
    bar.nPos = static_cast<int>(std::min<size_t>(top, 0x7FFFFFFF));
    // Painting a bar whose thumb stays put shows nothing new, and under wine
    // a themed bar costs dozens of round trips to its server.
    SetScrollInfo(Window, SB_VERT, &bar, thumbMoved);
}

void TWin32LogView::CaretMoved() {
    if (!Focused)
        return;
    const TLogCaretBox box = View.CaretBox(View.Model().CaretPos());
    SetCaretPos(static_cast<int>(box.X), static_cast<int>(box.Y));
}

bool TWin32LogView::Shown() const {
    // Minimised, hidden, or covered whole by other windows: nothing to see.
    if (!IsWindowVisible(Window) || IsIconic(GetAncestor(Window, GA_ROOT)))
        return false;
    HDC dc = GetDC(Window);
    RECT visible;
    const int region = GetClipBox(dc, &visible);
    ReleaseDC(Window, dc);
    return region != NULLREGION;
}

void TWin32LogView::RunFrameTimer(int milliseconds) {
    if (milliseconds > 0)
        SetTimer(Window, FrameTimer, static_cast<UINT>(milliseconds), nullptr);
    else
        KillTimer(Window, FrameTimer);
}

void TWin32LogView::RunDragTimer(bool running) {
    if (running)
        SetTimer(Window, DragScrollTimer, TLogView::DragScrollMilliseconds, nullptr);
    else
        KillTimer(Window, DragScrollTimer);
}

void TWin32LogView::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Window, &ps);
    RECT client;
    GetClientRect(Window, &client);
    // Drawn off screen and copied in one piece. A DIB section: the rows are
    // drawn by the program itself, not by the window system (under wine, not
    // by the X server one call at a time).
    if (Buffer == nullptr || BufferSize.cx != client.right || BufferSize.cy != client.bottom) {
        DeleteObject(Buffer);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = std::max<LONG>(1, client.right);
        info.bmiHeader.biHeight = -std::max<LONG>(1, client.bottom);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        Buffer = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        BufferSize = {client.right, client.bottom};
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = SelectObject(memory, Buffer);
    HGDIOBJ oldFont = SelectObject(memory, Font);
    const RECT& dirty = ps.rcPaint;
    FillRect(memory, &dirty, GetSysColorBrush(Background));
    SetBkMode(memory, TRANSPARENT);
    TGdiCanvas canvas(memory, Background);
    View.Paint(canvas, static_cast<int>(client.bottom), false, dirty.top, dirty.bottom);
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, memory,
           dirty.left, dirty.top, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
    EndPaint(Window, &ps);
}

void TWin32LogView::ShowContextMenu(int x, int y) {
    const bool fromKeyboard = x == -1 && y == -1;
    if (fromKeyboard) {
        // From the keyboard: at the view's corner.
        POINT p{0, 0};
        ClientToScreen(Window, &p);
        x = p.x;
        y = p.y;
    }
    // The mouse's menu is for the line under it.
    POINT at{x, y};
    ScreenToClient(Window, &at);
    HMENU menu = CreatePopupMenu();
    for (const TLogMenuItem& item :
         fromKeyboard ? View.ContextMenu() : View.ContextMenuAt(at.x, at.y)) {
        if (item.SeparatorBefore)
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        std::string caption = Utf8ToAnsi(item.Caption);
        if (*item.Shortcut != '\0')
            caption += std::string("\t") + item.Shortcut;
        AppendMenuA(menu, MF_STRING | (item.Enabled ? MF_ENABLED : MF_GRAYED),
                    static_cast<UINT_PTR>(item.Command) + 1, caption.c_str());
    }
    const int command =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, Window, nullptr);
    DestroyMenu(menu);
    if (command > 0)
        View.Run(static_cast<TLogCommand>(command - 1));
}

LRESULT TWin32LogView::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1; // painted whole in WM_PAINT
    case WM_SIZE:
        Measure();
        return 0;
    case WM_VSCROLL: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(Window, SB_VERT, &si);
        const TLogScroll none = static_cast<TLogScroll>(-1);
        const TLogScroll action = Find(ScrollActions, LOWORD(wParam), none);
        if (action != none)
            View.ScrollBar(action, static_cast<size_t>(std::max(0, si.nTrackPos)));
        return 0;
    }
    case WM_MOUSEWHEEL:
        View.Wheel(static_cast<double>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(Window);
        SetCapture(Window);
        View.Press(x, y, (wParam & MK_SHIFT) != 0);
        return 0;
    case WM_MOUSEMOVE:
        View.Drag(x, y);
        return 0;
    case WM_TIMER:
        if (wParam == FrameTimer)
            View.Frame();
        else
            View.DragScrollTick();
        return 0;
    case WM_LBUTTONUP:
        View.Release();
        ReleaseCapture();
        return 0;
    case WM_LBUTTONDBLCLK:
        View.DoubleClick(x, y);
        return 0;
    case WM_CONTEXTMENU:
        ShowContextMenu(x, y);
        return 0;
    case WM_SETFOCUS:
        Focused = true;
        CreateCaret(Window, nullptr, 1, View.Model().Metrics().RowHeight);
        CaretMoved();
        ShowCaret(Window);
        return 0;
    case WM_KILLFOCUS:
        Focused = false;
        DestroyCaret();
        return 0;
    case WM_GETDLGCODE: {
        // Every key but Tab is the text's: Tab walks the controls.
        const auto* m = reinterpret_cast<const MSG*>(lParam);
        if (m != nullptr && m->message == WM_KEYDOWN && m->wParam == VK_TAB)
            return 0;
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    }
    case WM_KEYDOWN:
        View.Key(Find(Keys, wParam, TLogKey::Other),
                 {GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, false});
        return 0;
    case WM_CHAR: {
        // Characters in the ANSI code page, whose Western letters are the
        // Latin-1 ones of the same value; Backspace and Enter came as keys.
        const auto c = static_cast<char>(wParam);
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
            View.Type(std::string_view(&c, 1));
        return 0;
    }
    case WM_COPY:
        View.Copy();
        return 0;
    case WM_CUT:
        View.Cut();
        return 0;
    case WM_PASTE:
        View.Paste();
        return 0;
    default:
        return DefWindowProcA(Window, msg, wParam, lParam);
    }
}
