// Motorola switch and locomotive records: "Schalten %s" and "Lok %s" lines.
#include "number_text.h"
#include "stream_decoder.h"

namespace reference {

void TStreamDecoder::FormatMotorolaSwitch(const int32_t* entries, int n) {
    FormatMotorolaRecord(entries, n, true);
}

void TStreamDecoder::FormatMotorolaLoco(const int32_t* entries, int n) {
    FormatMotorolaRecord(entries, n, false);
}

void TStreamDecoder::FormatMotorolaRecord(const int32_t* entries, int n, bool isSwitch) {
    bool suppress = On(TSwitch::cbx_filter);
    const int32_t lower = IntegerFromText(Host.MinText());
    const int32_t upper = IntegerFromText(Host.MaxText());
    if (n < 6 || n > 9)
        return;

    // The address is the decimal value of the leading digits of the text
    // characters; when every character is a digit, of all of them.
    const int textCount = n - 3;
    int64_t address = 0;
    for (int i = 0; i < textCount; ++i) {
        const int v = entries[i];
        if (v < '0' || v > '9')
            break;
        address = address * 10 + (v - '0');
    }

    std::string command;
    for (int i = 0; i < textCount; ++i)
        command += static_cast<char>(entries[i] & 0xFF);
    if (isSwitch)
        command += entries[n - 4] == '*' ? " EIN " : "  AUS ";

    std::string line;
    if (On(TSwitch::cbx_time)) {
        line += '[';
        line += Host.TimeText();
        line += "] ";
    }
    if (On(TSwitch::cbx_binaer)) {
        line += '<';
        for (int i = n - 1; i >= n - 3; --i) {
            char hex[3];
            char bits[5];
            ByteToHex(static_cast<uint8_t>(entries[i]), hex);
            HexDigitToBits(hex[0], bits);
            line += bits;
            HexDigitToBits(hex[1], bits);
            line += bits;
            if (i > n - 3)
                line += ' ';
        }
        line += "> ";
    }
    line += isSwitch ? "Schalten " : "Lok ";
    line += command;

    if (lower <= address && address <= upper)
        suppress = false;
    if (!line.empty() && !suppress)
        Host.AppendMonitorLine(line);
}

} // namespace reference
