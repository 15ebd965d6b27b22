// TStreamDecoder turns the bytes received from the device into log lines:
// Device info records, Motorola records and, bit by bit, DCC packets.
#pragma once

#include "assembly_text.h"
#include "decoder_host.h"
#include "line_buffer.h"
#include "packet_observer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
    // Inline, as a packet start calls it and ShowGap every time.
    void ShowBitstreamLine(std::string_view text) {
        if (On(TSwitch::cbx_bitstream) && !text.empty())
            Host.AppendBitstreamLine(text);
    }
    void ShowGarbage(std::string_view text);

    // Packet classifier and line composer, for one complete Packet text.
    void DecodePacket(std::string_view packet, int n);

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
    static int BitsToByte(const char* c) {             // 8 bit characters
        // The characters as one word, the first in the lowest byte whatever
        // the machine's byte order (a little-endian one makes this a single
        // load). Inline: the classifier reads every packet byte with it.
        const auto at = [c](int i) {
            return uint64_t{static_cast<unsigned char>(c[i])} << (8 * i);
        };
        const uint64_t word = at(0) | at(1) | at(2) | at(3) | at(4) | at(5) | at(6) | at(7);
        if ((word & 0xFEFEFEFEFEFEFEFEu) == 0x3030303030303030u) {
            // Eight bit characters, the usual case: their 0/1 values
            // gathered by one multiplication into the top byte, the first
            // character as the most significant bit. Every partial product
            // lands on a bit of its own, so nothing carries.
            return static_cast<int>(((word - 0x3030303030303030u) * 0x8040201008040201u) >> 56);
        }
        return BitsToByteOtherCharacters(c);
    }

    // Each text keeps at most its first MaxTextLength characters, so a stream
    // without packet starts cannot grow memory without bound.
    static constexpr std::size_t MaxTextLength = TAssemblyText::MaxLength;

    // Decoder state, readable for tests.
    TAssemblyText PacketText;
    TAssemblyText BitstreamText;
    TAssemblyText GapText;
    bool PacketComplete = false;
    bool InPacket = false;
    int32_t OnesCount = 0;
    int32_t BitIndex = 0;
    int32_t ByteCount = 0;
    int32_t MotCount = 0;
    int32_t MotBytes[20] = {};
    TAssemblyText LastPacket;
    // Ones before the current packet's start bit, for the observer.
    int32_t PreambleOnes = 0;
    // Whether a packet has started since the decoder was made or reception
    // last started; until then the run of ones may have begun unseen.
    bool StartedSinceReset = false;
    // The current packet's preamble was seen whole.
    bool PreambleWhole = false;

    // Told of every completed packet and every gap when set; not owned.
    TPacketObserver* PacketObserver = nullptr;

private:
    static int BitsToByteOtherCharacters(const char* c);
    void CollectMotorolaByte(int32_t e, int32_t lookAhead);
    // The instruction texts, written through a cursor taken and returned by
    // value so that it stays in a register.
    TLineCursor AppendFunctionGroup(TLineCursor text, int I) const;
    TLineCursor AppendFunctions13to20(TLineCursor text, int D) const;
    TLineCursor AppendFunctions21to28(TLineCursor text, int D) const;
    TLineCursor AppendSpeed28(TLineCursor text, int I) const;
    TLineCursor AppendSpeed128(TLineCursor text, int D) const;
    // FormatAccessory's text appended; the cursor unmoved, with nothing
    // appended, where that text is empty.
    TLineCursor AppendAccessory(TLineCursor text, int b0, int b1, int32_t upper,
                                int32_t lower) const;
    void AssembleBits(const char* bits, std::size_t count);
    void NotifyPacketObserver(std::size_t bitsAfter);
    // The same for received bytes, each as its eight bits.
    void AssembleBytes(const uint8_t* bytes, std::size_t count);
    // The same, with the texts' bounds held after every piece or not.
    template <bool Bounded> void AssembleBytesWithin(const uint8_t* bytes, std::size_t count);
    // The bits of one byte from bit at (0 is the first on the track), in
    // pieces up to each packet start or end; any state, bit by bit where the
    // byte path does not take it. bitsAfter: the chunk's bits after this byte.
    void AssembleByteInPieces(unsigned v, int at, std::size_t bitsAfter);
    // At a start bit: shows the pending Bitstream log line and gap line and
    // opens the Packet text.
    void StartPacket();
    // ShowGarbage for GapText, which is shown where it lies; the observer is
    // told of the gap whether it is shown or not.
    void ShowGap() {
        const bool show = On(TSwitch::cbx_schrott) && !GapText.empty();
        if (!show && !PacketObserver)
            return;
        const bool hasZero = GapHasZero();
        if (show)
            Host.AppendMonitorLine(GapText.PrefixedView(GarbagePrefix(hasZero)));
        if (PacketObserver)
            PacketObserver->GapBeforePacket(GapText.size(), hasZero);
    }
    // Most gaps are a preamble: then the run of ones before the start bit is
    // at least as long as the gap text, which need not be searched. The run
    // may have begun before the gap (the end bit counts); a reception start
    // restarts it while the text goes on, and a text cut at its bound holds
    // the gap's first characters, not its last: those are searched.
    bool GapHasZero() const {
        const bool exact = GapText.size() < MaxTextLength;
        if (exact && OnesCount >= 0 && static_cast<std::size_t>(OnesCount) >= GapText.size())
            return false;
        return GapText.Contains('0');
    }
    // The gap line's prefix: a gap of ones only is a preamble.
    static std::string_view GarbagePrefix(bool hasZero) {
        return hasZero ? "Schrott: "
                       : "Pr\xE4"
                         "ambel: ";
    }
    // At an end bit: the one place where a finished packet leaves the
    // assembler, with its Packet text and byte count. bitsAfter: the bit
    // characters of the chunk that follow the end bit, for the observer.
    void CompletePacket(std::size_t bitsAfter);
    // Bits of the chunk after those AssembleBits is given, while the byte
    // path hands it the rest of one byte.
    std::size_t BitsAfterPass = 0;
    void FormatMotorolaRecord(const int32_t* entries, int n, bool isSwitch);
    bool On(TSwitch s) const {
        return Switches ? Switches[static_cast<int>(s)] : Host.IsChecked(s);
    }

    TDecoderHost& Host;
    // The host's checked states when it hands them out.
    const bool* const Switches;
    // The host takes each packet's line with its facts.
    const bool PacketFacts;
    // Reused for every line so composing a line allocates nothing.
    TLineBuffer Composed;
    // The eight bit characters of every byte value, built once from
    // ByteToHex and HexDigitToBits, value after value; eight more at the end
    // so that eight characters may be copied from any position of a value.
    char ByteBits[257 * 8];
    std::vector<uint8_t> ObservedBytes;
};
