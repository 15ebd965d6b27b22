// libFuzzer target: any byte stream, any switch states and filter texts, fed
// through the receive loop's collection step in pieces of varying size.
// Input: two bytes of switch bits (bit i is TSwitch i), one byte seeding the
// piece sizes, then the two filter texts (a length byte, taken modulo 12, and
// the text each), then the stream. The seeds in tests/decoder/fuzz-seeds
// carry streams made by fennox-sim.
#include "headless_host.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

std::string TakeText(const uint8_t*& data, std::size_t& size) {
    if (size == 0)
        return std::string();
    std::size_t len = data[0] % 12;
    ++data;
    --size;
    if (len > size)
        len = size;
    std::string text(reinterpret_cast<const char*>(data), len);
    data += len;
    size -= len;
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 3)
        return 0;
    THeadlessHost host;
    const unsigned switches = data[0] | (data[1] << 8);
    const unsigned pieceSeed = data[2];
    data += 3;
    size -= 3;
    for (int i = 0; i < SwitchCount; ++i)
        host.SetChecked(static_cast<TSwitch>(i), (switches >> i) & 1);
    host.SetMinText(TakeText(data, size));
    host.SetMaxText(TakeText(data, size));
    host.SetFixedTime("12:34:56:789");
    std::size_t lineBytes = 0;
    host.OnMonitorLine = [&](const std::string& l) { lineBytes += l.size(); };
    host.OnBitstreamLine = [&](const std::string& l) { lineBytes += l.size(); };

    TStreamDecoder decoder(host);
    TRxBuffer rx;
    std::size_t at = 0;
    unsigned piece = pieceSeed;
    while (at < size) {
        piece = piece * 1103515245u + 12345u;
        std::size_t n = 1 + (piece >> 16) % 400;
        if (n > size - at)
            n = size - at;
        CollectBytes(decoder, rx, data + at, n);
        at += n;
        if (rx.RxCount < 0 || rx.RxCount >= RxChunkSize)
            __builtin_trap();
    }
    // The decoder's texts are bounded whatever the input.
    if (decoder.BitstreamText.size() > TStreamDecoder::MaxTextLength ||
        decoder.GapText.size() > TStreamDecoder::MaxTextLength ||
        decoder.PacketText.size() > TStreamDecoder::MaxTextLength)
        __builtin_trap();
    return 0;
}
