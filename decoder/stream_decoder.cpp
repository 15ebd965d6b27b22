// Chunk framing: Device info records, the carried tail, bytes to bit
// characters, and the Motorola byte collector.
#include "stream_decoder.h"

#include <cstring>
#include <vector>

TStreamDecoder::TStreamDecoder(TDecoderHost& host)
    : Host(host), Switches(host.CheckedStates()), PacketFacts(host.WantsPacketFacts()) {
    for (int v = 0; v < 256; ++v) {
        char hex[3];
        char bits[5];
        ByteToHex(static_cast<uint8_t>(v), hex);
        HexDigitToBits(hex[0], bits);
        std::memcpy(ByteBits + 8 * v, bits, 4);
        HexDigitToBits(hex[1], bits);
        std::memcpy(ByteBits + 8 * v + 4, bits, 4);
    }
    std::memset(ByteBits + 8 * 256, '0', 8);
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

int TStreamDecoder::BitsToByteOtherCharacters(const char* c) {
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
    StartedSinceReset = false;
}

int TStreamDecoder::ProcessChunk(int32_t* Entries, int Count) {
    // The bytes that become bit characters, in order; the assembler takes
    // them eight bits at a time. A chunk is at most what the receive buffer
    // holds, larger ones go to the heap.
    uint8_t scratchFixed[128];
    std::vector<uint8_t> scratchLarge;
    uint8_t* scratch = scratchFixed;
    if (Count > 128) {
        scratchLarge.resize(static_cast<std::size_t>(Count));
        scratch = scratchLarge.data();
    }
    std::size_t used = 0;
    int carried = 0;
    // The Motorola switch counts as it is at each entry. Only a call that
    // reaches the window can change it, so it is read again after each.
    bool mot = On(TSwitch::cbx_mot);

    if (!mot) {
        // Most chunks hold no 0xAA at all: then every entry only becomes bit
        // characters. Two plain passes without a branch per entry, which the
        // compiler turns into vector code, find that out and convert them.
        int markers = 0;
        for (int pos = 0; pos < Count; ++pos)
            markers += Entries[pos] == 0xAA;
        if (markers == 0) {
            for (int pos = 0; pos < Count; ++pos)
                scratch[pos] = static_cast<uint8_t>(Entries[pos] & 0xFF);
            if (On(TSwitch::cbx_dcc_stream))
                AssembleBytes(scratch, static_cast<std::size_t>(Count));
            return 0;
        }
    }

    for (int pos = 0; pos < Count; ++pos) {
        if (!mot) {
            // Without Motorola collection, a run of entries up to the next
            // 0xAA only becomes bit characters.
            while (pos < Count && Entries[pos] != 0xAA)
                scratch[used++] = static_cast<uint8_t>(Entries[pos++] & 0xFF);
            if (pos == Count)
                break;
        }
        if (Entries[pos] == 0xAA) {
            if (pos >= Count - 6) {
                // A record may start here but cannot be seen whole yet: carry
                // the tail to the front so the next chunk examines it again.
                carried = Count - pos;
                std::memmove(Entries, Entries + pos,
                             static_cast<std::size_t>(carried) * sizeof(int32_t));
                break;
            }
            if (Entries[pos + 1] == 0xAA && Entries[pos + 2] == 0xAA) {
                ShowDeviceInfo(Entries[pos + 3], Entries[pos + 4], Entries[pos + 5]);
                mot = On(TSwitch::cbx_mot);
                pos += 5;
                continue;
            }
        }
        scratch[used++] = static_cast<uint8_t>(Entries[pos] & 0xFF);
        if (mot) {
            // Beyond the end of the chunk the look-ahead counts as "not 0xFF".
            int32_t lookAhead = pos + 3 < Count ? Entries[pos + 3] : -1;
            CollectMotorolaByte(Entries[pos], lookAhead);
            mot = On(TSwitch::cbx_mot);
        }
    }

    if (On(TSwitch::cbx_dcc_stream))
        AssembleBytes(scratch, used);
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
