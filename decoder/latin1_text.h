// Conversions between the decoder's single-byte text (every byte the Latin-1
// letter of its value) and UTF-8, the window's and the files' text.
#pragma once

#include <string>
#include <string_view>

std::string Latin1ToUtf8(std::string_view latin1);
// Letters outside Latin-1, and bytes that are no valid UTF-8, become '?'.
std::string Utf8ToLatin1(std::string_view utf8);
