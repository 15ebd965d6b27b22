// Decoder throughput: a large generated stream of realistic traffic decoded
// with every display switch on, through the receive loop's collection step.
// Prints MB/s of input and lines/s. A program, not a test: figures depend on
// the machine.
#include "headless_host.h"
#include "rx_collector.h"
#include "stream_builder.h"
#include "stream_decoder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

std::vector<uint8_t> GenerateTraffic(std::size_t targetBytes, unsigned seed) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    TStreamBuilder b;
    std::vector<uint8_t> out;
    while (out.size() < targetBytes) {
        for (int i = 0; i < 1000; ++i) {
            const int preamble = 14 + pick(7);
            const uint8_t shortAddr = static_cast<uint8_t>(1 + pick(99));
            const uint8_t longHi = static_cast<uint8_t>(0xC0 | pick(0x28));
            const uint8_t longLo = static_cast<uint8_t>(pick(256));
            switch (pick(10)) {
            case 0:
                b.Packet({0xFF, 0x00, 0xFF}, preamble);
                break;
            case 1:
                b.DccPacket({shortAddr, static_cast<uint8_t>(0x40 | pick(64))}, preamble);
                break;
            case 2:
                b.DccPacket({longHi, longLo, 0x3F, static_cast<uint8_t>(pick(256))}, preamble);
                break;
            case 3:
                b.DccPacket({shortAddr, static_cast<uint8_t>(0x80 | pick(64))}, preamble);
                break;
            case 4:
                b.DccPacket({longHi, longLo, static_cast<uint8_t>(0xDE + pick(2)),
                             static_cast<uint8_t>(pick(256))},
                            preamble);
                break;
            case 5:
                b.DccPacket(
                    {static_cast<uint8_t>(0x80 | pick(64)), static_cast<uint8_t>(0x80 | pick(128))},
                    preamble);
                break;
            case 6:
                b.DccPacket(
                    {static_cast<uint8_t>(0x80 | pick(64)), static_cast<uint8_t>(0x08 | pick(8))},
                    preamble);
                break;
            case 7:
                b.DccPacket({static_cast<uint8_t>(0x7C | pick(4)), static_cast<uint8_t>(pick(256)),
                             static_cast<uint8_t>(pick(256))},
                            20);
                break;
            case 8:
                b.DccPacket({0x00, 0x00}, 20);
                break;
            default:
                b.DccPacket({shortAddr, 0x3F, static_cast<uint8_t>(pick(256))}, preamble);
                break;
            }
        }
        const std::vector<uint8_t> part = b.Take();
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    const std::vector<uint8_t> stream = GenerateTraffic(megabytes << 20, 1);

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
