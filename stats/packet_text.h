// The Monitor log's text of one DCC packet, as the window shows it with every
// kind's switch on and no prefix, filter or repeat suppression: what a trace
// of one address shows beside each packet's bytes.
#pragma once

#include "headless_host.h"
#include "stream_decoder.h"

#include <cstdint>
#include <string>

class TPacketTextComposer {
public:
    TPacketTextComposer();
    TPacketTextComposer(const TPacketTextComposer&) = delete;
    TPacketTextComposer& operator=(const TPacketTextComposer&) = delete;

    // The packet's bytes, error byte included; empty where the window shows
    // no text for it (an unclassified packet). A packet too short or too long
    // to decode is a "Schrott: " line.
    std::string Text(const uint8_t* bytes, int count);

private:
    THeadlessHost Host;
    TStreamDecoder Decoder;
    std::string Line;
    std::string PacketText;
};
