// The DCC bit assembler: rebuilds packets from the track's bit characters and
// writes the Bitstream log line and the gap line at every packet start.
#include "stream_decoder.h"

#include <algorithm>
#include <climits>

namespace reference {

namespace {

// Appends unless the text has reached its bound; what does not fit is lost.
inline void AppendBounded(std::string& text, char c) {
    if (text.size() < TStreamDecoder::MaxTextLength)
        text.push_back(c);
}

inline void AppendBounded(std::string& text, const char* chars, std::size_t count) {
    const std::size_t used = std::min(text.size(), TStreamDecoder::MaxTextLength);
    text.append(chars, std::min(count, TStreamDecoder::MaxTextLength - used));
}

inline void Increment(int32_t& counter) {
    // Only "more than eight" matters for the run of ones, and the byte count
    // only grows within one packet; saturating keeps days of one bit value
    // from overflowing.
    if (counter < INT32_MAX)
        ++counter;
}

} // namespace

void TStreamDecoder::AssembleBit(char c) {
    AssembleBits(&c, 1);
}

void TStreamDecoder::AssembleBits(const char* bits, std::size_t count) {
    // Every bit character goes to BitstreamText. This loop sees every bit of
    // the track, so they are appended in runs (up to a packet start or end)
    // rather than one by one.
    std::size_t runStart = 0;
    std::size_t i = 0;
    while (i < count) {
        // Two shortcuts for the common stretches; each does exactly what the
        // single-bit step below would do for the same characters.
        if (InPacket && BitIndex >= 0 && BitIndex < 8) {
            // Data bits of a byte: they only go to PacketText and the run of
            // ones. With at most nine ones before any '0' here, none of them
            // can start a packet.
            const std::size_t len = std::min<std::size_t>(8 - BitIndex, count - i);
            if (OnesCount + static_cast<int32_t>(len) - 1 <= 8) {
                AppendBounded(PacketText, bits + i, len);
                // Data bits are random, so the run of ones is counted without
                // branches: '1' adds one, '0' starts over, anything else keeps it.
                int32_t ones = OnesCount;
                for (std::size_t k = 0; k < len; ++k) {
                    const int32_t isOne = bits[i + k] == '1';
                    const int32_t isZero = bits[i + k] == '0';
                    ones = isOne * (ones + 1) + (1 - isOne - isZero) * ones;
                }
                OnesCount = ones;
                BitIndex += static_cast<int32_t>(len);
                i += len;
                continue;
            }
        } else if (!InPacket && bits[i] == '1') {
            // Ones between packets: preamble, gap text, nothing else.
            std::size_t len = 1;
            while (i + len < count && bits[i + len] == '1')
                ++len;
            AppendBounded(GapText, bits + i, len);
            OnesCount = static_cast<int32_t>(std::min<int64_t>(
                INT32_MAX, static_cast<int64_t>(OnesCount) + static_cast<int64_t>(len)));
            i += len;
            continue;
        }

        const char c = bits[i];
        if (c == '1') {
            Increment(OnesCount);
        } else if (c == '0') {
            if (OnesCount > 8) {
                AppendBounded(BitstreamText, bits + runStart, i - runStart);
                runStart = i; // the start bit opens the next line
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

        if (BitIndex == 8 && InPacket) {
            // Separator or end bit.
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
            // The start bit meets BitIndex -1 and is skipped.
            if (BitIndex >= 0)
                AppendBounded(PacketText, c);
            ++BitIndex;
        } else {
            AppendBounded(GapText, c);
        }

        if (PacketComplete) {
            AppendBounded(BitstreamText, bits + runStart, i + 1 - runStart);
            runStart = i + 1;
            DecodePacket(PacketText, ByteCount);
            PacketComplete = false;
        }
        ++i;
    }
    AppendBounded(BitstreamText, bits + runStart, count - runStart);
}

void TStreamDecoder::ShowBitstreamLine(const std::string& text) {
    if (On(TSwitch::cbx_bitstream) && !text.empty())
        Host.AppendBitstreamLine(text);
}

void TStreamDecoder::ShowGarbage(const std::string& text) {
    if (!On(TSwitch::cbx_schrott) || text.empty())
        return;
    const bool onlyOnes = text.find('0') == std::string::npos;
    Line.assign(onlyOnes ? "Pr\xE4"
                           "ambel: "
                         : "Schrott: ");
    Line += text;
    Host.AppendMonitorLine(Line);
}

} // namespace reference
