// Sees every packet the bit assembler completes, whatever its length or
// content, before any display switch or filter has a say. The statistics
// tools use it; the window installs none.
#pragma once

#include <cstddef>
#include <cstdint>

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

protected:
    ~TPacketObserver() = default;
};
