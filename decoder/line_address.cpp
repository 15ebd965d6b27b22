#include "line_address.h"

namespace {

// "%5i " at from: up to five characters, blanks then digits, right-aligned
// in five columns, then ending; -1 when the text is not such a number.
int32_t PaddedNumber(std::string_view line, std::size_t from, char ending) {
    if (line.size() < from + 6 || line[from + 5] != ending)
        return -1;
    int32_t n = 0;
    bool digits = false;
    for (std::size_t i = from; i < from + 5; ++i) {
        const char c = line[i];
        if (c == ' ' && !digits)
            continue;
        if (c < '0' || c > '9')
            return -1;
        digits = true;
        n = n * 10 + (c - '0');
    }
    return digits ? n : -1;
}

} // namespace

TLineAddress AddressOfMonitorLine(std::string_view line) {
    // The prefixes hold digits, blanks, colons and bit characters only, so
    // the first "Lok " or "Schalten: " is the kind text's.
    const std::size_t loco = line.find("Lok ");
    if (loco != std::string_view::npos) {
        const int32_t n = PaddedNumber(line, loco + 4, ' ');
        return n < 0 ? TLineAddress{} : TLineAddress{TLineAddress::Loco, n};
    }
    const std::size_t accessory = line.find("Schalten: ");
    if (accessory != std::string_view::npos) {
        const int32_t n = PaddedNumber(line, accessory + 10, ' ');
        if (n >= 0 && line.substr(accessory + 16, 9) == "[Dekoder=")
            return {TLineAddress::Accessory, n};
    }
    return {};
}
