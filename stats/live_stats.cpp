#include "live_stats.h"

#include <algorithm>

TLiveStats::TLiveStats(std::size_t traceCapacity)
    : Capacity(std::max<std::size_t>(traceCapacity, 1)) {
    Reset();
}

void TLiveStats::Reset() {
    Counts = std::make_unique<TDccStats>();
    Counts->OnPacket = [this](const TPacketEvent& e) { Packet(e); };
    LastSeen.clear();
    SecondsCounted = LastSecond = MostInASecond = 0;
    TraceList.clear();
}

void TLiveStats::Feed(const uint8_t* bytes, std::size_t n, std::string_view time) {
    FeedTime = time;
    Counts->Feed(bytes, n);
    FeedTime = {};
    CountWholeSeconds();
}

void TLiveStats::CountWholeSeconds() {
    // A second is whole once the bytes have reached the next one; packets
    // are placed by the byte of their end bit, so none can still come for it.
    const uint64_t whole = Counts->Bytes / static_cast<uint64_t>(DeviceBytesPerSecond);
    for (; SecondsCounted < whole; ++SecondsCounted) {
        uint64_t n = 0;
        if (SecondsCounted < Counts->PerSecond.size()) {
            for (uint32_t c : Counts->PerSecond[SecondsCounted])
                n += c;
        }
        LastSecond = n;
        MostInASecond = std::max(MostInASecond, n);
    }
}

void TLiveStats::Packet(const TPacketEvent& e) {
    const TPacketAddress& address = e.Class.Address;
    if (address.Space == TAddressSpace::None)
        return;
    TAddressSeen& seen = LastSeen[address];
    seen.Time.assign(FeedTime);
    seen.Offset = e.Offset;
    if (!e.ChecksumFailed) {
        // 10AAAAAA 1AAACDDR: R the coil of output pair DD, C on;
        // 10AAAAAA 0AAA0AA1 XXXXXXXX: an extended output's aspect X.
        TAccessoryState& a = seen.Accessory;
        if (e.Class.Kind == TPacketKind::AccessoryBasic) {
            a = TAccessoryState{};
            a.Known = true;
            a.Coil = e.Bytes[1] & 0x01;
            a.On = (e.Bytes[1] & 0x08) != 0;
        } else if (e.Class.Kind == TPacketKind::AccessoryExtended) {
            a = TAccessoryState{};
            a.Known = a.Extended = true;
            a.Aspect = e.Bytes[2];
        }
    }
    if (!(address == TracedAddress))
        return;
    if (TraceList.size() == Capacity)
        TraceList.pop_front();
    TTraceEntry entry;
    entry.Time.assign(FeedTime);
    entry.Offset = e.Offset;
    entry.Bytes.assign(e.Bytes, e.Bytes + e.Count);
    entry.Kind = e.Class.Kind;
    entry.ChecksumFailed = e.ChecksumFailed;
    entry.Text = Composer.Text(e.Bytes, e.Count);
    TraceList.push_back(std::move(entry));
}

void TLiveStats::Trace(const TPacketAddress& address) {
    if (address == TracedAddress)
        return;
    TracedAddress = address;
    TraceList.clear();
}
