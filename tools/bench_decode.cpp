// Decoder throughput: a large stream of the simulated device's layout traffic
// (the same generator as fennox-sim) decoded with every display switch on,
// through the receive loop's collection step. Prints MB/s of input and
// lines/s. A program, not a test: figures depend on the machine.
#include "headless_host.h"
#include "layout_traffic.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const std::vector<uint8_t> stream = GenerateTraffic(TSimMode::Dcc, 1, megabytes << 20);

    THeadlessHost host;
    for (int i = 0; i < SwitchCount; ++i)
        host.SetChecked(static_cast<TSwitch>(i), true);
    // Motorola collection would read DCC bytes as records; the device never
    // announces both modes at once.
    host.SetChecked(TSwitch::cbx_mot, false);
    std::size_t monitorLines = 0, bitstreamLines = 0, outputBytes = 0;
    host.OnMonitorLine = [&](const std::string& l) {
        ++monitorLines;
        outputBytes += l.size() + 1;
    };
    host.OnBitstreamLine = [&](const std::string& l) {
        ++bitstreamLines;
        outputBytes += l.size() + 1;
    };

    TStreamDecoder decoder(host);
    TRxBuffer rx;
    const auto start = std::chrono::steady_clock::now();
    // Feed in tick-sized reads, as the receive loop does.
    for (std::size_t at = 0; at < stream.size(); at += 255) {
        const std::size_t n = std::min<std::size_t>(255, stream.size() - at);
        CollectBytes(decoder, rx, stream.data() + at, n);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    const double mb = static_cast<double>(stream.size()) / 1e6;
    const double lines = static_cast<double>(monitorLines + bitstreamLines);
    std::printf("input            %.1f MB (%zu bytes)\n", mb, stream.size());
    std::printf("lines            %zu Monitor log, %zu Bitstream log, %.1f MB of text\n",
                monitorLines, bitstreamLines, static_cast<double>(outputBytes) / 1e6);
    std::printf("time             %.3f s\n", seconds);
    std::printf("throughput       %.1f MB/s of input (%.0fx the device's 1920 bytes/s)\n",
                mb / seconds, mb * 1e6 / seconds / 1920.0);
    std::printf("lines per second %.0f\n", lines / seconds);
    return 0;
}
