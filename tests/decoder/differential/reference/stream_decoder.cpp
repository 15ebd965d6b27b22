// Chunk framing: Device info records, the carried tail, bytes to bit
// characters, and the Motorola byte collector.
#include "stream_decoder.h"

#include <cstring>

namespace reference {

TStreamDecoder::TStreamDecoder(TDecoderHost& host) : Host(host) {
    for (int v = 0; v < 256; ++v) {
        char hex[3];
        char bits[5];
        ByteToHex(static_cast<uint8_t>(v), hex);
        HexDigitToBits(hex[0], bits);
        std::memcpy(ByteBits[v], bits, 4);
        HexDigitToBits(hex[1], bits);
        std::memcpy(ByteBits[v] + 4, bits, 4);
    }
}

void TStreamDecoder::ByteToHex(uint8_t value, char* out) {
    static const char digits[] = "0123456789abcdef";
    out[0] = digits[value >> 4];
    out[1] = digits[value & 0x0F];
    out[2] = '\0';
}

void TStreamDecoder::HexDigitToBits(char digit, char* out) {
    int code = static_cast<unsigned char>(digit);
    if (digit >= 'a' && digit <= 'f')
        code += 9;
    for (int i = 0; i < 4; ++i)
        out[i] = ((code >> (3 - i)) & 1) ? '1' : '0';
    out[4] = '\0';
}

int TStreamDecoder::BitsToByte(const char* c) {
    // The sum of (c[i] - 48) * 2^(7 - i), accumulated most significant first.
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum = sum * 2 + (static_cast<unsigned char>(c[i]) - 48);
    return sum;
}

void TStreamDecoder::ResetAssembler() {
    OnesCount = 0;
    BitIndex = 0;
    InPacket = false;
}

int TStreamDecoder::ProcessChunk(int32_t* Entries, int Count) {
    // A chunk is at most what the receive buffer holds; the scratch has room
    // for eight bit characters per entry.
    char scratchFixed[8 * 128];
    std::string scratchLarge;
    char* scratch = scratchFixed;
    if (Count > 128) {
        scratchLarge.resize(static_cast<std::size_t>(Count) * 8);
        scratch = &scratchLarge[0];
    }
    std::size_t bits = 0;
    int carried = 0;

    for (int pos = 0; pos < Count; ++pos) {
        bool consumed = false;
        if (pos < Count - 6) {
            if (Entries[pos] == 0xAA && Entries[pos + 1] == 0xAA && Entries[pos + 2] == 0xAA) {
                ShowDeviceInfo(Entries[pos + 3], Entries[pos + 4], Entries[pos + 5]);
                pos += 5;
                consumed = true;
            }
        } else if (Entries[pos] == 0xAA) {
            // A record may start here but cannot be seen whole yet: carry the
            // tail to the front so the next chunk examines it again.
            carried = Count - pos;
            std::memmove(Entries, Entries + pos,
                         static_cast<std::size_t>(carried) * sizeof(int32_t));
            break;
        }
        if (consumed)
            continue;
        std::memcpy(scratch + bits, ByteBits[Entries[pos] & 0xFF], 8);
        bits += 8;
        if (On(TSwitch::cbx_mot)) {
            // Beyond the end of the chunk the look-ahead counts as "not 0xFF".
            int32_t lookAhead = pos + 3 < Count ? Entries[pos + 3] : -1;
            CollectMotorolaByte(Entries[pos], lookAhead);
        }
    }

    if (On(TSwitch::cbx_dcc_stream))
        AssembleBits(scratch, bits);
    return carried;
}

void TStreamDecoder::CollectMotorolaByte(int32_t e, int32_t lookAhead) {
    if (e == 0xFF && lookAhead != 0xFF) {
        if (MotCount > 5) {
            if (On(TSwitch::cbx_schaltbefehle))
                FormatMotorolaSwitch(MotBytes, MotCount);
            else
                FormatMotorolaLoco(MotBytes, MotCount);
        }
        MotCount = 0;
        return;
    }
    if (MotCount < 20) {
        MotBytes[MotCount++] = e;
    } else {
        // An over-long record loses this entry and collection starts over.
        MotCount = 0;
    }
}

} // namespace reference
