// What the console tools write where: a Windows console shows the
// characters of their UTF-8 text, a file or a pipe gets the bytes as they
// are (the same bytes as on Linux).
#include "console.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace {

// "Rückw." as the tools write it.
const std::string Line = "Lok 3 R\xC3\xBC"
                         "ckw.\n";

TEST(ConsoleText, ToAPipeTheBytesAreWrittenAsTheyAre) {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_WRONLY | _O_BINARY);
    ASSERT_GE(fd, 0);
    std::FILE* stream = _fdopen(fd, "wb");
    ASSERT_NE(stream, nullptr);
    EXPECT_FALSE(IsTerminal(stream));
    EXPECT_EQ(WriteText(fd, Line.data(), Line.size()), static_cast<long>(Line.size()));
    std::fclose(stream);
    char got[64];
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(readEnd, got, sizeof got, &n, nullptr));
    CloseHandle(readEnd);
    EXPECT_EQ(std::string(got, n), Line);
}

TEST(ConsoleText, NulIsNoTerminal) {
    // The C runtime's isatty takes the NUL device for one.
    std::FILE* nul = std::fopen("NUL", "wb");
    ASSERT_NE(nul, nullptr);
    EXPECT_FALSE(IsTerminal(nul));
    std::fclose(nul);
}

// A screen buffer of the console the test runs in, not the one shown, so
// the test leaves the terminal alone. Wine gives a program a console when
// its input is a terminal; scripts/test-windows.sh runs this test under
// script(1) for one.
HANDLE HiddenScreen() {
    return CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CONSOLE_TEXTMODE_BUFFER, nullptr);
}

// What the tool writes must stand in the console as the characters, not as
// the code page's reading of the bytes ("R├╝ckw." in cmd).
TEST(ConsoleText, ToAConsoleTheCharactersAreShown) {
    const HANDLE screen = HiddenScreen();
    if (screen == INVALID_HANDLE_VALUE)
        GTEST_SKIP() << "no console here (a terminal as standard input gives wine one)";
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(screen), _O_WRONLY | _O_BINARY);
    ASSERT_GE(fd, 0);
    std::FILE* stream = _fdopen(fd, "wb");
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(IsTerminal(stream));

    CONSOLE_SCREEN_BUFFER_INFO before{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &before));
    EXPECT_EQ(WriteText(fd, Line.data(), Line.size()), static_cast<long>(Line.size()));
    wchar_t shown[16] = {};
    DWORD n = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, shown, 12, before.dwCursorPosition, &n));
    EXPECT_EQ(std::wstring(shown, n), L"Lok 3 R\u00FCckw.");
    CONSOLE_SCREEN_BUFFER_INFO after{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &after));
    EXPECT_EQ(after.dwCursorPosition.X, 0) << "the line end starts a new line";
    EXPECT_EQ(after.dwCursorPosition.Y, before.dwCursorPosition.Y + 1);
    std::fclose(stream);
}

} // namespace
