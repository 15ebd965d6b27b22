// Number reading and writing with the exact characters of the printf
// conventions the log lines use ("%5i", "%3i", "%i", "%x"), without the cost
// of a format parser on the decoder's hot path.
#pragma once

#include "line_buffer.h"

#include <cstdint>
#include <cstring>
#include <string>

// Appends value in decimal, right-aligned in width columns padded with blanks
// (as "%<width>i"; width 0 is "%i").
void AppendInt(std::string& out, int64_t value, int width = 0);
void AppendInt(TLineBuffer& out, int64_t value, int width = 0);
// The cursor's room must hold 48 more characters.
TLineCursor AppendAnyInt(TLineCursor out, int64_t value, int width);
// "00" to "99", two characters each.
extern const char DigitPairs[201];
inline void AppendInt(TLineCursor& out, int64_t value, int width = 0) {
    // The numbers of the log lines (0 to 99999 in at most five columns) are
    // written in place; a line has several, so this is inline. The room must
    // hold 48 more characters.
    if (value < 0 || value >= 100000 || width > 5) {
        out = AppendAnyInt(out, value, width);
        return;
    }
    auto v = static_cast<uint32_t>(value);
    const int digits = 1 + (v >= 10) + (v >= 100) + (v >= 1000) + (v >= 10000);
    const int size = digits > width ? digits : width;
    // Blanks first, as one store (the room holds eight), then the digits
    // from the right over them: no loop over the blanks.
    char* p = out.Extend(static_cast<std::size_t>(size));
    std::memcpy(p, "        ", 8);
    p += size;
    while (v >= 10) {
        const char* pair = DigitPairs + 2 * (v % 100);
        p -= 2;
        p[0] = pair[0];
        p[1] = pair[1];
        v /= 100;
    }
    if (v != 0 || digits == 1)
        *--p = static_cast<char>('0' + v);
}

// Appends value in lower-case hexadecimal without leading zeros (as "%x").
void AppendHex(std::string& out, uint32_t value);
TLineCursor AppendHex(TLineCursor out, uint32_t value);
inline void AppendHex(TLineWriter& out, uint32_t value) {
    out.MoveTo(AppendHex(out.Cursor(), value));
}

// Reads an integer as the filter fields take it: leading spaces, an optional
// sign, then decimal digits or "$", "x", "X", "0x", "0X" and hexadecimal
// digits, and nothing after. Any other text, the empty text, or a value
// outside the 32-bit signed range gives 0.
int32_t IntegerFromText(const std::string& text);

// The same reading, telling whether the text was an integer at all, for
// callers with a default of their own (the settings file).
bool TryIntegerFromText(const std::string& text, int32_t& value);
