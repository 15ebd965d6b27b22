// The byte-collection step of the receive loop: received bytes are gathered in
// RxBuffer and handed to the decoder 50 at a time, carried entries first. The
// window's tick and the headless decoder both use this one step.
#pragma once

#include "stream_decoder.h"

#include <cstddef>
#include <cstdint>

namespace reference {

constexpr int RxBufferSize = 127;
constexpr int RxChunkSize = 50;

struct TRxBuffer {
    int32_t RxBuffer[RxBufferSize] = {};
    int32_t RxCount = 0;
};

void CollectBytes(TStreamDecoder& decoder, TRxBuffer& rx, const uint8_t* bytes, std::size_t n);

} // namespace reference
