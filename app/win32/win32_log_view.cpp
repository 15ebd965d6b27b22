#include "win32_log_view.h"

#include "latin1_text.h"
#include "win32_platform.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

namespace {

const char* const ClassName = "FennoxLog";
// Room left of the text, as a multi-line edit control leaves it.
constexpr int Margin = 2;

enum TMenuCommand { MenuCut = 1, MenuCopy, MenuPaste, MenuDelete, MenuSelectAll };

} // namespace

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
    : Log(model), Font(font), Background(background) {
    const HINSTANCE instance =
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE));
    RegisterLogViewClass(instance);
    Window = CreateWindowExA(WS_EX_CLIENTEDGE, ClassName, "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | (tabStop ? WS_TABSTOP : 0), 0, 0,
                             10, 10, parent, nullptr, instance, nullptr);
    SetWindowLongPtrA(Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrA(Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWin32LogView::Proc));
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
    Ascent = tm.tmAscent;
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
    const TLogPlace place = Log.PlaceOf(Log.CaretPos());
    const long long row = static_cast<long long>(place.Row) - static_cast<long long>(Log.TopRow());
    if (row < 0 || row > static_cast<long long>(Log.VisibleRows())) {
        SetCaretPos(-100, -100);
        return;
    }
    SetCaretPos(Margin + static_cast<int>(place.X), static_cast<int>(row) * RowHeight);
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

TLogPos TWin32LogView::PosAt(int x, int y) const {
    const long long row = static_cast<long long>(Log.TopRow()) + (y < 0 ? -1 : y / RowHeight);
    if (row < 0)
        return Log.PosAtRow(0, 0);
    return Log.PosAtRow(static_cast<size_t>(row), x - Margin);
}

void TWin32LogView::Copy() {
    if (Log.HasSelection())
        PutTextOnClipboard(Window, Latin1ToUtf8(Log.SelectedText()));
}

void TWin32LogView::Cut() {
    if (Log.HasSelection())
        PutTextOnClipboard(Window, Latin1ToUtf8(Log.Cut()));
}

void TWin32LogView::Paste() {
    const std::string text = TextFromClipboard(Window);
    if (!text.empty())
        Log.Paste(Utf8ToLatin1(text));
}

void TWin32LogView::OnKey(WPARAM key) {
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (key) {
    case VK_LEFT:
        Log.Move(ctrl ? TLogMove::PrevWord : TLogMove::PrevChar, shift);
        break;
    case VK_RIGHT:
        Log.Move(ctrl ? TLogMove::NextWord : TLogMove::NextChar, shift);
        break;
    case VK_UP:
        Log.Move(TLogMove::RowUp, shift);
        break;
    case VK_DOWN:
        Log.Move(TLogMove::RowDown, shift);
        break;
    case VK_PRIOR:
        Log.Move(TLogMove::PageUp, shift);
        break;
    case VK_NEXT:
        Log.Move(TLogMove::PageDown, shift);
        break;
    case VK_HOME:
        Log.Move(ctrl ? TLogMove::DocStart : TLogMove::LineStart, shift);
        break;
    case VK_END:
        Log.Move(ctrl ? TLogMove::DocEnd : TLogMove::LineEnd, shift);
        break;
    case VK_DELETE:
        if (shift)
            Cut();
        else
            Log.Delete();
        break;
    case VK_INSERT:
        if (ctrl)
            Copy();
        else if (shift)
            Paste();
        break;
    default:
        if (ctrl && key == 'A')
            Log.SelectAll();
        else if (ctrl && key == 'C')
            Copy();
        else if (ctrl && key == 'X')
            Cut();
        else if (ctrl && key == 'V')
            Paste();
        break;
    }
}

void TWin32LogView::ShowContextMenu(int x, int y) {
    HMENU menu = CreatePopupMenu();
    const UINT selected = Log.HasSelection() ? MF_ENABLED : MF_GRAYED;
    AppendMenuA(menu, MF_STRING | selected, MenuCut, "&Ausschneiden");
    AppendMenuA(menu, MF_STRING | selected, MenuCopy, "&Kopieren");
    AppendMenuA(menu,
                MF_STRING | (IsClipboardFormatAvailable(CF_UNICODETEXT) ? MF_ENABLED : MF_GRAYED),
                MenuPaste, "&Einf\xFCgen");
    AppendMenuA(menu, MF_STRING | selected, MenuDelete, "&L\xF6schen");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | (Log.LineCount() > 0 ? MF_ENABLED : MF_GRAYED), MenuSelectAll,
                "Alles &markieren");
    const int command =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, Window, nullptr);
    DestroyMenu(menu);
    switch (command) {
    case MenuCut:
        Cut();
        break;
    case MenuCopy:
        Copy();
        break;
    case MenuPaste:
        Paste();
        break;
    case MenuDelete:
        Log.DeleteSelection();
        break;
    case MenuSelectAll:
        Log.SelectAll();
        break;
    default:
        break;
    }
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
        Log.ScrollBy(-GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * 3);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(Window);
        SetCapture(Window);
        Dragging = true;
        Log.SetCaretPos(PosAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)),
                        (wParam & MK_SHIFT) != 0);
        return 0;
    case WM_MOUSEMOVE:
        if (Dragging) {
            const int y = GET_Y_LPARAM(lParam);
            RECT client;
            GetClientRect(Window, &client);
            // Dragging past the top or the bottom scrolls.
            if (y < 0)
                Log.ScrollBy(-1);
            else if (y > client.bottom)
                Log.ScrollBy(1);
            Log.SetCaretPos(PosAt(GET_X_LPARAM(lParam), y), true);
        }
        return 0;
    case WM_LBUTTONUP:
        if (Dragging) {
            Dragging = false;
            ReleaseCapture();
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        Log.SelectWordAt(PosAt(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
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
        OnKey(wParam);
        return 0;
    case WM_CHAR: {
        // Characters in the ANSI code page, whose Western letters are the
        // Latin-1 ones of the same value.
        const auto c = static_cast<unsigned char>(wParam);
        if (c == '\b')
            Log.Backspace();
        else if (c == '\r')
            Log.Enter();
        else if (c >= 0x20 && c != 0x7F) {
            const char ch = static_cast<char>(c);
            Log.InsertText(std::string_view(&ch, 1));
        }
        return 0;
    }
    case WM_COPY:
        Copy();
        return 0;
    case WM_CUT:
        Cut();
        return 0;
    case WM_PASTE:
        Paste();
        return 0;
    default:
        return DefWindowProcA(Window, msg, wParam, lParam);
    }
}
