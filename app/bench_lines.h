// Lines for the log view benchmarks: Monitor log lines as the decoder writes
// them with the time stamp and the bits switched on, about 89 characters.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

inline std::string Bits(unsigned byte) {
    std::string s;
    for (int b = 7; b >= 0; --b)
        s.push_back((byte >> b) & 1 ? '1' : '0');
    return s;
}

// Monitor lines as the decoder writes them with the time stamp and the bits
// switched on: locomotive speeds and functions, switch commands, idle.
class TLineSource {
public:
    TLineSource() {
        unsigned seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 16) & 0x7FFF;
        };
        char text[160];
        for (int i = 0; i < 4096; ++i) {
            // Mostly speed commands, as on a busy layout; some to long
            // addresses (four bytes).
            const unsigned kind = next() % 10;
            const bool longAddress = next() % 4 == 0;
            const unsigned addr = longAddress ? 128 + next() % 9000 : 1 + next() % 99;
            const unsigned speed = next() % 29;
            std::string packet = longAddress ? "4 Bytes  <" + Bits(0xC0 | (addr >> 8)) + " " +
                                                   Bits(addr & 0xFF) + " "
                                             : "3 Bytes  <" + Bits(addr) + " ";
            packet += Bits(0x40 | (speed & 0x1F)) + " " + Bits(next() & 0xFF) + "> ";
            if (kind < 7) {
                std::snprintf(text, sizeof text, "Lok %5u (28 Step) %s  Speed %3u ", addr,
                              next() % 2 ? "Vorw."
                                         : "R\xFC"
                                           "ckw.",
                              speed);
            } else if (kind < 9) {
                std::snprintf(text, sizeof text, "Lok %5u F0-F4: %u%u%u%u%u ", addr, next() % 2,
                              next() % 2, next() % 2, next() % 2, next() % 2);
            } else {
                std::snprintf(text, sizeof text, "Schalten %4u %s %s ", addr * 4 + next() % 4,
                              next() % 2 ? "gerade" : "abzweig", next() % 2 ? "ON " : "OFF");
            }
            Bodies.push_back(packet + text);
        }
    }
    // The next line, with a clock that runs 3 ms per packet.
    const std::string& Next() {
        const unsigned long ms = Count * 3;
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, "%02lu:%02lu:%02lu:%03lu  ", (ms / 3600000) % 24,
                      (ms / 60000) % 60, (ms / 1000) % 60, ms % 1000);
        Line.assign(stamp);
        Line.append(Bodies[Count % Bodies.size()]);
        ++Count;
        return Line;
    }

private:
    std::vector<std::string> Bodies;
    std::string Line;
    unsigned long Count = 0;
};

} // namespace bench
