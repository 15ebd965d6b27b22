#include "win32_window.h"

#include "log_model.h"
#include "main_window.h"
#include "resource_ids.h"
#include "win32_log_view.h"
#include "win32_platform.h"
#include "win32_text.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

const char* const MainClass = "FennoxMain";
const char* const PanelClass = "FennoxPanel";
const char* const SplitterClass = "FennoxSplitter";
constexpr UINT_PTR ReceiveTimer = 1;

// What a control does when its notification comes in (BN_CLICKED ...).
std::unordered_map<HWND, std::function<void(int)>> Commands;

TWin32Window* WindowOf(HWND hwnd) {
    return reinterpret_cast<TWin32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// withIcon: the program's icon in the title bar, the taskbar and Alt+Tab;
// only the main window's class has it.
void Register(HINSTANCE instance, const char* name, WNDPROC proc, HBRUSH background, LPCSTR cursor,
              bool withIcon = false) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, name, &wc))
        return;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, cursor);
    wc.hbrBackground = background;
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

HFONT MakeFont(const char* face, bool bold) {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

COLORREF Rgb(int r, int g, int b) {
    return RGB(r, g, b);
}

} // namespace

HBITMAP DrawFennoxPicture(HDC dc) {
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 200, 32);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const RECT all{0, 0, 200, 32};
    HBRUSH navy = CreateSolidBrush(Rgb(0x1f, 0x3a, 0x5f));
    FillRect(memory, &all, navy);
    DeleteObject(navy);
    // Sleepers and two rails along the bottom.
    HBRUSH wood = CreateSolidBrush(Rgb(0x8b, 0x5a, 0x2b));
    for (int x = 4; x < 200; x += 12) {
        const RECT sleeper{x, 22, x + 6, 30};
        FillRect(memory, &sleeper, wood);
    }
    DeleteObject(wood);
    HBRUSH steel = CreateSolidBrush(Rgb(0xc0, 0xc0, 0xc0));
    const RECT rail1{0, 23, 200, 25}, rail2{0, 28, 200, 30};
    FillRect(memory, &rail1, steel);
    FillRect(memory, &rail2, steel);
    DeleteObject(steel);
    // A square wave for the DCC signal.
    HPEN pen = CreatePen(PS_SOLID, 2, Rgb(0xff, 0xd7, 0x00));
    HGDIOBJ oldPen = SelectObject(memory, pen);
    int level = 4;
    MoveToEx(memory, 120, level, nullptr);
    for (int x = 120, step = 0; x <= 196; x += (step % 3 == 0) ? 6 : 12, ++step) {
        LineTo(memory, x, level);
        level = level == 4 ? 16 : 4;
        LineTo(memory, x, level);
    }
    SelectObject(memory, oldPen);
    DeleteObject(pen);
    HFONT font =
        CreateFontA(-17, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, "Arial");
    HGDIOBJ oldFont = SelectObject(memory, font);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, Rgb(0xff, 0xff, 0xff));
    RECT text{6, 0, 116, 22};
    DrawTextA(memory, "Fennox", -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SelectObject(memory, oldFont);
    DeleteObject(font);
    SelectObject(memory, old);
    DeleteDC(memory);
    return bitmap;
}

TWin32Window::TWin32Window(TfrmMain& model, TWin32Platform& platform, HINSTANCE instance)
    : Model(model), Platform(platform), Instance(instance),
      Memo2Width(model.Memo2.Geometry().Width) {
    Build();
    Platform.SetOwner(Main);
    Model.OnClose = [this] { DestroyWindow(Main); };
    Model.SetObserver(this);
}

TWin32Window::~TWin32Window() {
    Model.SetObserver(nullptr);
    Model.OnClose = nullptr;
    Memo1.reset();
    Memo2.reset();
    for (const auto& h : Handles)
        Commands.erase(h.second);
    if (Main && IsWindow(Main))
        DestroyWindow(Main);
    for (HFONT f : {ControlFont, BoldFont, MonitorFont})
        DeleteObject(f);
    DeleteObject(Picture);
}

HWND TWin32Window::HandleOf(const TControl& control) const {
    const auto found = Handles.find(&control);
    return found == Handles.end() ? nullptr : found->second;
}

RECT TWin32Window::PanelRect(const TControl& control) const {
    TRect r = control.Geometry();
    for (const TControl* p = control.Parent(); p && p != &Model.Panel1; p = p->Parent()) {
        r.Left += p->Geometry().Left;
        r.Top += p->Geometry().Top;
    }
    return RECT{r.Left, r.Top, r.Left + r.Width, r.Top + r.Height};
}

HWND TWin32Window::Create(TControl& control, const char* className, DWORD style, DWORD exStyle) {
    const RECT r = PanelRect(control);
    HWND h = CreateWindowExA(exStyle, className, Utf8ToAnsi(control.Caption()).c_str(),
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, Panel, nullptr, Instance, nullptr);
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(ControlFont), FALSE);
    Handles[&control] = h;
    Controls[h] = &control;
    return h;
}

void TWin32Window::AddTooltip(HWND control, const std::string& hint) {
    const std::string text = Utf8ToAnsi(hint);
    TOOLINFOA ti{};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = Panel;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = const_cast<char*>(text.c_str());
    // Replaced whole: a hint can change (the port choices' device paths).
    SendMessageA(Tooltips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    if (!text.empty())
        SendMessageA(Tooltips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void TWin32Window::Build() {
    Register(Instance, MainClass, MainProc, GetSysColorBrush(COLOR_BTNFACE), IDC_ARROW, true);
    Register(Instance, PanelClass, PanelProc, GetSysColorBrush(COLOR_BTNFACE), IDC_ARROW);
    Register(Instance, SplitterClass, SplitterProc, GetSysColorBrush(COLOR_BTNFACE), IDC_SIZEWE);
    ControlFont = MakeFont("MS Sans Serif", false);
    BoldFont = MakeFont("MS Sans Serif", true);
    MonitorFont = MakeFont("Courier", false);

    const TRect& outer = Model.Geometry();
    Main = CreateWindowExA(0, MainClass, Utf8ToAnsi(Model.Caption()).c_str(),
                           WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, outer.Left, outer.Top,
                           outer.Width, outer.Height, nullptr, nullptr, Instance, nullptr);
    SetWindowLongPtrA(Main, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Not WS_CLIPCHILDREN: a group box paints only its frame and caption, and
    // the panel's background must show through it.
    Panel = CreateWindowExA(WS_EX_CONTROLPARENT, PanelClass, "", WS_CHILD | WS_VISIBLE, 0, 0,
                            Panel1Width, 100, Main, nullptr, Instance, nullptr);
    SetWindowLongPtrA(Panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Handles[&Model.Panel1] = Panel;
    Tooltips =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, Main, nullptr, Instance, nullptr);
    SendMessageA(Tooltips, TTM_SETMAXTIPWIDTH, 0, 400);

    TfrmMain& m = Model;
    TControl* const groups[] = {&m.RadioGroupComPort, &m.GroupBoxHardware, &m.GroupBoxTextfeld,
                                &m.GroupBoxAnzeige1,  &m.GroupBoxFilter,   &m.GroupBoxAnzeigeSchalt,
                                &m.GroupBoxAnzeigeLok};
    for (TControl* g : groups)
        Create(*g, "BUTTON", BS_GROUPBOX);
    for (TControl* l : {&m.Label1, &m.Label2, &m.Label3, &m.Label5, &m.Label4, &m.Label6})
        Create(*l, "STATIC", SS_LEFT | SS_NOPREFIX);
    const auto button = [&](TButton& b) {
        HWND h = Create(b, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP);
        if (b.Bold)
            SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(BoldFont), FALSE);
        Commands[h] = [&b](int code) {
            if (code == BN_CLICKED)
                b.Click();
        };
    };
    const auto checkBox = [&](TCheckBox& c) {
        // Not an automatic check box: the model decides the state, and the
        // mirror shows it.
        HWND h = Create(c, "BUTTON", BS_CHECKBOX | WS_TABSTOP);
        CheckBoxes[&c] = &c;
        Commands[h] = [&c](int code) {
            if (code == BN_CLICKED)
                c.Click();
        };
        return h;
    };
    const auto edit = [&](TEdit& e) {
        HWND h = Create(e, "EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
        Edits[&e] = &e;
        Commands[h] = [this, &e, h](int code) {
            if (code != EN_CHANGE || Applying)
                return;
            char text[256];
            GetWindowTextA(h, text, sizeof text);
            e.SetText(AnsiToUtf8(text));
        };
    };

    button(m.btnCheck);
    for (int i = 0; i < 9; ++i) {
        TRadioButton& r = *m.RadCom[i];
        HWND h = Create(r, "BUTTON", BS_RADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0));
        Radios[&r] = &r;
        Commands[h] = [&r](int code) {
            if (code == BN_CLICKED)
                r.Click();
        };
    }
    // The hardware group is shown for reading: its check boxes keep the
    // enabled look but take no input.
    for (TCheckBox* c : {&m.cbx_mot, &m.cbx_dcc_stream}) {
        HWND h = checkBox(*c);
        SetWindowLongPtrA(h, GWL_STYLE, GetWindowLongPtrA(h, GWL_STYLE) & ~WS_TABSTOP);
        SetPropA(h, "FennoxProc",
                 reinterpret_cast<HANDLE>(SetWindowLongPtrA(
                     h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWin32Window::ReadOnlyProc))));
        SetWindowLongPtrA(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
    }
    edit(m.edt_version);
    button(m.btn_clear);
    button(m.btn_save);
    button(m.btn_clipboard);
    button(m.btnStart);
    button(m.btnStop);
    button(m.btnClose);
    for (TCheckBox* c : {&m.cbx_time, &m.cbx_binaer, &m.cbx_bitstream, &m.cbx_schrott,
                         &m.cbx_only_once, &m.cbx_filter})
        checkBox(*c);
    edit(m.edt_min);
    edit(m.edt_max);
    for (TCheckBox* c :
         {&m.cbx_schaltbefehle, &m.cbx_nur_ON, &m.cbx_lokbefehle_s, &m.cbx_lokbefehle_f,
          &m.cbx_railcom, &m.cbx_idle, &m.cbx_sonstige, &m.cbx_cv})
        checkBox(*c);

    HWND image = Create(m.Image1, "STATIC", SS_BITMAP | SS_NOTIFY);
    HDC dc = GetDC(Main);
    Picture = DrawFennoxPicture(dc);
    ReleaseDC(Main, dc);
    SendMessageA(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(Picture));
    Commands[image] = [this](int code) {
        if (code == STN_CLICKED)
            Model.Image1.Click();
    };

    HWND gauge = Create(m.ProgressBar2, PROGRESS_CLASSA, PBS_SMOOTH);
    // Themed progress bars ignore the bar colour; the classic one shows it.
    // A blank name, not an empty one: wine keeps its theme for "".
    SetWindowTheme(gauge, L" ", L" ");

    Memo1 = std::make_unique<TWin32LogView>(m.Memo1.Lines, Main, MonitorFont, COLOR_WINDOW, false);
    Memo2 = std::make_unique<TWin32LogView>(m.Memo2.Lines, Main, ControlFont, COLOR_INFOBK, true);
    Handles[&m.Memo1] = Memo1->Handle();
    Handles[&m.Memo2] = Memo2->Handle();
    Splitter = CreateWindowExA(0, SplitterClass, "", WS_CHILD, 0, 0, Splitter1Width, 10, Main,
                               nullptr, Instance, nullptr);
    SetWindowLongPtrA(Splitter, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

    // The group boxes go below every other control, so those are drawn on
    // top of the frames.
    for (TControl* g : groups)
        SetWindowPos(HandleOf(*g), HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    for (TControl* c : m.Controls()) {
        for (TChange what : EveryStateChange)
            Mirror(*c, what);
    }
    LayOut();
}

void TWin32Window::Show(int showCommand) {
    ShowWindow(Main, showCommand);
    UpdateWindow(Main);
}

void TWin32Window::ControlChanged(TControl& control, TChange what) {
    Mirror(control, what);
}

void TWin32Window::Mirror(TControl& control, TChange what) {
    const TFlagGuard applying(Applying);
    TfrmMain& m = Model;

    if (&control == &m) {
        if (what == TChange::Caption)
            SetWindowTextA(Main, Utf8ToAnsi(m.Caption()).c_str());
        else if (what == TChange::Geometry)
            ApplyGeometry();
        else if (what == TChange::Focus && m.Focused())
            SetFocus(HandleOf(*m.Focused()));
        return;
    }
    if (&control == &m.Timer1) {
        if (what == TChange::Timer) {
            if (m.Timer1.Running())
                SetTimer(Main, ReceiveTimer, static_cast<UINT>(m.Timer1.Interval()), nullptr);
            else
                KillTimer(Main, ReceiveTimer);
        }
        return;
    }
    if (&control == &m.Memo1 || &control == &m.Memo2 || &control == &m.Splitter1 ||
        &control == &m.Panel1) {
        if (what == TChange::Visible)
            LayOut();
        return;
    }
    HWND h = HandleOf(control);
    if (h == nullptr)
        return;
    switch (what) {
    case TChange::Enabled:
        // The hardware group stays readable; its check boxes refuse input
        // on their own.
        if (&control != &m.GroupBoxHardware)
            EnableWindow(h, control.Enabled());
        break;
    case TChange::Visible:
        ShowWindow(h, control.Visible() ? SW_SHOWNA : SW_HIDE);
        break;
    case TChange::Caption:
        SetWindowTextA(h, Utf8ToAnsi(control.Caption()).c_str());
        if (control.Geometry().Width == 0)
            Mirror(control, TChange::Geometry); // a label fits its text
        break;
    case TChange::Hint:
        AddTooltip(h, control.Hint());
        break;
    case TChange::Geometry: {
        RECT r = PanelRect(control);
        if (control.Geometry().Width == 0) {
            // Labels size themselves to their text, as an auto-sized label.
            HDC dc = GetDC(h);
            HGDIOBJ old = SelectObject(dc, ControlFont);
            const std::string text = Utf8ToAnsi(control.Caption());
            SIZE size{};
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
            SelectObject(dc, old);
            ReleaseDC(h, dc);
            r.right = r.left + size.cx;
            r.bottom = r.top + size.cy;
        }
        SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    }
    case TChange::Checked: {
        bool checked = false;
        if (const auto r = Radios.find(&control); r != Radios.end())
            checked = r->second->Checked();
        else if (const auto c = CheckBoxes.find(&control); c != CheckBoxes.end())
            checked = c->second->Checked();
        else
            break;
        SendMessageA(h, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    }
    case TChange::Text: {
        const auto e = Edits.find(&control);
        if (e == Edits.end())
            break;
        const std::string text = Utf8ToAnsi(e->second->Text());
        char shown[256];
        GetWindowTextA(h, shown, sizeof shown);
        if (text != shown)
            SetWindowTextA(h, text.c_str());
        break;
    }
    case TChange::Gauge: {
        if (&control != &m.ProgressBar2)
            break;
        const TProgressBar& bar = m.ProgressBar2;
        SendMessageA(h, PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), bar.Max());
        SendMessageA(h, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
        SendMessageA(h, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(bar.BarColor()));
        break;
    }
    default:
        break;
    }
}

void TWin32Window::LayOut() {
    RECT client;
    GetClientRect(Main, &client);
    const int w = client.right, h = client.bottom;
    MoveWindow(Panel, 0, 0, Panel1Width, h, TRUE);
    const bool bitstream = Model.Memo2.Visible();
    if (bitstream) {
        Memo2Width =
            std::clamp(Memo2Width, 20, std::max(20, w - Panel1Width - Splitter1Width - 20));
        const int memo1 = std::max(0, w - Panel1Width - Splitter1Width - Memo2Width);
        MoveWindow(Memo1->Handle(), Panel1Width, 0, memo1, h, TRUE);
        MoveWindow(Splitter, Panel1Width + memo1, 0, Splitter1Width, h, TRUE);
        MoveWindow(Memo2->Handle(), Panel1Width + memo1 + Splitter1Width, 0, Memo2Width, h, TRUE);
        ShowWindow(Splitter, SW_SHOWNA);
        ShowWindow(Memo2->Handle(), SW_SHOWNA);
    } else {
        ShowWindow(Splitter, SW_HIDE);
        ShowWindow(Memo2->Handle(), SW_HIDE);
        MoveWindow(Memo1->Handle(), Panel1Width, 0, std::max(0, w - Panel1Width), h, TRUE);
    }
}

void TWin32Window::ApplyGeometry() {
    // The model's rectangle is the outer one, as the window's own is.
    const TRect& r = Model.Geometry();
    const TFlagGuard applying(Applying);
    SetWindowPos(Main, nullptr, r.Left, r.Top, r.Width, r.Height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWin32Window::TakeGeometry() {
    if (IsIconic(Main) || IsZoomed(Main))
        return;
    RECT r;
    GetWindowRect(Main, &r);
    Model.Move(r.left, r.top);
    Model.Resize(r.right - r.left, r.bottom - r.top);
}

bool TWin32Window::HandleCommand(WPARAM wParam, LPARAM lParam) {
    const auto found = Commands.find(reinterpret_cast<HWND>(lParam));
    if (found == Commands.end())
        return false;
    // Copied: the handler may lead to the control's own destruction.
    const std::function<void(int)> command = found->second;
    command(HIWORD(wParam));
    return true;
}

LRESULT CALLBACK TWin32Window::MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWin32Window* window = WindowOf(hwnd);
    if (window == nullptr)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    return window->HandleMain(msg, wParam, lParam);
}

LRESULT TWin32Window::HandleMain(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (wParam == ReceiveTimer)
            Model.Timer1.Fire();
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize.x = Model.MinWidth();
        info->ptMinTrackSize.y = Model.MinHeight();
        return 0;
    }
    case WM_SIZE:
        if (Memo1)
            LayOut();
        if (!Applying)
            TakeGeometry();
        return 0;
    case WM_MOVE:
        if (!Applying)
            TakeGeometry();
        return 0;
    case WM_COMMAND:
        if (HandleCommand(wParam, lParam))
            return 0;
        break;
    case WM_CLOSE:
        // The close box ends the program without storing anything.
        DestroyWindow(Main);
        return 0;
    case WM_DESTROY:
        KillTimer(Main, ReceiveTimer);
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(Main, msg, wParam, lParam);
}

LRESULT CALLBACK TWin32Window::PanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWin32Window* window = WindowOf(hwnd);
    if (window != nullptr && msg == WM_COMMAND && window->HandleCommand(wParam, lParam))
        return 0;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK TWin32Window::SplitterProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TWin32Window* window = WindowOf(hwnd);
    if (window == nullptr)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
    case WM_LBUTTONDOWN:
        ClientToScreen(hwnd, &p);
        SetCapture(hwnd);
        window->DraggingSplitter = true;
        window->DragStartX = p.x;
        window->DragStartWidth = window->Memo2Width;
        return 0;
    case WM_MOUSEMOVE:
        if (window->DraggingSplitter) {
            ClientToScreen(hwnd, &p);
            // Dragging to the left widens the Bitstream log.
            window->Memo2Width = window->DragStartWidth - (p.x - window->DragStartX);
            window->LayOut();
        }
        return 0;
    case WM_LBUTTONUP:
        if (window->DraggingSplitter) {
            window->DraggingSplitter = false;
            ReleaseCapture();
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wParam, lParam);
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
