// Hands a completed packet to the observer as byte values.
#include "stream_decoder.h"

#include <algorithm>

void TStreamDecoder::NotifyPacketObserver(std::size_t bitsAfter) {
    // A packet text cut short at MaxTextLength holds fewer whole bytes than
    // ByteCount says; only those are passed on.
    const std::size_t whole = PacketText.size() > 1 ? (PacketText.size() - 1) / 9 : 0;
    const std::size_t count = std::min<std::size_t>(static_cast<std::size_t>(ByteCount), whole);
    ObservedBytes.resize(count);
    for (std::size_t k = 0; k < count; ++k)
        ObservedBytes[k] = static_cast<uint8_t>(BitsToByte(PacketText.data() + 1 + 9 * k));
    PacketObserver->PacketAssembled(ObservedBytes.data(), static_cast<int>(count), PreambleOnes,
                                    bitsAfter);
}
