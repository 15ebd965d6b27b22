#include "dcc_stats.h"

#include <algorithm>

void TDccStats::THost::SetChecked(TSwitch s, bool checked) {
    if (s == TSwitch::cbx_mot)
        Owner.PendingModeLetter = checked ? 'm' : 'e';
    if (s == TSwitch::cbx_mot || s == TSwitch::cbx_dcc_stream)
        THeadlessHost::SetChecked(s, checked);
}

void TDccStats::THost::SetVersionText(const std::string& text) {
    // The version is the last thing a Device info record sets.
    THeadlessHost::SetVersionText(text);
    ++Owner.DeviceInfoRecords;
    if (Owner.PendingModeLetter == 'e')
        ++Owner.DccRecords;
    else if (Owner.PendingModeLetter == 'm')
        ++Owner.MotorolaRecords;
    Owner.PendingModeLetter = 0;
    Owner.LastVersion = text;
}

TDccStats::TDccStats() : Host(*this), Decoder(Host) {
    // DCC decoding is on from the start.
    Host.THeadlessHost::SetChecked(TSwitch::cbx_dcc_stream, true);
    Decoder.PacketObserver = this;
}

void TDccStats::GapBeforePacket(std::size_t bits, bool holdsZero) {
    if (!holdsZero)
        return;
    ++GarbageGaps;
    GarbageBits += bits;
}

void TDccStats::PacketNotDecoded(std::string_view packetText, int) {
    if (packetText.find('0') != std::string_view::npos)
        ++UndecodablePackets;
}

void TDccStats::Feed(const uint8_t* bytes, std::size_t n) {
    while (n > 0) {
        // At most one chunk per call, so the chunk's place in the stream is
        // known when its packets are counted.
        const std::size_t take =
            std::min<std::size_t>(n, static_cast<std::size_t>(RxChunkSize - Rx.RxCount));
        CollectBytes(Decoder, Rx, bytes, take);
        Bytes += take;
        bytes += take;
        n -= take;
        if (PendingCount == 0)
            continue;
        // The chunk's bits end with the last entry that was not carried over.
        const uint64_t lastByte = Bytes - 1 - static_cast<uint64_t>(Rx.RxCount);
        for (std::size_t k = 0; k < PendingCount; ++k) {
            const uint64_t back = Pending[k].BitsAfter / 8;
            Count(Pending[k], lastByte >= back ? lastByte - back : 0);
        }
        PendingCount = 0;
    }
}

void TDccStats::PacketAssembled(const uint8_t* bytes, int count, int32_t preambleOnes,
                                std::size_t bitsAfter) {
    if (PendingCount == Pending.size())
        Pending.emplace_back();
    TPending& p = Pending[PendingCount++];
    p.Bytes.assign(bytes, bytes + count);
    p.Preamble = preambleOnes;
    p.BitsAfter = bitsAfter;
}

void TDccStats::Count(const TPending& p, uint64_t offset) {
    TPacketEvent e;
    e.Offset = offset;
    e.Bytes = p.Bytes.data();
    e.Count = static_cast<int>(p.Bytes.size());
    e.Preamble = p.Preamble;
    e.Class = ClassifyPacket(e.Bytes, e.Count, InServiceMode);
    e.ChecksumFailed = IsChecksumFailure(e.Bytes, e.Count);

    // Service mode starts with resets and lasts while only resets and
    // service-mode packets follow.
    const TPacketKind kind = e.Class.Kind;
    if (kind == TPacketKind::Reset)
        InServiceMode = true;
    else if (kind != TPacketKind::ServiceDirect && kind != TPacketKind::ServicePaged)
        InServiceMode = false;

    ++Packets;
    TCount& k = Kinds[static_cast<int>(kind)];
    ++k.Packets;
    if (e.ChecksumFailed) {
        ++ChecksumErrors;
        ++k.ChecksumErrors;
    }
    if (e.Class.Address.Space != TAddressSpace::None) {
        TCount& a = Addresses[e.Class.Address];
        ++a.Packets;
        if (e.ChecksumFailed)
            ++a.ChecksumErrors;
    }
    if (e.Class.Address.IsLoco()) {
        // A packet with a bad checksum counts for the locomotive but does
        // not change what it is known to do.
        Locos.emplace(e.Class.Address, TLocoState{});
        if (!e.ChecksumFailed)
            UpdateLoco(e);
    }
    ++Preambles[e.Preamble];
    const std::size_t second = static_cast<std::size_t>(offset / 1920); // 1920 bytes a second
    if (PerSecond.size() <= second)
        PerSecond.resize(second + 1, std::array<uint32_t, PacketKindCount>{});
    ++PerSecond[second][static_cast<int>(kind)];

    if (OnPacket)
        OnPacket(e);
}

namespace {

void SetFunctions(TLocoState& s, int first, int count, uint32_t bits) {
    for (int i = 0; i < count && first + i < TLocoState::FunctionCount; ++i) {
        s.FunctionsKnown.set(static_cast<std::size_t>(first + i));
        s.FunctionsOn.set(static_cast<std::size_t>(first + i), (bits >> i) & 1);
    }
}

// The 128-step speed byte: direction bit, then 0 stop, 1 emergency stop,
// 2..127 steps 1..126.
void SetSpeed128(TLocoState& s, uint8_t d) {
    s.HasSpeed = s.HasDirection = true;
    s.Forward = (d & 0x80) != 0;
    s.SpeedSteps = 126;
    const int v = d & 0x7F;
    s.Speed = v == 0 ? 0 : v == 1 ? -1 : v - 1;
}

} // namespace

void TDccStats::UpdateLoco(const TPacketEvent& e) {
    TLocoState& s = Locos[e.Class.Address];
    const int at = e.Class.Address.Space == TAddressSpace::Long ? 2 : 1;
    const uint8_t* in = e.Bytes + at;
    switch (e.Class.Kind) {
    case TPacketKind::Speed14or28: {
        // 01DCSSSS: C is the speed's lowest bit in 28-step mode.
        s.HasSpeed = s.HasDirection = true;
        s.Forward = (in[0] & 0x20) != 0;
        s.SpeedSteps = 28;
        const int step = ((in[0] & 0x0F) << 1) | ((in[0] >> 4) & 1);
        s.Speed = step < 2 ? 0 : step < 4 ? -1 : step - 3;
        break;
    }
    case TPacketKind::Speed128:
        SetSpeed128(s, in[1]);
        break;
    case TPacketKind::SpeedDirectionFunctions:
        SetSpeed128(s, in[1]);
        for (int k = 2; k < e.Count - at - 1; ++k)
            SetFunctions(s, 8 * (k - 2), 8, in[k]);
        break;
    case TPacketKind::F0toF4:
        SetFunctions(s, 0, 1, (in[0] >> 4) & 1);
        SetFunctions(s, 1, 4, in[0] & 0x0F);
        break;
    case TPacketKind::F5toF8:
        SetFunctions(s, 5, 4, in[0] & 0x0F);
        break;
    case TPacketKind::F9toF12:
        SetFunctions(s, 9, 4, in[0] & 0x0F);
        break;
    case TPacketKind::F13toF20:
        SetFunctions(s, 13, 8, in[1]);
        break;
    case TPacketKind::F21toF28:
        SetFunctions(s, 21, 8, in[1]);
        break;
    case TPacketKind::F29toF36:
    case TPacketKind::F37toF44:
    case TPacketKind::F45toF52:
    case TPacketKind::F53toF60:
    case TPacketKind::F61toF68: {
        // 0xD8..0xDC: eight functions each from F29 on.
        const int group = static_cast<int>(e.Class.Kind) - static_cast<int>(TPacketKind::F29toF36);
        SetFunctions(s, 29 + 8 * group, 8, in[1]);
        break;
    }
    default:
        break;
    }
}

std::string SpeedText(const TLocoState& s, const char* stop, const char* emergencyStop) {
    if (!s.HasSpeed)
        return "?";
    if (s.Speed == 0)
        return stop;
    if (s.Speed < 0)
        return emergencyStop;
    return std::to_string(s.Speed) + "/" + std::to_string(s.SpeedSteps);
}

std::string FunctionsText(const TLocoState& s) {
    if (s.FunctionsKnown.none())
        return "?";
    std::string text;
    for (int i = 0; i < TLocoState::FunctionCount; ++i) {
        if (!s.FunctionsOn.test(static_cast<std::size_t>(i)))
            continue;
        if (!text.empty())
            text += ' ';
        text += "F" + std::to_string(i);
    }
    return text.empty() ? "-" : text;
}
