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

TLogKey LogKeyOf(WPARAM key) {
    switch (key) {
    case VK_LEFT:
        return TLogKey::Left;
    case VK_RIGHT:
        return TLogKey::Right;
    case VK_UP:
        return TLogKey::Up;
    case VK_DOWN:
        return TLogKey::Down;
    case VK_PRIOR:
        return TLogKey::PageUp;
    case VK_NEXT:
        return TLogKey::PageDown;
    case VK_HOME:
        return TLogKey::Home;
    case VK_END:
        return TLogKey::End;
    case VK_BACK:
        return TLogKey::Backspace;
    case VK_DELETE:
        return TLogKey::Delete;
    case VK_INSERT:
        return TLogKey::Insert;
    case VK_RETURN:
        return TLogKey::Enter;
    case 'A':
        return TLogKey::A;
    case 'C':
        return TLogKey::C;
    case 'V':
        return TLogKey::V;
    case 'X':
        return TLogKey::X;
    default:
        return TLogKey::Other;
    }
}

} // namespace

std::string TWin32Clipboard::Text() const {
    return TextFromClipboard(Owner);
}

void TWin32Clipboard::SetText(const std::string& utf8) {
    PutTextOnClipboard(Owner, utf8);
}

void RegisterLogViewClass(HINSTANCE instance) {
    WNDCLASSA wc{};
    if (GetClassInfoA(instance, ClassName, &wc))
        return;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    wc.lpszClassName = ClassName;
    RegisterClassA(&wc);
}

TWin32LogView::TWin32LogView(TLogModel& model, HWND parent, HFONT font, int background,
                             bool tabStop)
    : Log(model), Input(model, Clipboard, Margin, 0), Font(font), Background(background) {
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    RegisterLogViewClass(instance);
    Window = CreateWindowExA(WS_EX_CLIENTEDGE, ClassName, "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | (tabStop ? WS_TABSTOP : 0), 0, 0,
                             10, 10, parent, nullptr, instance, nullptr);
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWin32LogView::Proc));
    Clipboard.Owner = Window;
    Log.SetListener(this);
    Measure();
}

TWin32LogView::~TWin32LogView() {
    Log.SetListener(nullptr);
    if (Buffer)
        DeleteObject(Buffer);
    if (Window) {
        SetWindowLongPtrA(Window, GWLP_USERDATA, 0);
        DestroyWindow(Window);
    }
}

LRESULT CALLBACK TWin32LogView::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<TWin32LogView*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (view == nullptr)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return view->Handle(msg, wParam, lParam);
}

void TWin32LogView::Measure() {
    // The font's advances for every byte as it is drawn, and the row height.
    HDC dc = GetDC(Window);
    HGDIOBJ old = SelectObject(dc, Font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    RowHeight = std::max<int>(1, tm.tmHeight);
    TLogMetrics m = Log.Metrics();
    for (int c = 0; c < 256; ++c) {
        const char shown = LogShownByte(static_cast<unsigned char>(c));
        SIZE size{};
        GetTextExtentPoint32A(dc, &shown, 1, &size);
        m.Advances[static_cast<std::size_t>(c)] = size.cx;
    }
    SelectObject(dc, old);
    ReleaseDC(Window, dc);
    m.FixedPitch = m.AllAdvancesEqual();
    RECT client;
    GetClientRect(Window, &client);
    m.WrapWidth = std::max<int>(1, static_cast<int>(client.right) - 2 * Margin);
    m.ViewHeight = std::max<int>(1, static_cast<int>(client.bottom));
    m.RowHeight = RowHeight;
    Log.SetMetrics(m);
    UpdateScrollBar();
}

// The model's changes only mark what is out of date; the next paint brings
// the scroll bar and the caret up to date once. At the device's rate the
// model changes some 300 times a second, and updating the scroll bar each
// time would take the ticks' time away from the receive loop.
void TWin32LogView::LogRowsChanged(size_t firstRow) {
    ScrollBarStale = true;
    Invalidate(firstRow);
}

void TWin32LogView::LogScrolled() {
    ScrollBarStale = true;
    CaretStale = true;
    Invalidate(0);
}

void TWin32LogView::LogCaretMoved() {
    CaretStale = true;
    Invalidate(0);
}

void TWin32LogView::Invalidate(size_t firstRow) {
    // One call until the next paint: each is a trip to the window system,
    // and under wine to its server, which would cost more than the append.
    const size_t top = Log.TopRow();
    const size_t fromRow = firstRow > top ? firstRow - top : 0;
    if (RepaintPending && fromRow >= DirtyFromRow)
        return;
    DirtyFromRow = fromRow;
    RepaintPending = true;
    RECT r;
    GetClientRect(Window, &r);
    r.top = static_cast<LONG>(std::min<size_t>(fromRow, 100000) * RowHeight);
    InvalidateRect(Window, &r, FALSE);
}

void TWin32LogView::UpdateScrollBar() {
    // The scroll bar counts rows; its range is 32-bit, which holds the rows
    // of several gigabytes of text.
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    const size_t total = Log.TotalRows();
    si.nMax = static_cast<int>(std::min<size_t>(total == 0 ? 0 : total - 1, 0x7FFFFFFF));
    si.nPage = static_cast<UINT>(Log.VisibleRows());
    si.nPos = static_cast<int>(std::min<size_t>(Log.TopRow(), 0x7FFFFFFF));
    SetScrollInfo(Window, SB_VERT, &si, TRUE);
}

void TWin32LogView::PlaceCaret() {
    if (!Focused)
        return;
    const TLogCaretBox box = Input.CaretBox(Log.CaretPos());
    RECT client;
    GetClientRect(Window, &client);
    if (box.Y < 0 || box.Y > client.bottom) {
        SetCaretPos(-100, -100);
        return;
    }
    SetCaretPos(static_cast<int>(box.X), static_cast<int>(box.Y));
}

void TWin32LogView::Paint(HDC dc, const RECT& dirty) {
    RECT client;
    GetClientRect(Window, &client);
    // Drawn off screen and copied in one piece, so appending at the device's
    // rate does not flicker. The bitmap is kept until the view's size changes.
    if (Buffer == nullptr || BufferWidth != client.right || BufferHeight != client.bottom) {
        if (Buffer)
            DeleteObject(Buffer);
        Buffer = CreateCompatibleBitmap(dc, std::max<LONG>(1, client.right),
                                        std::max<LONG>(1, client.bottom));
        BufferWidth = client.right;
        BufferHeight = client.bottom;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = SelectObject(memory, Buffer);
    HGDIOBJ oldFont = SelectObject(memory, Font);
    FillRect(memory, &dirty, GetSysColorBrush(Background));
    SetBkMode(memory, TRANSPARENT);

    Log.RowsInView(Log.VisibleRows() + 1, Rows);
    const COLORREF text =
        GetSysColor(Background == COLOR_INFOBK ? COLOR_INFOTEXT : COLOR_WINDOWTEXT);
    const COLORREF selectedText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const HBRUSH selection = GetSysColorBrush(COLOR_HIGHLIGHT);
    std::string shown;
    for (const TLogRowView& row : Rows) {
        const int y = static_cast<int>(row.Row - Log.TopRow()) * RowHeight;
        if (y > dirty.bottom || y + RowHeight < dirty.top)
            continue;
        shown.assign(row.Text.begin(), row.Text.end());
        for (char& c : shown)
            c = LogShownByte(static_cast<unsigned char>(c));
        SetTextColor(memory, text);
        TextOutA(memory, Margin, y, shown.data(), static_cast<int>(shown.size()));
        if (row.SelectedTo > row.SelectedFrom || row.LineEndSelected) {
            const int left = Margin + static_cast<int>(row.SelectedLeft);
            int right = Margin + static_cast<int>(row.SelectedRight);
            if (row.LineEndSelected)
                right += static_cast<int>(Log.Metrics().Advances[' ']);
            const RECT r{left, y, right, y + RowHeight};
            FillRect(memory, &r, selection);
            SetTextColor(memory, selectedText);
            TextOutA(memory, left, y, shown.data() + row.SelectedFrom,
                     static_cast<int>(row.SelectedTo - row.SelectedFrom));
        }
    }
    BitBlt(dc, dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top, memory,
           dirty.left, dirty.top, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
}

void TWin32LogView::ShowContextMenu(int x, int y) {
    HMENU menu = CreatePopupMenu();
    for (const TLogMenuItem& item : Input.ContextMenu()) {
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
        Input.Run(static_cast<TLogCommand>(command - 1));
}

void TWin32LogView::FollowDragScrolling() {
    if (Input.DragScrolling())
        SetTimer(Window, DragScrollTimer, TLogViewInput::DragScrollMilliseconds, nullptr);
    else
        KillTimer(Window, DragScrollTimer);
}

LRESULT TWin32LogView::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        if (ScrollBarStale) {
            ScrollBarStale = false;
            UpdateScrollBar();
        }
        if (CaretStale) {
            CaretStale = false;
            PlaceCaret();
        }
        RepaintPending = false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Window, &ps);
        Paint(dc, ps.rcPaint);
        EndPaint(Window, &ps);
        return 0;
    }
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
        const long long page = static_cast<long long>(Log.VisibleRows());
        switch (LOWORD(wParam)) {
        case SB_LINEUP:
            Log.ScrollBy(-1);
            break;
        case SB_LINEDOWN:
            Log.ScrollBy(1);
            break;
        case SB_PAGEUP:
            Log.ScrollBy(-page);
            break;
        case SB_PAGEDOWN:
            Log.ScrollBy(page);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            Log.ScrollTo(static_cast<size_t>(si.nTrackPos));
            break;
        case SB_TOP:
            Log.ScrollTo(0);
            break;
        case SB_BOTTOM:
            Log.ScrollTo(Log.MaxTopRow());
            break;
        default:
            break;
        }
        return 0;
    }
    case WM_MOUSEWHEEL:
        Input.Wheel(static_cast<double>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(Window);
        SetCapture(Window);
        Input.Press(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), (wParam & MK_SHIFT) != 0);
        return 0;
    case WM_MOUSEMOVE:
        Input.Drag(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        FollowDragScrolling();
        return 0;
    case WM_TIMER:
        if (wParam == DragScrollTimer) {
            Input.DragScrollTick();
            FollowDragScrolling();
        }
        return 0;
    case WM_LBUTTONUP:
        Input.Release();
        FollowDragScrolling();
        if (GetCapture() == Window)
            ReleaseCapture();
        return 0;
    case WM_LBUTTONDBLCLK:
        Input.DoubleClick(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_CONTEXTMENU: {
        int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        if (x == -1 && y == -1) {
            POINT p{0, 0};
            ClientToScreen(Window, &p);
            x = p.x;
            y = p.y;
        }
        ShowContextMenu(x, y);
        return 0;
    }
    case WM_SETFOCUS:
        Focused = true;
        CreateCaret(Window, nullptr, 1, RowHeight);
        PlaceCaret();
        ShowCaret(Window);
        return 0;
    case WM_KILLFOCUS:
        Focused = false;
        DestroyCaret();
        return 0;
    case WM_GETDLGCODE:
        // Every key but Tab is the text's: Tab walks the controls.
        if (lParam != 0 && reinterpret_cast<const MSG*>(lParam)->message == WM_KEYDOWN &&
            reinterpret_cast<const MSG*>(lParam)->wParam == VK_TAB)
            return 0;
        return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        Input.Key(LogKeyOf(wParam),
                  {GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0, false});
        return 0;
    case WM_CHAR: {
        // Characters in the ANSI code page, whose Western letters are the
        // Latin-1 ones of the same value; Backspace and Enter came as keys.
        const auto c = static_cast<unsigned char>(wParam);
        if (c >= 0x20 && c != 0x7F) {
            const char ch = static_cast<char>(c);
            Input.Type(std::string_view(&ch, 1));
        }
        return 0;
    }
    case WM_COPY:
        Input.Copy();
        return 0;
    case WM_CUT:
        Input.Cut();
        return 0;
    case WM_PASTE:
        Input.Paste();
        return 0;
    default:
        return DefWindowProcA(Window, msg, wParam, lParam);
    }
}
