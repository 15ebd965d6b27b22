// Number reading and writing with the exact characters of the printf
// conventions the log lines use ("%5i", "%3i", "%i", "%x"), without the cost
// of a format parser on the decoder's hot path.
#pragma once

#include <cstdint>
#include <string>

namespace reference {

// Appends value in decimal, right-aligned in width columns padded with blanks
// (as "%<width>i"; width 0 is "%i").
void AppendInt(std::string& out, int64_t value, int width = 0);

// Appends value in lower-case hexadecimal without leading zeros (as "%x").
void AppendHex(std::string& out, uint32_t value);

// Reads an integer as the filter fields take it: leading spaces, an optional
// sign, then decimal digits or "$", "x", "X", "0x", "0X" and hexadecimal
// digits, and nothing after. Any other text, the empty text, or a value
// outside the 32-bit signed range gives 0.
int32_t IntegerFromText(const std::string& text);

// The same reading, telling whether the text was an integer at all, for
// callers with a default of their own (the settings file).
bool TryIntegerFromText(const std::string& text, int32_t& value);

} // namespace reference
