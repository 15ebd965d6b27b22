// The window's UTF-8 texts in the system's ANSI code page, the one the
// classic controls' A functions and the clipboard's CF_TEXT take, and back.
#pragma once

#include <string>

std::string Utf8ToAnsi(const std::string& utf8);
std::string AnsiToUtf8(const std::string& ansi);
std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
