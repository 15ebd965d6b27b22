// The DCC bit assembler: rebuilds packets from the track's bit characters and
// writes the Bitstream log line and the gap line at every packet start.
#include "stream_decoder.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>

namespace {

inline void Increment(int32_t& counter) {
    // Only "more than eight" matters for the run of ones, and the byte count
    // only grows within one packet; saturating keeps days of one bit value
    // from overflowing.
    if (counter < INT32_MAX)
        ++counter;
}

inline int32_t SaturatedSum(int32_t counter, int32_t n) {
    return counter > INT32_MAX - n ? INT32_MAX : counter + n;
}

// The runs of ones at either end of every byte value, the most significant
// bit being the first on the track.
struct TOnesTables {
    uint8_t Leading[256];
    uint8_t Trailing[256];
};

constexpr TOnesTables MakeOnesTables() {
    TOnesTables t{};
    for (int v = 0; v < 256; ++v) {
        int leading = 0;
        while (leading < 8 && ((v >> (7 - leading)) & 1))
            ++leading;
        int trailing = 0;
        while (trailing < 8 && ((v >> trailing) & 1))
            ++trailing;
        t.Leading[v] = static_cast<uint8_t>(leading);
        t.Trailing[v] = static_cast<uint8_t>(trailing);
    }
    return t;
}

constexpr TOnesTables Ones = MakeOnesTables();

} // namespace

void TStreamDecoder::AssembleBit(char c) {
    AssembleBits(&c, 1);
}

void TStreamDecoder::StartPacket() {
    // The ones since the last packet's end bit, for the observer.
    PreambleOnes = std::min(OnesCount, static_cast<int32_t>(GapText.size()));
    PreambleWhole = StartedSinceReset;
    StartedSinceReset = true;
    ShowBitstreamLine(BitstreamText);
    BitstreamText.clear();
    ShowGap();
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
    // A byte adds at most eight characters to each text (the gap's and the
    // Packet text's are its own bits or stand in for them), the start of a
    // Packet text one more; a packet start only empties texts. So where the
    // whole chunk fits below every bound, no piece needs its bound held.
    const std::size_t most = 8 * count + 1;
    if (BitstreamText.Holds(most) && GapText.Holds(most) && PacketText.Holds(most))
        AssembleBytesWithin<false>(bytes, count);
    else
        AssembleBytesWithin<true>(bytes, count);
}

template <bool Bounded>
void TStreamDecoder::AssembleBytesWithin(const uint8_t* bytes, std::size_t count) {
    // The track's bits, taken a byte at a time, with the assembler's state
    // and the texts' ends in locals; they are written back around the calls
    // out (a packet start, a packet end) and for the bytes taken in pieces.
    // Most bytes hold neither a packet start nor an end bit: their eight
    // characters go to the texts as one piece each and the counters move by
    // table. A byte with a start bit, or with an end bit after which no
    // packet starts, is also taken whole. The texts and counters come out as
    // if every bit had gone through AssembleBit.
    TAssemblyText::TAppender<Bounded> stream(BitstreamText);
    TAssemblyText::TAppender<Bounded> gap(GapText);
    TAssemblyText::TAppender<Bounded> packet(PacketText);
    bool inPacket = InPacket;
    int32_t bitIndex = BitIndex;
    int32_t ones = OnesCount;
    int32_t byteCount = ByteCount;
    auto writeBack = [&] {
        stream.Commit();
        gap.Commit();
        packet.Commit();
        InPacket = inPacket;
        BitIndex = bitIndex;
        OnesCount = ones;
        ByteCount = byteCount;
    };
    auto reload = [&] {
        stream.Reload();
        gap.Reload();
        packet.Reload();
        inPacket = InPacket;
        bitIndex = BitIndex;
        ones = OnesCount;
        byteCount = ByteCount;
    };

    std::size_t k = 0;
    while (k < count) {
        int at = 0; // where the byte's pieces start, when it is taken so
        if (PacketComplete) {
            // Only a state set by hand.
        } else if (!inPacket) {
            // Between packets. A packet can start only at a byte's first
            // '0': after it, no run of more than seven ones fits in the byte.
            int leading = 0;
            for (; k < count; ++k) {
                const char* chars = ByteBits + 8 * bytes[k];
                leading = Ones.Leading[bytes[k]];
                if (leading == 8) {
                    ones = SaturatedSum(ones, 8);
                } else if (ones <= 8 - leading) {
                    ones = Ones.Trailing[bytes[k]];
                } else {
                    break;
                }
                stream.AppendPiece(chars, 8);
                gap.AppendPiece(chars, 8);
            }
            if (k == count)
                break;
            // The start bit is the first '0'; the bits after it are data
            // bits, fewer than a packet byte's eight.
            const unsigned v = bytes[k];
            const char* chars = ByteBits + 8 * v;
            const auto start = static_cast<std::size_t>(leading);
            stream.AppendPiece(chars, start);
            gap.AppendPiece(chars, start);
            ones = SaturatedSum(ones, leading);
            writeBack();
            StartPacket();
            reload();
            stream.AppendPiece(chars + start, 8 - start);
            packet.AppendPiece(chars + start + 1, 7 - start);
            ones = Ones.Trailing[v];
            bitIndex = 7 - leading; // the start bit is skipped
            ++k;
            continue;
        } else if (bitIndex >= 0 && bitIndex <= 8 && ones >= 0 && ones <= bitIndex) {
            // Data bits, and a separator or end bit where the byte reaches
            // the end of the packet byte. Ones before a '0' here come only
            // from the packet byte's own data bits (at most BitIndex of
            // them), so none of these bits starts a packet; this stays so
            // from byte to byte.
            int separator = 8;
            for (; k < count; ++k) {
                const unsigned v = bytes[k];
                const char* chars = ByteBits + 8 * v;
                separator = 8 - bitIndex;
                if (separator == 8) {
                    // Exactly the eight data bits of a packet byte.
                    stream.AppendPiece(chars, 8);
                    packet.AppendPiece(chars, 8);
                    bitIndex = 8;
                    ones = v == 0xFF ? ones + 8 : Ones.Trailing[v];
                } else if (chars[separator] == '0') {
                    // The separator is written as " " between the two bytes.
                    stream.AppendPiece(chars, 8);
                    packet.AppendPiece(chars, 8, static_cast<std::size_t>(separator), ' ');
                    bitIndex = 7 - separator;
                    Increment(byteCount);
                    ones = Ones.Trailing[v];
                } else {
                    break;
                }
            }
            if (k == count)
                break;
            // The end bit, written as ">". It and the data ones right before
            // it count towards the next preamble.
            const unsigned v = bytes[k];
            const char* chars = ByteBits + 8 * v;
            const auto sep = static_cast<std::size_t>(separator);
            const unsigned full = (1u << separator) - 1;
            const unsigned data = v >> (8 - separator);
            ones = (data == full ? ones + separator : Ones.Trailing[data]) + 1;
            stream.AppendPiece(chars, sep + 1);
            packet.AppendPiece(chars, sep + 1, sep, '>');
            Increment(byteCount);
            bitIndex = 0;
            inPacket = false;
            writeBack();
            PacketComplete = true;
            CompletePacket((count - k - 1) * 8 + 7 - sep);
            reload();
            // The rest of the byte lies between packets. Unless a packet
            // starts in it, it is taken whole, as above.
            at = separator + 1;
            if (at == 8) {
                ++k;
                continue;
            }
            const int zero = Ones.Leading[(v | (0xFF00u >> at)) & 0xFFu];
            if (!PacketComplete && !inPacket && (zero == 8 || ones <= 8 - (zero - at))) {
                const auto from = static_cast<std::size_t>(at);
                stream.AppendPiece(chars + from, 8 - from);
                gap.AppendPiece(chars + from, 8 - from);
                ones = zero == 8 ? SaturatedSum(ones, zero - at) : Ones.Trailing[v];
                ++k;
                continue;
            }
        }
        writeBack();
        AssembleByteInPieces(bytes[k], at, (count - k - 1) * 8);
        reload();
        ++k;
    }
    writeBack();
}

void TStreamDecoder::AssembleByteInPieces(unsigned v, int at, std::size_t bitsAfter) {
    const char* chars = ByteBits + 8 * v;
    int stored = at; // the byte's bits already in BitstreamText
    while (at < 8 && !PacketComplete) {
        if (!InPacket) {
            // Ones up to the next '0' (bits before at read as ones), then
            // that '0': a start bit after more than eight ones.
            const int zero = Ones.Leading[(v | (0xFF00u >> at)) & 0xFFu];
            const int ones = zero - at;
            if (zero == 8 || OnesCount <= 8 - ones) {
                // No start in the rest of the byte, as above.
                GapText.AppendPiece(chars + at, static_cast<std::size_t>(8 - at));
                OnesCount = zero == 8 ? SaturatedSum(OnesCount, ones) : Ones.Trailing[v];
                at = 8;
                break;
            }
            GapText.AppendPiece(chars + at, static_cast<std::size_t>(ones));
            BitstreamText.AppendPiece(chars + stored, static_cast<std::size_t>(zero - stored));
            stored = zero; // the start bit opens the next Bitstream log line
            OnesCount = SaturatedSum(OnesCount, ones);
            StartPacket();
            OnesCount = 0;
            BitIndex = 0; // the start bit is skipped
            at = zero + 1;
            continue;
        }
        if (BitIndex < 0 || BitIndex > 8 || OnesCount < 0 || OnesCount > BitIndex)
            break; // a state AssembleBit never leaves
        const int separator = at + 8 - BitIndex;
        if (separator >= 8) {
            // Data bits to the end of the byte.
            const int n = 8 - at;
            PacketText.AppendPiece(chars + at, static_cast<std::size_t>(n));
            const bool zeroAmong = (~v & (0xFFu >> at)) != 0;
            OnesCount = zeroAmong ? Ones.Trailing[v] : OnesCount + n;
            BitIndex += n;
            at = 8;
            break;
        }
        PacketText.AppendPiece(chars + at, static_cast<std::size_t>(separator - at));
        if (chars[separator] == '0') {
            PacketText.push_back(' ');
            Increment(ByteCount);
            OnesCount = 0;
            BitIndex = 0;
            at = separator + 1;
            continue;
        }
        // The end bit: it and the data ones right before it count towards
        // the next preamble.
        const int n = separator - at;
        const unsigned full = (1u << n) - 1;
        const unsigned data = (v >> (8 - separator)) & full;
        OnesCount = (data == full ? OnesCount + n : Ones.Trailing[data]) + 1;
        PacketText.push_back('>');
        Increment(ByteCount);
        BitIndex = 0;
        InPacket = false;
        PacketComplete = true;
        at = separator + 1;
        BitstreamText.AppendPiece(chars + stored, static_cast<std::size_t>(at - stored));
        stored = at;
        CompletePacket(bitsAfter + static_cast<std::size_t>(8 - at));
    }
    BitstreamText.AppendPiece(chars + stored, static_cast<std::size_t>(at - stored));
    if (at < 8) {
        BitsAfterPass = bitsAfter;
        AssembleBits(chars + at, static_cast<std::size_t>(8 - at));
        BitsAfterPass = 0;
    }
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
                PacketText.append(bits + i, len);
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
            GapText.append(bits + i, len);
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
                BitstreamText.append(bits + runStart, i - runStart);
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
                PacketText.push_back('>');
                InPacket = false;
                PacketComplete = true;
            } else if (c == '0') {
                PacketText.push_back(' ');
            }
        } else if (InPacket) {
            // The start bit meets BitIndex -1 and is skipped.
            if (BitIndex >= 0)
                PacketText.push_back(c);
            ++BitIndex;
        } else {
            GapText.push_back(c);
        }

        if (PacketComplete) {
            BitstreamText.append(bits + runStart, i + 1 - runStart);
            runStart = i + 1;
            CompletePacket(count - i - 1 + BitsAfterPass);
        }
        ++i;
    }
    BitstreamText.append(bits + runStart, count - runStart);
}

void TStreamDecoder::ShowGarbage(std::string_view text) {
    if (!On(TSwitch::cbx_schrott) || text.empty())
        return;
    Composed.Clear();
    Composed.Append(GarbagePrefix(text.find('0') != std::string_view::npos));
    Composed.Append(text);
    Host.AppendMonitorLine(std::string_view(Composed.Data(), Composed.Size()));
}
