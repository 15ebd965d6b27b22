// The Win32 front end in a real window (under wine, in an X server of its
// own): what only the toolkit shows, measured on the native controls. The
// model's side of the same window is tested without a toolkit
// (tests/app/mirror_test.cpp).
#include "main_window.h"
#include "win32_platform.h"
#include "win32_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace {

struct Win32WindowTest : ::testing::Test {
    Win32WindowTest() {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        Model = std::make_unique<TfrmMain>(Platform);
        Window = std::make_unique<TWin32Window>(*Model, Model->Controls(), Platform,
                                                GetModuleHandleA(nullptr));
        Window->Show(SW_SHOWNORMAL);
        Pump(500);
    }
    ~Win32WindowTest() override {
        Window.reset();
        Pump(50);
    }

    // Runs the message loop as WinMain does, for the time given.
    void Pump(DWORD ms) const {
        const DWORD end = GetTickCount() + ms;
        do {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT || IsDialogMessageA(Window->Handle(), &msg))
                    continue;
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
            Sleep(10);
        } while (GetTickCount() < end);
    }

    HWND Native(const TControl& c) const { return Window->HandleOf(c); }

    // A control's rectangle in the panel that holds it.
    RECT InPanel(const TControl& c) const {
        RECT r;
        GetWindowRect(Native(c), &r);
        MapWindowPoints(nullptr, Native(Model->Panel1), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // The width of a text in the font a control draws it with.
    int TextWidth(const TControl& c, const std::string& text) const {
        HDC dc = GetDC(Native(c));
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(Native(c), WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(dc, old);
        ReleaseDC(Native(c), dc);
        return size.cx;
    }

    // What the system does when the user drags the window onto a screen of
    // another resolution: the window's new rectangle, scaled about its
    // top-left corner.
    void MoveToScreenOf(int dpi, int fromDpi) const {
        RECT r;
        GetWindowRect(Window->Handle(), &r);
        RECT suggested{r.left, r.top, r.left + MulDiv(r.right - r.left, dpi, fromDpi),
                       r.top + MulDiv(r.bottom - r.top, dpi, fromDpi)};
        SendMessageA(Window->Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        Pump(200);
    }

    // The controls the mirror places at fixed rectangles (the panel's
    // children, labels sized to their text apart).
    std::vector<const TControl*> Placed() const {
        std::vector<const TControl*> placed;
        for (const TControl* c : Model->Controls()) {
            const bool labelFitted = c->Kind() == TControlKind::Label && c->Geometry().Width == 0;
            if (Native(*c) != nullptr && c->Parent() != Model.get() && !labelFitted)
                placed.push_back(c);
        }
        return placed;
    }

    TWin32Platform Platform;
    std::unique_ptr<TfrmMain> Model;
    std::unique_ptr<TWin32Window> Window;
};

int Dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

TEST_F(Win32WindowTest, AMoveToAScreenOfAnotherResolutionScalesEveryControl) {
    const int dpi = Dpi();
    std::map<const TControl*, RECT> before;
    for (const TControl* c : Placed())
        before[c] = InPanel(*c);
    const int checkWidth = TextWidth(Model->btnCheck, "COM Suche");
    const int rowHeight = Model->Memo1.Lines.Metrics().RowHeight;
    RECT client;
    GetClientRect(Window->Handle(), &client);

    MoveToScreenOf(dpi * 3 / 2, dpi);
    for (const auto& [c, r] : before) {
        const RECT now = InPanel(*c);
        EXPECT_EQ(now.left, MulDiv(r.left, 3, 2)) << c->Name();
        EXPECT_EQ(now.top, MulDiv(r.top, 3, 2)) << c->Name();
        EXPECT_NEAR(now.right - now.left, (r.right - r.left) * 3 / 2, 1) << c->Name();
        EXPECT_NEAR(now.bottom - now.top, (r.bottom - r.top) * 3 / 2, 1) << c->Name();
    }
    // The fonts, the picture and the log's rows grow with the controls.
    EXPECT_NEAR(TextWidth(Model->btnCheck, "COM Suche"), checkWidth * 3 / 2, checkWidth / 10);
    EXPECT_NEAR(Model->Memo1.Lines.Metrics().RowHeight, rowHeight * 3 / 2, 1);
    BITMAP picture{};
    GetObjectA(reinterpret_cast<HBITMAP>(
                   SendMessageA(Native(Model->Image1), STM_GETIMAGE, IMAGE_BITMAP, 0)),
               sizeof picture, &picture);
    const RECT image = InPanel(Model->Image1);
    EXPECT_EQ(picture.bmWidth, image.right - image.left);
    EXPECT_EQ(picture.bmHeight, image.bottom - image.top);
    // Each port choice's caption fits beside its button.
    for (const TRadioButton* choice : Model->PortGroup) {
        RECT r;
        GetClientRect(Native(*choice), &r);
        EXPECT_LE(TextWidth(*choice, choice->Caption()) + MulDiv(16, dpi * 3 / 2, 96), r.right)
            << choice->Name();
    }
    // The window keeps its size in units of 96 dots per inch.
    RECT larger;
    GetClientRect(Window->Handle(), &larger);
    EXPECT_NEAR(larger.right, client.right * 3 / 2, 4);
    EXPECT_EQ(Model->Geometry().Width, 1000);

    MoveToScreenOf(dpi, dpi * 3 / 2);
    for (const auto& [c, r] : before) {
        const RECT now = InPanel(*c);
        EXPECT_TRUE(EqualRect(&now, &r)) << c->Name();
    }
    EXPECT_EQ(TextWidth(Model->btnCheck, "COM Suche"), checkWidth);
}

// A disabled window gets no mouse messages, so its own tool never shows:
// the port choices greyed by "COM Suche" tell why all the same.
TEST_F(Win32WindowTest, AGreyedPortChoiceShowsItsTooltip) {
    Model->rad_com2.SetEnabled(false);
    ASSERT_FALSE(IsWindowEnabled(Native(Model->rad_com2)));
    HWND tooltips = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM found) {
            char name[64];
            GetClassNameA(h, name, sizeof name);
            if (std::string(name) == TOOLTIPS_CLASSA)
                *reinterpret_cast<HWND*>(found) = h;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&tooltips));
    ASSERT_NE(tooltips, nullptr);

    for (const TRadioButton* choice : {&Model->rad_com3, &Model->rad_com2}) {
        RECT r;
        GetWindowRect(Native(*choice), &r);
        SetCursorPos(r.left + 30, r.top + 5);
        Pump(100);
        SetCursorPos(r.left + 31, r.top + 6);
        Pump(1500);
        EXPECT_TRUE(IsWindowVisible(tooltips)) << choice->Name();
        char text[80] = {};
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.lpszText = text;
        SendMessageA(tooltips, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
        EXPECT_EQ(std::string(text), choice->Hint()) << choice->Name();
        SetCursorPos(0, 0);
        Pump(300);
    }
}

// The colour of a pixel of a control's window, frame included.
COLORREF PixelOf(HWND h, int x, int y) {
    HDC dc = GetWindowDC(h);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(h, dc);
    return c;
}

// The input-queue gauge is seen while it is empty: it has the sunken frame
// of the text fields.
TEST_F(Win32WindowTest, TheEmptyGaugeHasTheFrameOfTheTextFields) {
    ASSERT_EQ(Model->ProgressBar2.Position(), 0);
    for (int edge = 0; edge < 2; ++edge) {
        EXPECT_EQ(PixelOf(Native(Model->ProgressBar2), 20, edge),
                  PixelOf(Native(Model->edt_min), 20, edge))
            << "top edge, row " << edge;
        EXPECT_EQ(PixelOf(Native(Model->ProgressBar2), edge, 8),
                  PixelOf(Native(Model->edt_min), edge, 8))
            << "left edge, column " << edge;
    }
    EXPECT_NE(PixelOf(Native(Model->ProgressBar2), 20, 1), GetSysColor(COLOR_BTNFACE));
}

} // namespace

// Another program holding the clipboard open (here: a window of another
// thread) makes a copy fail, and the failure is reported instead of taken for
// done; once it lets go, the text arrives with Windows' line ends.
TEST(Win32Clipboard, AClipboardHeldElsewhereTakesNothingAndSaysSo) {
    // The clipboard belongs to a window; without one, Windows takes no data.
    const auto window = [] {
        return CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                               nullptr);
    };
    struct THolder {
        HANDLE Opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE Release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HWND (*Window)() = nullptr;
        bool Open = false;
    } holder;
    holder.Window = window;
    const auto hold = [](void* arg) -> DWORD {
        auto* h = static_cast<THolder*>(arg);
        HWND own = h->Window();
        h->Open = OpenClipboard(own);
        SetEvent(h->Opened);
        WaitForSingleObject(h->Release, INFINITE);
        if (h->Open)
            CloseClipboard();
        DestroyWindow(own);
        return 0;
    };
    HWND own = window();
    ASSERT_TRUE(PutTextOnClipboard(own, "vorher"));
    HANDLE thread = CreateThread(nullptr, 0, hold, &holder, 0, nullptr);
    WaitForSingleObject(holder.Opened, INFINITE);
    ASSERT_TRUE(holder.Open);
    EXPECT_FALSE(PutTextOnClipboard(own, "Lok 3\nIdle"));
    SetEvent(holder.Release);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(TextFromClipboard(own), "vorher");
    EXPECT_TRUE(PutTextOnClipboard(own, "Lok 3\nIdle"));
    ASSERT_TRUE(OpenClipboard(own));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(data));
    const std::wstring text = wide != nullptr ? wide : L"";
    GlobalUnlock(data);
    CloseClipboard();
    EXPECT_EQ(text, L"Lok 3\r\nIdle");
    DestroyWindow(own);
    CloseHandle(holder.Opened);
    CloseHandle(holder.Release);
}
