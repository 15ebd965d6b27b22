#include "win32_window.h"

#include "resource_ids.h"
#include "win32_chart.h"
#include "win32_log_view.h"
#include "win32_platform.h"
#include "win32_table.h"
#include "win32_text.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>

namespace {

const char* const MainClass = "FennoxMain";
const char* const PanelClass = "FennoxPanel";
const char* const SplitterClass = "FennoxSplitter";
constexpr UINT_PTR ReceiveTimerId = 1;

TWin32Window* WindowOf(HWND hwnd) {
    return reinterpret_cast<TWin32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// withIcon: the program's icon in the title bar, the taskbar and Alt+Tab;
// only the main window's class has it.
void Register(HINSTANCE instance, const char* name, LPCSTR cursor, bool withIcon = false) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, name, &wc))
        return;
    wc.lpfnWndProc = &TWin32Window::Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, cursor);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    if (withIcon) {
        wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_FENNOX));
        // The small one chosen from the icon's own images at the size the
        // title bar uses, not shrunk from the large one.
        wc.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_FENNOX),
                                                   IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                   GetSystemMetrics(SM_CYSMICON), 0));
    }
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

// 8 points on a screen of dpi dots per inch.
HFONT MakeFont(const char* face, bool bold, int dpi) {
    return CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// The dots per inch of the screen the window is on. Windows before 10
// (1607) know one resolution for all screens; GetDpiForWindow is looked up
// so that the program still starts there.
int DpiOf(HWND window) {
    using TGetDpiForWindow = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        reinterpret_cast<TGetDpiForWindow>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr)
        return static_cast<int>(getDpiForWindow(window));
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

} // namespace

TWin32Window::TWin32Window(TForm& form, std::vector<TControl*> controls, TWin32Platform& platform,
                           HINSTANCE instance, HWND owner)
    : Model(form), Platform(platform), Instance(instance), Owner(owner),
      Mirror(form, std::move(controls), *this) {
    Register(Instance, MainClass, IDC_ARROW, true);
    Register(Instance, PanelClass, IDC_ARROW);
    Register(Instance, SplitterClass, IDC_SIZEWE);

    // Made where the model has it, so that it is on its screen; the mirror
    // then sizes it at that screen's resolution.
    const TRect& outer = Model.Geometry();
    Main = CreateWindowExA(0, MainClass, "", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, outer.Left,
                           outer.Top, outer.Width, outer.Height, Owner, nullptr, Instance, nullptr);
    SetWindowLongPtrA(Main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Tooltips =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, Main, nullptr, Instance, nullptr);
    SetDpi(DpiOf(Main));
    Mirror.Build();
    if (Owner == nullptr)
        Platform.SetOwner(Main);
    Model.OnClose = [this] { DestroyWindow(Main); };
}

TWin32Window::~TWin32Window() {
    Model.OnClose = nullptr;
    Logs.clear();
    if (Main && IsWindow(Main))
        DestroyWindow(Main);
    for (HFONT f : {ControlFont, BoldFont, MonitorFont})
        DeleteObject(f);
    DeleteObject(Picture);
}

void TWin32Window::SetDpi(int dpi) {
    Dpi = dpi;
    const HFONT old[] = {ControlFont, BoldFont, MonitorFont};
    ControlFont = MakeFont("MS Sans Serif", false, dpi);
    BoldFont = MakeFont("MS Sans Serif", true, dpi);
    MonitorFont = MakeFont("Courier", false, dpi);
    for (const auto& [h, c] : Controls)
        SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(*c)), FALSE);
    for (const auto& log : Logs)
        log->SetFont(FontOf(*Controls.at(log->Handle())));
    SendMessageA(Tooltips, TTM_SETMAXTIPWIDTH, 0, ScaledToDpi(400, dpi));
    Mirror.SetDpi(dpi);
    for (HFONT f : old)
        DeleteObject(f);
}

HFONT TWin32Window::FontOf(const TControl& c) const {
    if (c.Look() == TLook::Monitor)
        return MonitorFont;
    return c.Look() == TLook::Bold ? BoldFont : ControlFont;
}

HWND TWin32Window::HandleOf(const TControl& control) const {
    const auto found = Handles.find(&control);
    return found == Handles.end() ? nullptr : found->second;
}

HWND TWin32Window::Create(TControl& control, const char* className, DWORD style, DWORD exStyle) {
    HWND h =
        CreateWindowExA(exStyle, className, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0,
                        0, 0, 0, Panel ? Panel : Main, nullptr, Instance, nullptr);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(control)), FALSE);
    Handles[&control] = h;
    Controls[h] = &control;
    return h;
}

void TWin32Window::CreateNative(TControl& c) {
    // Every control lies in the panel: a group box passes no notifications
    // on to its parent.
    HWND h = nullptr;
    switch (c.Kind()) {
    case TControlKind::Form:
        return;
    case TControlKind::Panel:
        // Not WS_CLIPCHILDREN: a group box paints only its frame and
        // caption, and the panel's background must show through it.
        Panel = CreateWindowExA(WS_EX_CONTROLPARENT, PanelClass, "", WS_CHILD | WS_VISIBLE, 0, 0,
                                c.Geometry().Width, 100, Main, nullptr, Instance, nullptr);
        SetWindowLongPtrA(Panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        Handles[&c] = Panel;
        PanelControl = &c;
        return;
    case TControlKind::Label:
        Create(c, "STATIC", SS_LEFT | SS_NOPREFIX);
        return;
    case TControlKind::GroupBox:
        Create(c, "BUTTON", BS_GROUPBOX);
        return;
    case TControlKind::Button:
        Create(c, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
        return;
    case TControlKind::CheckBox:
    case TControlKind::RadioButton: {
        // A check box is not automatic: the model decides the state, and the
        // mirror shows it. A choice is, so that the arrow keys choose as they
        // walk the group (a click reaches the model all the same). The first
        // choice starts the group for the keyboard.
        DWORD style = BS_CHECKBOX | WS_TABSTOP;
        if (c.Kind() == TControlKind::RadioButton) {
            const bool first = std::none_of(Controls.begin(), Controls.end(), [](const auto& e) {
                return e.second->Kind() == TControlKind::RadioButton;
            });
            style = BS_AUTORADIOBUTTON | (first ? WS_GROUP : 0);
        }
        h = Create(c, "BUTTON", style);
        // Input is refused while the model says the box cannot be operated
        // (in a read-only group), without greying it.
        SetPropA(h, "FennoxProc",
                 reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                     h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWin32Window::ReadOnlyProc))));
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
        return;
    }
    case TControlKind::Edit:
        Create(c, "EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
        return;
    case TControlKind::Picture:
        // Its bitmap comes with its place (ShowRect).
        Create(c, "STATIC", SS_BITMAP | SS_NOTIFY);
        return;
    case TControlKind::ProgressBar:
        h = Create(c, PROGRESS_CLASSA, PBS_SMOOTH);
        // Themed progress bars ignore the bar colour; the classic one shows
        // it. A blank name, not an empty one: wine keeps its theme for "".
        SetWindowTheme(h, L" ", L" ");
        // Sunken as the text fields, so that it is seen while empty.
        SetWindowLongPtrA(h, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
        return;
    case TControlKind::Memo:
        Logs.push_back(std::make_unique<TWin32LogView>(
            static_cast<TMemo&>(c).Lines, Main, FontOf(c),
            c.Look() == TLook::Note ? COLOR_INFOBK : COLOR_WINDOW, c.TabStop()));
        Logs.back()->SetOwnerMenu(&static_cast<TMemo&>(c).Menu);
        Handles[&c] = Logs.back()->Handle();
        Logs.back()->SetProgressHost(&Platform);
        Controls[Logs.back()->Handle()] = &c;
        return;
    case TControlKind::Splitter:
        Splitter = CreateWindowExA(0, SplitterClass, "", WS_CHILD, 0, 0, c.Geometry().Width, 10,
                                   Main, nullptr, Instance, nullptr);
        SetWindowLongPtrA(Splitter, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SplitterControl = &c;
        return;
    case TControlKind::Table:
        SetUpTable(Create(c, WC_LISTVIEWA, TableStyle(), WS_EX_CLIENTEDGE));
        return;
    case TControlKind::BarChart:
        ShowsChart(Create(c, ChartClass(Instance), 0, WS_EX_CLIENTEDGE),
                   static_cast<TBarChart&>(c));
        return;
    case TControlKind::Timer:
        ReceiveTimer = &static_cast<TTimer&>(c);
        return;
    }
}

void TWin32Window::ShowText(TControl& c, const std::string& text) {
    HWND h = HandleOf(c);
    const std::string ansi = Utf8ToAnsi(text);
    char shown[256];
    GetWindowTextA(h, shown, sizeof shown);
    if (ansi != shown)
        SetWindowTextA(h, ansi.c_str());
}

void TWin32Window::ShowRect(TControl& c, const TRect& r, bool fitToText) {
    HWND h = HandleOf(c);
    int width = r.Width, height = r.Height;
    if (fitToText) {
        // Sized to the text, as an auto-sized label.
        HDC dc = GetDC(h);
        HGDIOBJ old = SelectObject(dc, ControlFont);
        const std::string text = Utf8ToAnsi(c.Caption());
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(h, dc);
        width = size.cx;
        height = size.cy;
    } else if (c.Kind() == TControlKind::Picture) {
        // The picture stretched to its place at the screen's resolution.
        HBITMAP old = Picture;
        Picture = static_cast<HBITMAP>(
            LoadImageA(Instance, MAKEINTRESOURCEA(IDB_PICTURE), IMAGE_BITMAP, width, height, 0));
        SendMessageA(h, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Picture));
        DeleteObject(old);
    }
    SetWindowPos(h, nullptr, r.Left, r.Top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    // A hint's tools cover the control where it now lies.
    if (!c.Hint().empty())
        ShowHint(c, c.Hint());
}

void TWin32Window::ShowChecked(TControl& c, bool checked) {
    HWND h = HandleOf(c);
    SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    // Tab enters a group of choices at the one chosen.
    if (c.Kind() == TControlKind::RadioButton) {
        const LONG_PTR style = GetWindowLongPtrA(h, GWL_STYLE);
        SetWindowLongPtrA(h, GWL_STYLE, checked ? style | WS_TABSTOP : style & ~WS_TABSTOP);
    }
}

void TWin32Window::ShowVisible(TControl& c, bool visible) {
    if (&c != &Model) {
        ShowWindow(HandleOf(c), visible ? SW_SHOWNA : SW_HIDE);
    } else if (visible) {
        ShowWindow(Main, SW_SHOW);
        SetForegroundWindow(Main);
    } else {
        ShowWindow(Main, SW_HIDE);
    }
}

void TWin32Window::ShowEnabled(TControl& c, bool enabled) {
    EnableWindow(HandleOf(c), enabled);
}

void TWin32Window::ShowReadOnlyGroup(TControl& group, bool readOnly) {
    // The group stays enabled so its controls keep their look; they refuse
    // input themselves (ReadOnlyProc), and Tab passes them by.
    for (const auto& [control, handle] : Handles) {
        if (control->Parent() != &group || control->Kind() != TControlKind::CheckBox)
            continue;
        const LONG_PTR style = GetWindowLongPtrA(handle, GWL_STYLE);
        SetWindowLongPtrA(handle, GWL_STYLE, readOnly ? style & ~WS_TABSTOP : style | WS_TABSTOP);
    }
}

void TWin32Window::ShowHint(TControl& c, const std::string& hint) {
    const std::string text = Utf8ToAnsi(hint);
    HWND h = HandleOf(c);
    // The control's own tool; and, since a disabled window gets no mouse
    // messages (its parent gets them), one over its place in the parent, so
    // that a port choice greyed by the port search still tells why.
    HWND parent = Panel ? Panel : Main;
    TOOLINFOA own{};
    own.cbSize = TTTOOLINFOA_V2_SIZE;
    own.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    own.hwnd = parent;
    own.uId = reinterpret_cast<UINT_PTR>(h);
    own.lpszText = const_cast<char*>(text.c_str());
    TOOLINFOA over = own;
    over.uFlags = TTF_SUBCLASS;
    over.uId = reinterpret_cast<UINT_PTR>(&c);
    GetWindowRect(h, &over.rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&over.rect), 2);
    // Replaced whole: a hint can change (the port choices' device paths).
    for (TOOLINFOA* tool : {&own, &over}) {
        SendMessageA(Tooltips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(tool));
        if (!text.empty())
            SendMessageA(Tooltips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(tool));
    }
}

void TWin32Window::ShowGauge(TProgressBar& bar) {
    HWND h = HandleOf(bar);
    SendMessageA(h, PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), bar.Max());
    SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
    SendMessageA(h, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(bar.BarColor()));
}

void TWin32Window::ShowTimer(TTimer& timer) {
    if (timer.Running())
        SetTimer(Main, ReceiveTimerId, static_cast<UINT>(timer.Interval()), nullptr);
    else
        KillTimer(Main, ReceiveTimerId);
}

void TWin32Window::ShowColumns(TTable& table) {
    ShowTableColumns(HandleOf(table), table);
}

void TWin32Window::ShowRows(TTable& table) {
    ShowTableRows(HandleOf(table), table);
}

void TWin32Window::ShowSelection(TTable& table) {
    ShowTableSelection(HandleOf(table), table);
}

void TWin32Window::ShowChart(TBarChart& chart) {
    InvalidateRect(HandleOf(chart), nullptr, FALSE);
}

void TWin32Window::SendToBack(TControl& c) {
    SetWindowPos(HandleOf(c), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWin32Window::ShowTitle(const std::string& title) {
    SetWindowTextA(Main, Utf8ToAnsi(title).c_str());
}

void TWin32Window::ShowWindowRect(const TRect& r) {
    // The model's rectangle is the outer one, as the window's own is.
    SetWindowPos(Main, nullptr, r.Left, r.Top, r.Width, r.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Window::ShowMinSize(int width, int height) {
    // WM_GETMINMAXINFO hands it on when the user drags.
    MinSize = {width, height};
}

void TWin32Window::ShowFocus(TControl& c) {
    SetFocus(HandleOf(c));
}

void TWin32Window::ShowLogs(bool sideShown, int sideWidth) {
    // The side log comes back at its own width.
    if (sideShown && !SideShown)
        SideWidth = sideWidth;
    SideShown = sideShown;
    LayOut();
}

void TWin32Window::Show(int showCommand) {
    ShowWindow(Main, showCommand);
    UpdateWindow(Main);
}

void TWin32Window::LayOut() {
    if (Logs.size() < 2 || PanelControl == nullptr || SplitterControl == nullptr)
        return;
    RECT client;
    GetClientRect(Main, &client);
    const int panelWidth = ScaledToDpi(PanelControl->Geometry().Width, Dpi);
    const TLogsLayout l =
        ArrangeLogs(client.right, client.bottom, panelWidth,
                    ScaledToDpi(SplitterControl->Geometry().Width, Dpi), SideShown, SideWidth);
    SideWidth = l.SideWidth;
    MoveWindow(Panel, 0, 0, panelWidth, client.bottom, TRUE);
    const std::pair<HWND, TRect> places[] = {
        {Logs.front()->Handle(), l.First}, {Splitter, l.Splitter}, {Logs.back()->Handle(), l.Side}};
    for (const auto& [h, r] : places) {
        MoveWindow(h, r.Left, r.Top, r.Width, r.Height, TRUE);
        ShowWindow(h, r.Width > 0 || h == places[0].first ? SW_SHOWNA : SW_HIDE);
    }
}

bool TWin32Window::HandleCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDOK && lParam == 0) {
        // Enter, which the dialog keys hand to a window without a default
        // button as IDOK: it presses the focused button, as in every dialog.
        HWND focus = GetFocus();
        const auto focused = Controls.find(focus);
        if (focused != Controls.end() && focused->second->Kind() == TControlKind::Button)
            SendMessageA(focus, BM_CLICK, 0, 0);
        return true;
    }
    const auto found = Controls.find(reinterpret_cast<HWND>(lParam));
    if (found == Controls.end())
        return false;
    TControl& c = *found->second;
    const WORD code = HIWORD(wParam);
    if (code == EN_CHANGE && c.Kind() == TControlKind::Edit) {
        char text[256];
        GetWindowTextA(reinterpret_cast<HWND>(lParam), text, sizeof text);
        Mirror.Edited(c, AnsiToUtf8(text));
    } else if ((code == BN_CLICKED && c.Kind() != TControlKind::Picture) ||
               (code == STN_CLICKED && c.Kind() == TControlKind::Picture)) {
        Mirror.Clicked(c);
    }
    return true;
}

bool TWin32Window::HandleNotify(LPARAM lParam, LRESULT& result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    const auto found = Controls.find(header->hwndFrom);
    if (found == Controls.end() || found->second->Kind() != TControlKind::Table)
        return false;
    int row = -1;
    bool chosen = false;
    if (!TableNotification(header, static_cast<const TTable&>(*found->second), row, chosen))
        return false;
    if (chosen)
        Mirror.RowChosen(*found->second, row);
    result = 0;
    return true;
}

bool TWin32Window::FunctionKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam < VK_F1 || msg.wParam > VK_F12)
        return false;
    if (msg.hwnd != Main && !IsChild(Main, msg.hwnd))
        return false;
    return Mirror.FunctionKey(static_cast<int>(msg.wParam - VK_F1) + 1);
}

LRESULT CALLBACK TWin32Window::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWin32Window* window = WindowOf(hwnd);
    if (window == nullptr)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_COMMAND && window->HandleCommand(wParam, lParam))
        return 0;
    LRESULT result = 0;
    if (msg == WM_NOTIFY && window->HandleNotify(lParam, result))
        return result;
    if (hwnd == window->Splitter)
        return window->HandleSplitter(msg, wParam, lParam);
    if (hwnd == window->Main)
        return window->HandleMain(msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT TWin32Window::HandleMain(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == ReceiveTimerId && ReceiveTimer != nullptr)
            ReceiveTimer->Fire();
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = MinSize;
        return 0;
    case WM_DPICHANGED: {
        // Moved to a screen of another resolution: everything at the new
        // scale, the window where the system suggests.
        SetDpi(HIWORD(wParam));
        const RECT& r = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(Main, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_SIZE: {
        RECT client;
        GetClientRect(Main, &client);
        Mirror.ClientResized(client.right, client.bottom);
        LayOut();
    }
        [[fallthrough]];
    case WM_MOVE:
        if (!IsIconic(Main) && !IsZoomed(Main)) {
            RECT r;
            GetWindowRect(Main, &r);
            Mirror.WindowMoved({r.left, r.top, r.right - r.left, r.bottom - r.top});
        }
        return 0;
    case WM_CLOSE:
        // The main window's close box ends the program without storing
        // anything; a second window's only hides it.
        if (Mirror.CloseBox())
            DestroyWindow(Main);
        return 0;
    case WM_DESTROY:
        KillTimer(Main, ReceiveTimerId);
        if (Owner == nullptr)
            PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(Main, msg, wParam, lParam);
    }
}

LRESULT TWin32Window::HandleSplitter(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(Splitter, &p);
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(Splitter);
        DragStartX = p.x;
        DragStartWidth = SideWidth;
        return 0;
    case WM_MOUSEMOVE:
        if (GetCapture() == Splitter) {
            // Dragging to the left widens the side log.
            SideWidth = DragStartWidth - (p.x - DragStartX);
            LayOut();
        }
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        return 0;
    default:
        return DefWindowProcA(Splitter, msg, wParam, lParam);
    }
}

LRESULT CALLBACK TWin32Window::ReadOnlyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto* control = reinterpret_cast<const TControl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    const bool input =
        (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) || (msg >= WM_KEYFIRST && msg <= WM_KEYLAST);
    if (input && msg != WM_MOUSEMOVE && control != nullptr && !control->Operable())
        return 0;
    const auto original = reinterpret_cast<WNDPROC>(GetPropA(hwnd, "FennoxProc"));
    return CallWindowProcA(original, hwnd, msg, wParam, lParam);
}
