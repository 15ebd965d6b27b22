// The DCC bit assembler: rebuilds packets from the track's bit characters and
// writes the Bitstream log line and the gap line at every packet start.
#include "stream_decoder.h"

#include <algorithm>
#include <climits>
#include <cstring>

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

// A byte's eight bit characters are moved as one 64-bit word, the first
// character in the word's lowest byte.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "bit characters as words");

inline int32_t SaturatedSum(int32_t counter, int32_t n) {
    return counter > INT32_MAX - n ? INT32_MAX : counter + n;
}

} // namespace

void TStreamDecoder::AssembleBit(char c) {
    AssembleBits(&c, 1);
}

void TStreamDecoder::StartPacket() {
    // The ones since the last packet's end bit, for the observer.
    PreambleOnes = std::min(OnesCount, static_cast<int32_t>(GapText.size()));
    ShowBitstreamLine(BitstreamText);
    BitstreamText.clear();
    ShowGarbage(GapText);
    GapText.clear();
    InPacket = true;
    BitIndex = -1;
    PacketText.clear();
    PacketText.push_back('<');
    ByteCount = 0;
}

void TStreamDecoder::CompletePacket(std::size_t bitsAfter) {
    DecodePacket(PacketText, ByteCount);
    if (PacketObserver)
        NotifyPacketObserver(bitsAfter);
    PacketComplete = false;
}

void TStreamDecoder::AssembleBytes(const uint8_t* bytes, std::size_t count) {
    // The track's bits, taken a byte at a time: most bytes hold neither a
    // packet start nor an end bit, so their bits only extend the texts and
    // move the counters. A byte with a start or an end is taken in pieces:
    // the bits up to the event, the event, the rest. Each text's new
    // characters are gathered here and appended in one piece before a
    // packet starts or completes and at the end; the texts come out as if
    // appended bit by bit, bound included.
    //
    // The assembler's states as AssembleBit leaves them are handled here;
    // any other (fields set by hand) goes bit by bit through AssembleBits.
    constexpr std::size_t Room = 512;
    // Pieces of a byte are stored as whole words of eight characters, so
    // each buffer has a word to spare beyond its room.
    char stream[Room + 8];
    char gap[Room + 8];
    char packet[Room + 8];
    // Every bit goes to stream and at most one of gap and packet, so stream
    // fills first.
    std::size_t streamUsed = 0, gapUsed = 0, packetUsed = 0;
    auto appendGathered = [&] {
        if (streamUsed > 0)
            AppendBounded(BitstreamText, stream, streamUsed);
        if (gapUsed > 0)
            AppendBounded(GapText, gap, gapUsed);
        if (packetUsed > 0)
            AppendBounded(PacketText, packet, packetUsed);
        streamUsed = gapUsed = packetUsed = 0;
    };
    // Appends the n bit characters from position at of a byte whose eight
    // characters are the word w (first character in the lowest byte).
    auto putPiece = [](char* to, std::size_t& used, uint64_t w, int at, int n) {
        const uint64_t piece = w >> (8 * at);
        std::memcpy(to + used, &piece, 8);
        used += static_cast<std::size_t>(n);
    };

    for (std::size_t k = 0; k < count; ++k) {
        if (streamUsed > Room - 8)
            appendGathered();
        const unsigned v = bytes[k];
        const char* bits = ByteBits[v];
        uint64_t word;
        std::memcpy(&word, bits, 8);

        // The whole byte at once when nothing happens in it. A packet can
        // start only at the byte's first '0': after it, no run of more than
        // seven ones fits in the byte.
        const bool hasZero = v != 0xFF;
        const int32_t leadingOnes = hasZero ? __builtin_clz(~v & 0xFFu) - 24 : 8;
        const bool startsNothing = !(hasZero && OnesCount > 8 - leadingOnes) && !PacketComplete;
        // Inside a packet: the data bits still missing from the current
        // byte; the separator (or end) bit follows them, if in this byte.
        const int32_t separatorAt = 8 - BitIndex;
        if (startsNothing && !InPacket) {
            putPiece(stream, streamUsed, word, 0, 8);
            putPiece(gap, gapUsed, word, 0, 8);
            OnesCount = hasZero ? __builtin_ctz(~v) : SaturatedSum(OnesCount, 8);
            continue;
        }
        if (startsNothing && BitIndex >= 0 && BitIndex <= 8 &&
            (separatorAt == 8 || bits[separatorAt] == '0')) {
            putPiece(stream, streamUsed, word, 0, 8);
            putPiece(packet, packetUsed, word, 0, 8);
            if (separatorAt == 8) {
                BitIndex = 8;
            } else {
                // The separator is written as " " between the two bytes.
                packet[packetUsed - 8 + static_cast<std::size_t>(separatorAt)] = ' ';
                BitIndex = 7 - separatorAt;
                Increment(ByteCount);
            }
            OnesCount = hasZero ? __builtin_ctz(~v) : SaturatedSum(OnesCount, 8);
            continue;
        }

        int at = 0;
        while (at < 8 && !PacketComplete) {
            if (!InPacket) {
                // Ones up to the next '0', then that '0': a start bit after
                // more than eight ones, else one more gap character.
                const unsigned zerosFromHere = ~v & (0xFFu >> at);
                const int zero = zerosFromHere ? __builtin_clz(zerosFromHere) - 24 : 8;
                const int ones = zero - at;
                putPiece(stream, streamUsed, word, at, ones);
                putPiece(gap, gapUsed, word, at, ones);
                if (zero == 8) {
                    OnesCount = SaturatedSum(OnesCount, ones);
                    at = 8;
                    break;
                }
                if (OnesCount > 8 - ones) {
                    appendGathered();
                    OnesCount = SaturatedSum(OnesCount, ones);
                    StartPacket();
                    BitIndex = 0; // the start bit is skipped
                } else {
                    gap[gapUsed++] = '0';
                }
                stream[streamUsed++] = '0';
                OnesCount = 0;
                at = zero + 1;
                continue;
            }
            if (BitIndex < 0 || BitIndex > 8)
                break;
            if (BitIndex < 8) {
                // Data bits, up to the separator or the byte's end. Only
                // their first '0' could follow more than eight ones.
                const int n = std::min(8 - BitIndex, 8 - at);
                const unsigned mask = (1u << n) - 1;
                const unsigned zeros = ~(v >> (8 - at - n)) & mask;
                int32_t ones = SaturatedSum(OnesCount, n);
                if (zeros != 0) {
                    const int leadingOnes = n - 32 + __builtin_clz(zeros);
                    if (OnesCount > 8 - leadingOnes)
                        break;
                    ones = __builtin_ctz(zeros);
                }
                putPiece(stream, streamUsed, word, at, n);
                putPiece(packet, packetUsed, word, at, n);
                OnesCount = ones;
                BitIndex += n;
                at += n;
                continue;
            }
            // The separator or end bit.
            const char c = bits[at];
            if (c == '0' && OnesCount > 8)
                break;
            stream[streamUsed++] = c;
            BitIndex = 0;
            Increment(ByteCount);
            ++at;
            if (c == '0') {
                OnesCount = 0;
                packet[packetUsed++] = ' ';
                continue;
            }
            Increment(OnesCount);
            packet[packetUsed++] = '>';
            InPacket = false;
            PacketComplete = true;
            appendGathered();
            CompletePacket((count - k - 1) * 8 + static_cast<std::size_t>(8 - at));
        }
        if (at < 8) {
            // A state AssembleBit never leaves.
            appendGathered();
            BitsAfterPass = (count - k - 1) * 8;
            AssembleBits(bits + at, static_cast<std::size_t>(8 - at));
            BitsAfterPass = 0;
        }
    }
    appendGathered();
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
                StartPacket();
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
            CompletePacket(count - i - 1 + BitsAfterPass);
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
