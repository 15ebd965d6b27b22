#include "number_text.h"

const char DigitPairs[201] = "00010203040506070809101112131415161718192021222324"
                             "25262728293031323334353637383940414243444546474849"
                             "50515253545556575859606162636465666768697071727374"
                             "75767778798081828384858687888990919293949596979899";

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

// The text of AppendInt, written backwards so it ends just before end, which
// has room for 48 characters before it. Returns where the text begins.
char* IntText(char* const end, int64_t value, int width) {
    char* p = end;
    if (value >= 0 && value < 100000 && width <= 5) {
        // The numbers of the log lines: two digits at a time, blanks to
        // the width.
        const char* const pairs = DigitPairs;
        uint32_t m = static_cast<uint32_t>(value);
        while (m >= 100) {
            const uint32_t pair = m % 100;
            m /= 100;
            p -= 2;
            p[0] = pairs[2 * pair];
            p[1] = pairs[2 * pair + 1];
        }
        if (m >= 10) {
            p -= 2;
            p[0] = pairs[2 * m];
            p[1] = pairs[2 * m + 1];
        } else {
            *--p = static_cast<char>('0' + m);
        }
        while (end - p < width)
            *--p = ' ';
        return p;
    }
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
    while (end - p < width && end - p < 48)
        *--p = ' ';
    return p;
}

// The digits of AppendHex, written backwards before end (room for 8).
char* HexText(char* const end, uint32_t value) {
    static const char hex[] = "0123456789abcdef";
    char* p = end;
    do {
        *--p = hex[value & 0xF];
        value >>= 4;
    } while (value != 0);
    return p;
}

} // namespace

// Line composition calls these for every number of every line, so each text
// is made in one buffer and appended in one piece.
void AppendInt(std::string& out, int64_t value, int width) {
    char text[48];
    char* const end = text + sizeof text;
    const char* p = IntText(end, value, width);
    out.append(p, static_cast<std::size_t>(end - p));
}

TLineCursor AppendAnyInt(TLineCursor out, int64_t value, int width) {
    char text[48];
    char* const end = text + sizeof text;
    const char* p = IntText(end, value, width);
    out.Append(p, static_cast<std::size_t>(end - p));
    return out;
}

void AppendInt(TLineBuffer& out, int64_t value, int width) {
    TLineWriter writer(out, 48);
    AppendInt(writer, value, width);
    writer.Finish();
}

void AppendHex(std::string& out, uint32_t value) {
    char text[8];
    const char* p = HexText(text + sizeof text, value);
    out.append(p, static_cast<std::size_t>(text + sizeof text - p));
}

TLineCursor AppendHex(TLineCursor out, uint32_t value) {
    char text[8];
    const char* p = HexText(text + sizeof text, value);
    out.Append(p, static_cast<std::size_t>(text + sizeof text - p));
    return out;
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
