// The DCC bit assembler: rebuilds packets from the track's bit characters and
// writes the Bitstream log line and the gap line at every packet start.
#include "stream_decoder.h"

#include <climits>

namespace {

// Appends one character unless the text has reached its bound.
inline void AppendBounded(std::string& text, char c) {
    if (text.size() < TStreamDecoder::MaxTextLength)
        text.push_back(c);
}

inline void Increment(int32_t& counter) {
    // Only "more than eight" matters for the run of ones and the byte count
    // only grows within one packet; saturating keeps a day of one bit value
    // from overflowing.
    if (counter < INT32_MAX)
        ++counter;
}

} // namespace

void TStreamDecoder::AssembleBits(const char* bits, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        AssembleBit(bits[i]);
}

void TStreamDecoder::AssembleBit(char c) {
    if (c == '1') {
        Increment(OnesCount);
    } else if (c == '0') {
        if (OnesCount > 8) {
            ShowBitstreamLine(BitstreamText);
            BitstreamText.clear();
            ShowGarbage(GapText);
            GapText.clear();
            InPacket = true;
            BitIndex = -1;
            PacketText.assign(1, '<');
            ByteCount = 0;
        }
        OnesCount = 0;
    }

    AppendBounded(BitstreamText, c);

    if (BitIndex == 8 && InPacket) {
        BitIndex = 0;
        Increment(ByteCount);
        if (c == '1') {
            AppendBounded(PacketText, '>');
            InPacket = false;
            PacketComplete = true;
        } else if (c == '0') {
            AppendBounded(PacketText, ' ');
        }
    } else if (InPacket) {
        if (BitIndex >= 0)
            AppendBounded(PacketText, c);
        ++BitIndex;
    } else {
        AppendBounded(GapText, c);
    }

    if (PacketComplete) {
        DecodePacket(PacketText, ByteCount);
        PacketComplete = false;
    }
}

void TStreamDecoder::ShowBitstreamLine(const std::string& text) {
    if (On(TSwitch::cbx_bitstream) && !text.empty())
        Host.AppendBitstreamLine(text);
}

void TStreamDecoder::ShowGarbage(const std::string& text) {
    if (!On(TSwitch::cbx_schrott) || text.empty())
        return;
    const bool onlyOnes = text.find('0') == std::string::npos;
    Host.AppendMonitorLine((onlyOnes ? "Pr\xE4"
                                       "ambel: "
                                     : "Schrott: ") +
                           text);
}
