// The decoder as it was before the speed work (commit 5d7eef2): framing and
// bit assembly a byte and a bit character at a time, texts as std::string.
// Kept as it was, but for the namespace, as the plain reference the fast
// decoder is compared with (../decoder_comparison.h); no program uses it.
//
// TStreamDecoder turns the bytes received from the device into log lines:
// Device info records, Motorola records and, bit by bit, DCC packets.
#pragma once

#include "decoder_host.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace reference {

class TStreamDecoder {
public:
    explicit TStreamDecoder(TDecoderHost& host);

    // Consumes a chunk of entries (each a received byte 0..255) and returns how
    // many entries it moved to the front of Entries for the next chunk.
    int ProcessChunk(int32_t* Entries, int Count);

    // Prepares the bit assembler for a new start of reception.
    void ResetAssembler();

    // Bit assembler: one bit character ('1' or '0').
    void AssembleBit(char c);
    void ShowBitstreamLine(const std::string& text);
    void ShowGarbage(const std::string& text);

    // Packet classifier and line composer, for one complete Packet text.
    void DecodePacket(const std::string& packet, int n);

    // Instruction formatters.
    std::string FormatFunctionGroup(int I) const;
    std::string FormatFunctions13to20(int D) const;
    std::string FormatFunctions21to28(int D) const;
    std::string FormatSpeed28(int I) const;
    std::string FormatSpeed128(int D) const;
    std::string FormatAccessory(int b0, int b1, int32_t upper, int32_t lower) const;

    // Motorola records of 6 to 9 entries.
    void FormatMotorolaSwitch(const int32_t* entries, int n);
    void FormatMotorolaLoco(const int32_t* entries, int n);

    void ShowDeviceInfo(int version, int parameter, int modeLetter);

    // Small conversions shared by the framing and the formatters.
    static void ByteToHex(uint8_t value, char* out);   // 2 digits + NUL
    static void HexDigitToBits(char digit, char* out); // 4 bits + NUL
    static int BitsToByte(const char* c);              // 8 bit characters

    // Each text keeps at most its first MaxTextLength characters, so a stream
    // without packet starts cannot grow memory without bound.
    static constexpr std::size_t MaxTextLength = 65536;

    // Decoder state, readable for tests.
    std::string PacketText;
    std::string BitstreamText;
    std::string GapText;
    bool PacketComplete = false;
    bool InPacket = false;
    int32_t OnesCount = 0;
    int32_t BitIndex = 0;
    int32_t ByteCount = 0;
    int32_t MotCount = 0;
    int32_t MotBytes[20] = {};
    std::string LastPacket;

private:
    void CollectMotorolaByte(int32_t e, int32_t lookAhead);
    void AppendFunctionGroup(std::string& text, int I) const;
    void AppendFunctions13to20(std::string& text, int D) const;
    void AppendFunctions21to28(std::string& text, int D) const;
    void AppendSpeed28(std::string& text, int I) const;
    void AppendSpeed128(std::string& text, int D) const;
    void AssembleBits(const char* bits, std::size_t count);
    void FormatMotorolaRecord(const int32_t* entries, int n, bool isSwitch);
    bool On(TSwitch s) const { return Host.IsChecked(s); }

    TDecoderHost& Host;
    // Reused for every line so composing a line allocates nothing.
    std::string Line;
    // The eight bit characters of every byte value, built once from
    // ByteToHex and HexDigitToBits.
    char ByteBits[256][8];
};

} // namespace reference
