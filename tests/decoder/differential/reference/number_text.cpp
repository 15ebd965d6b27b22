#include "number_text.h"

namespace reference {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

void AppendInt(std::string& out, int64_t value, int width) {
    // Written backwards from the buffer's end: digits, sign, then blanks, so
    // the text is appended in one piece. Line composition calls this for
    // every number of every line.
    char text[48];
    char* const end = text + sizeof text;
    char* p = end;
    // Work on the magnitude as unsigned so INT64_MIN needs no special case;
    // the usual small numbers take the cheaper 32-bit division.
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    if (magnitude <= UINT32_MAX) {
        uint32_t m = static_cast<uint32_t>(magnitude);
        do {
            *--p = static_cast<char>('0' + m % 10);
            m /= 10;
        } while (m != 0);
    } else {
        do {
            *--p = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
    }
    if (value < 0)
        *--p = '-';
    while (end - p < width && p > text)
        *--p = ' ';
    out.append(p, static_cast<std::size_t>(end - p));
}

void AppendHex(std::string& out, uint32_t value) {
    static const char hex[] = "0123456789abcdef";
    char digits[8];
    int len = 0;
    do {
        digits[len++] = hex[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (len > 0)
        out.push_back(digits[--len]);
}

int32_t IntegerFromText(const std::string& text) {
    int32_t value = 0;
    return TryIntegerFromText(text, value) ? value : 0;
}

bool TryIntegerFromText(const std::string& text, int32_t& value) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i < n && (text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == n)
        return false; // no digits at all
    // The magnitude may reach 2^31 only for a negative number.
    const int64_t limit = negative ? int64_t{1} << 31 : (int64_t{1} << 31) - 1;
    int64_t magnitude = 0;
    for (; i < n; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0 || digit >= base)
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return false;
    }
    value = static_cast<int32_t>(negative ? -magnitude : magnitude);
    return true;
}

} // namespace reference
