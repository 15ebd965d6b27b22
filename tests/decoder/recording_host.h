// A headless host that keeps every line, for tests.
#pragma once

#include "headless_host.h"
#include "stream_decoder.h"

#include <initializer_list>
#include <string>
#include <vector>

struct TRecordingHost : THeadlessHost {
    std::vector<std::string> Monitor;
    std::vector<std::string> Bitstream;

    TRecordingHost() {
        OnMonitorLine = [this](const std::string& l) { Monitor.push_back(l); };
        OnBitstreamLine = [this](const std::string& l) { Bitstream.push_back(l); };
        SetFixedTime("12:34:56:789");
    }

    void Check(std::initializer_list<TSwitch> switches, bool on = true) {
        for (TSwitch s : switches)
            SetChecked(s, on);
    }
};

// Bit characters of a packet: start bit, bytes with '0' separators, '1' end bit.
inline std::string PacketBits(std::initializer_list<int> bytes) {
    std::string bits;
    for (int b : bytes) {
        bits += '0';
        for (int i = 7; i >= 0; --i)
            bits += ((b >> i) & 1) ? '1' : '0';
    }
    bits += '1';
    return bits;
}

inline void Feed(TStreamDecoder& d, const std::string& bits) {
    for (char c : bits)
        d.AssembleBit(c);
}
