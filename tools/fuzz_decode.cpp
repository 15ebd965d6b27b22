// libFuzzer target: any byte stream, any switch states and filter texts, fed
// through the receive loop's collection step in pieces of varying size. The
// input layout is in fuzz_input.h.
#include "fuzz_input.h"
#include "headless_host.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    TFuzzInput input;
    if (!ReadFuzzInput(data, size, input))
        return 0;
    THeadlessHost host;
    for (int i = 0; i < SwitchCount; ++i)
        host.SetChecked(static_cast<TSwitch>(i), input.SwitchOn(i));
    host.SetMinText(input.MinText);
    host.SetMaxText(input.MaxText);
    host.SetFixedTime("12:34:56:789");
    std::size_t lineBytes = 0;
    host.OnMonitorLine = [&](const std::string& l) { lineBytes += l.size(); };
    host.OnBitstreamLine = [&](const std::string& l) { lineBytes += l.size(); };

    TStreamDecoder decoder(host);
    TRxBuffer rx;
    TFuzzPieces pieces(input.PieceSeed);
    for (std::size_t at = 0; at < input.StreamSize;) {
        const std::size_t n = pieces.Next(input.StreamSize - at);
        CollectBytes(decoder, rx, input.Stream + at, n);
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
