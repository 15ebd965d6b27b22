// Sees every packet the bit assembler completes, whatever its length or
// content, before any display switch or filter has a say, and what lay
// between the packets. The statistics use it; the window installs none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class TPacketObserver {
public:
    // bytes: the packet's bytes as values, in received order (count of them).
    // preambleOnes: the '1' bits between the previous packet's end bit and
    // this packet's start bit (everything before the start bit for the first
    // packet). bitsAfter: the bit characters of the current chunk that follow
    // the packet's end bit, so a caller that knows where the chunk ends in the
    // stream can tell where the packet ended.
    virtual void PacketAssembled(const uint8_t* bytes, int count, int32_t preambleOnes,
                                 std::size_t bitsAfter) = 0;

    // At every packet start: the bits between the previous packet's end bit
    // and this start bit (everything before it for the first packet), as
    // many as the decoder keeps (its first TStreamDecoder::MaxTextLength),
    // and whether one of them is a '0', which makes the gap no clean
    // preamble. Told whether or not a line shows the gap.
    virtual void GapBeforePacket(std::size_t bits, bool holdsZero) = 0;

    // A completed packet that is too short or too long to decode: its Packet
    // text and byte count, told before PacketAssembled for the same packet,
    // whether or not a line shows it.
    virtual void PacketNotDecoded(std::string_view packetText, int byteCount) = 0;

protected:
    ~TPacketObserver() = default;
};
