// The command texts of locomotive and accessory packets. Every fragment ends
// in a blank so the fragments line up when appended.
#include "number_text.h"
#include "stream_decoder.h"

namespace reference {

namespace {

// Appends "F<first+k> " for every set bit k of D, lowest bit first.
void AppendFunctionsFromByte(std::string& text, int D, int first) {
    text += "F-Befehl: ";
    for (int k = 0; k < 8; ++k) {
        if (D & (1 << k)) {
            text += 'F';
            AppendInt(text, first + k);
            text += ' ';
        }
    }
}

void AppendSpeedStep(std::string& text, int step) {
    text += "Speed ";
    AppendInt(text, step, 3);
    text += ' ';
}

} // namespace

void TStreamDecoder::AppendFunctionGroup(std::string& text, int I) const {
    text += "F-Befehl: ";
    struct TLabel {
        int Bit;
        const char* Text;
    };
    static const TLabel f0to4[] = {{4, "F "}, {0, "F1 "}, {1, "F2 "}, {2, "F3 "}, {3, "F4 "}};
    static const TLabel f5to8[] = {{0, "F5 "}, {1, "F6 "}, {2, "F7 "}, {3, "F8 "}};
    static const TLabel f9to12[] = {{0, "F9 "}, {1, "F10 "}, {2, "F11 "}, {3, "F12 "}};
    const TLabel* labels = f0to4;
    int count = 5;
    if (I & 0x20) {
        labels = (I & 0x10) ? f5to8 : f9to12;
        count = 4;
    }
    for (int i = 0; i < count; ++i) {
        if (I & (1 << labels[i].Bit))
            text += labels[i].Text;
    }
}

void TStreamDecoder::AppendFunctions13to20(std::string& text, int D) const {
    AppendFunctionsFromByte(text, D, 13);
}

void TStreamDecoder::AppendFunctions21to28(std::string& text, int D) const {
    AppendFunctionsFromByte(text, D, 21);
}

void TStreamDecoder::AppendSpeed28(std::string& text, int I) const {
    text += (I & 0x20) ? "(28 Step) Vorw.  "
                       : "(28 Step) R\xFC"
                         "ckw. ";
    const int s = 2 * (I & 0x0F) + ((I >> 4) & 1);
    switch (s) {
    case 0:
        text += "Halt   0 ";
        break;
    case 1:
        text += "Stop (I) ";
        break;
    case 2:
        text += "E-Stop ";
        break;
    case 3:
        text += "E-Stop (I) ";
        break;
    default:
        AppendSpeedStep(text, s - 3);
        break;
    }
}

void TStreamDecoder::AppendSpeed128(std::string& text, int D) const {
    text += (D & 0x80) ? "(128 Step) Vorw.  "
                       : "(128 Step) R\xFC"
                         "ckw. ";
    const int v = D & 0x7F;
    if (v == 0)
        text += "Halt   0 ";
    else if (v >= 2)
        AppendSpeedStep(text, v - 1);
}

std::string TStreamDecoder::FormatAccessory(int b0, int b1, int32_t upper, int32_t lower) const {
    std::string text = "Schalten: ";
    const int d = b0 & 0x3F;
    const int p = (b1 & 0x06) >> 1;
    int N = 4 * d + p + 1;
    if (!(b1 & 0x10))
        N += 256;
    if (!(b1 & 0x20))
        N += 512;
    if (!(b1 & 0x40))
        N += 1024;
    const int switchNumber = N - 4;

    AppendInt(text, switchNumber, 5);
    text += " [Dekoder=";
    AppendInt(text, d);
    text += " Ausgang=";
    AppendInt(text, p + 1);
    text += "] ";
    text += (b1 & 0x01) ? "G " : "R ";
    if (b1 & 0x08) {
        text += "Ein ";
    } else {
        if (On(TSwitch::cbx_nur_ON))
            return std::string();
        text += "Aus ";
    }
    if (On(TSwitch::cbx_filter) && !(lower <= switchNumber && switchNumber <= upper))
        return std::string();
    return text;
}

// The formatters as text results; the classifier appends straight into its
// line instead.
std::string TStreamDecoder::FormatFunctionGroup(int I) const {
    std::string text;
    AppendFunctionGroup(text, I);
    return text;
}

std::string TStreamDecoder::FormatFunctions13to20(int D) const {
    std::string text;
    AppendFunctions13to20(text, D);
    return text;
}

std::string TStreamDecoder::FormatFunctions21to28(int D) const {
    std::string text;
    AppendFunctions21to28(text, D);
    return text;
}

std::string TStreamDecoder::FormatSpeed28(int I) const {
    std::string text;
    AppendSpeed28(text, I);
    return text;
}

std::string TStreamDecoder::FormatSpeed128(int D) const {
    std::string text;
    AppendSpeed128(text, D);
    return text;
}

} // namespace reference
