#include "rx_collector.h"

void CollectBytes(TStreamDecoder& decoder, TRxBuffer& rx, const uint8_t* bytes, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        if (rx.RxCount < RxChunkSize) {
            // Byte by byte this would be the same: store until the chunk is
            // full, then decode it. Done as one copy per chunk.
            const std::size_t room = static_cast<std::size_t>(RxChunkSize - rx.RxCount);
            const std::size_t take = n - i < room ? n - i : room;
            int32_t* to = rx.RxBuffer + rx.RxCount;
            for (std::size_t k = 0; k < take; ++k)
                to[k] = bytes[i + k];
            rx.RxCount += static_cast<int32_t>(take);
            i += take;
        } else {
            // The decoder hands back at most six entries, so the buffer never
            // fills; the bound only guards it.
            if (rx.RxCount < RxBufferSize)
                rx.RxBuffer[rx.RxCount++] = bytes[i];
            ++i;
        }
        if (rx.RxCount >= RxChunkSize)
            rx.RxCount = decoder.ProcessChunk(rx.RxBuffer, rx.RxCount);
    }
}
