// The statistics of a reception while it runs: fennox-stats' counts of the
// bytes received so far (the same TDccStats, fed the same way, so its reports
// are those fennox-stats gives for a recording of these bytes), and what a
// person watching wants besides: when each address was last seen, the last
// state of each accessory output, the packets of the last whole second and
// of the busiest one, and the newest packets of one address.
#pragma once

#include "dcc_stats.h"
#include "packet_text.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The last command an accessory output was given, from packets with a good
// checksum.
struct TAccessoryState {
    bool Known = false;
    // Basic outputs: the coil (bit 0 of the command, "R" 0 or "G" 1 as the
    // Monitor log names them) and whether it is switched on; extended ones:
    // the aspect byte.
    bool Extended = false;
    int Coil = 0;
    bool On = false;
    int Aspect = 0;
};

struct TAddressSeen {
    // The caller's clock when the last packet's bytes arrived.
    std::string Time;
    uint64_t Offset = 0;
    TAccessoryState Accessory;
};

struct TTraceEntry {
    std::string Time;
    uint64_t Offset = 0;
    std::vector<uint8_t> Bytes;
    TPacketKind Kind = TPacketKind::Unknown;
    bool ChecksumFailed = false;
    // What the Monitor log shows for the packet (Latin-1).
    std::string Text;
};

class TLiveStats {
public:
    // The trace keeps the newest traceCapacity packets.
    explicit TLiveStats(std::size_t traceCapacity = 2000);
    TLiveStats(const TLiveStats&) = delete;
    TLiveStats& operator=(const TLiveStats&) = delete;

    // Bytes as they were received, in any pieces; time is the caller's
    // clock at their arrival ("hh:nn:ss:zzz"), given to the packets they
    // complete.
    void Feed(const uint8_t* bytes, std::size_t n, std::string_view time);
    // Starts counting afresh, as if no byte had come; the trace keeps its
    // address and loses its packets.
    void Reset();

    const TDccStats& Stats() const { return *Counts; }
    const std::map<TPacketAddress, TAddressSeen>& Seen() const { return LastSeen; }
    // Packets in the last whole second of device time, and in the busiest.
    uint64_t PacketsLastSecond() const { return LastSecond; }
    uint64_t MostPacketsPerSecond() const { return MostInASecond; }

    // Follows one address from now on; a new address starts an empty trace.
    void Trace(const TPacketAddress& address);
    bool Tracing() const { return TracedAddress.Space != TAddressSpace::None; }
    const TPacketAddress& TracedAt() const { return TracedAddress; }
    // Oldest first.
    const std::deque<TTraceEntry>& TraceEntries() const { return TraceList; }
    std::size_t TraceCapacity() const { return Capacity; }

private:
    void Packet(const TPacketEvent& e);
    void CountWholeSeconds();

    std::unique_ptr<TDccStats> Counts;
    std::map<TPacketAddress, TAddressSeen> LastSeen;
    std::string_view FeedTime;
    uint64_t SecondsCounted = 0;
    uint64_t LastSecond = 0;
    uint64_t MostInASecond = 0;

    TPacketAddress TracedAddress;
    std::deque<TTraceEntry> TraceList;
    std::size_t Capacity;
    TPacketTextComposer Composer;
};
