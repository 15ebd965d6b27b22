#include "rx_collector.h"

namespace reference {

void CollectBytes(TStreamDecoder& decoder, TRxBuffer& rx, const uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        if (rx.RxCount < RxBufferSize)
            rx.RxBuffer[rx.RxCount++] = bytes[i];
        // The decoder hands back at most six entries, so the buffer never
        // fills; the bound above only guards it.
        if (rx.RxCount >= RxChunkSize)
            rx.RxCount = decoder.ProcessChunk(rx.RxBuffer, rx.RxCount);
    }
}

} // namespace reference
