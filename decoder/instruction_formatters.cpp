// The command texts of locomotive and accessory packets. Every fragment ends
// in a blank so the fragments line up when appended.
#include "number_text.h"
#include "stream_decoder.h"

namespace {

// Room for any formatter's text, numbers included.
constexpr std::size_t FormatterRoom = 128;

// Appends "F<first+k> " for every set bit k of D, lowest bit first.
TLineCursor AppendFunctionsFromByte(TLineCursor text, int D, int first) {
    text.Append("F-Befehl: ");
    for (int k = 0; k < 8; ++k) {
        // "F13 " to "F28 ": always two digits. Stored whatever the bit, kept
        // where it is set.
        const int f = first + k;
        const char label[4] = {'F', static_cast<char>('0' + f / 10),
                               static_cast<char>('0' + f % 10), ' '};
        text.AppendFirst(label, ((static_cast<unsigned>(D) >> k) & 1u) * sizeof label);
    }
    return text;
}

TLineCursor AppendSpeedStep(TLineCursor text, int step) {
    text.Append("Speed ");
    AppendInt(text, step, 3);
    text.Append(' ');
    return text;
}

} // namespace

TLineCursor TStreamDecoder::AppendFunctionGroup(TLineCursor text, int I) const {
    text.Append("F-Befehl: ");
    struct TLabel {
        int Bit;
        char Text[8];
        std::size_t Size;
    };
    static const TLabel f0to4[] = {
        {4, "F ", 2}, {0, "F1 ", 3}, {1, "F2 ", 3}, {2, "F3 ", 3}, {3, "F4 ", 3}};
    static const TLabel f5to8[] = {{0, "F5 ", 3}, {1, "F6 ", 3}, {2, "F7 ", 3}, {3, "F8 ", 3}};
    static const TLabel f9to12[] = {{0, "F9 ", 3}, {1, "F10 ", 4}, {2, "F11 ", 4}, {3, "F12 ", 4}};
    const TLabel* labels = f0to4;
    int count = 5;
    if (I & 0x20) {
        labels = (I & 0x10) ? f5to8 : f9to12;
        count = 4;
    }
    for (int i = 0; i < count; ++i) {
        const unsigned set = (static_cast<unsigned>(I) >> labels[i].Bit) & 1u;
        text.AppendFirst(labels[i].Text, set * labels[i].Size);
    }
    return text;
}

TLineCursor TStreamDecoder::AppendFunctions13to20(TLineCursor text, int D) const {
    return AppendFunctionsFromByte(text, D, 13);
}

TLineCursor TStreamDecoder::AppendFunctions21to28(TLineCursor text, int D) const {
    return AppendFunctionsFromByte(text, D, 21);
}

TLineCursor TStreamDecoder::AppendSpeed28(TLineCursor text, int I) const {
    text.AppendEither(I & 0x20, "(28 Step) Vorw.  ",
                      "(28 Step) R\xFC"
                      "ckw. ");
    const int s = 2 * (I & 0x0F) + ((I >> 4) & 1);
    switch (s) {
    case 0:
        text.Append("Halt   0 ");
        break;
    case 1:
        text.Append("Stop (I) ");
        break;
    case 2:
        text.Append("E-Stop ");
        break;
    case 3:
        text.Append("E-Stop (I) ");
        break;
    default:
        text = AppendSpeedStep(text, s - 3);
        break;
    }
    return text;
}

TLineCursor TStreamDecoder::AppendSpeed128(TLineCursor text, int D) const {
    text.AppendEither(D & 0x80, "(128 Step) Vorw.  ",
                      "(128 Step) R\xFC"
                      "ckw. ");
    const int v = D & 0x7F;
    if (v == 0)
        text.Append("Halt   0 ");
    else if (v >= 2)
        text = AppendSpeedStep(text, v - 1);
    return text;
}

TLineCursor TStreamDecoder::AppendAccessory(TLineCursor text, int b0, int b1, int32_t upper,
                                            int32_t lower) const {
    const TLineCursor start = text;
    text.Append("Schalten: ");
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
    text.Append(" [Dekoder=");
    AppendInt(text, d);
    text.Append(" Ausgang=");
    AppendInt(text, p + 1);
    text.Append("] ");
    text.AppendEither(b1 & 0x01, "G ", "R ");
    bool shown = true;
    if (b1 & 0x08) {
        text.Append("Ein ");
    } else if (On(TSwitch::cbx_nur_ON)) {
        shown = false;
    } else {
        text.Append("Aus ");
    }
    if (shown && On(TSwitch::cbx_filter) && !(lower <= switchNumber && switchNumber <= upper))
        shown = false;
    return shown ? text : start;
}

// The formatters as text results; the classifier appends straight into its
// line instead.
std::string TStreamDecoder::FormatAccessory(int b0, int b1, int32_t upper, int32_t lower) const {
    TLineBuffer text;
    TLineWriter writer(text, FormatterRoom);
    writer.MoveTo(AppendAccessory(writer.Cursor(), b0, b1, upper, lower));
    writer.Finish();
    return text.Text();
}

std::string TStreamDecoder::FormatFunctionGroup(int I) const {
    TLineBuffer text;
    TLineWriter writer(text, FormatterRoom);
    writer.MoveTo(AppendFunctionGroup(writer.Cursor(), I));
    writer.Finish();
    return text.Text();
}

std::string TStreamDecoder::FormatFunctions13to20(int D) const {
    TLineBuffer text;
    TLineWriter writer(text, FormatterRoom);
    writer.MoveTo(AppendFunctions13to20(writer.Cursor(), D));
    writer.Finish();
    return text.Text();
}

std::string TStreamDecoder::FormatFunctions21to28(int D) const {
    TLineBuffer text;
    TLineWriter writer(text, FormatterRoom);
    writer.MoveTo(AppendFunctions21to28(writer.Cursor(), D));
    writer.Finish();
    return text.Text();
}

std::string TStreamDecoder::FormatSpeed28(int I) const {
    TLineBuffer text;
    TLineWriter writer(text, FormatterRoom);
    writer.MoveTo(AppendSpeed28(writer.Cursor(), I));
    writer.Finish();
    return text.Text();
}

std::string TStreamDecoder::FormatSpeed128(int D) const {
    TLineBuffer text;
    TLineWriter writer(text, FormatterRoom);
    writer.MoveTo(AppendSpeed128(writer.Cursor(), D));
    writer.Finish();
    return text.Text();
}
