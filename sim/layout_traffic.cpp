#include "layout_traffic.h"

#include "stream_builder.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <random>
#include <string>

namespace {

constexpr uint8_t FirmwareVersion = 118;
constexpr double InfoInterval = 5.0;
// Motorola mode: how long the device watches locomotives, then switches.
constexpr double MotorolaPhase = 30.0;
constexpr uint8_t ParameterLocos = 8;
constexpr uint8_t ParameterSwitches = 0;

// std::mt19937 gives the same numbers everywhere; the standard distributions
// do not, so the few shapes needed are made here.
class TRandom {
public:
    explicit TRandom(uint32_t seed) : Engine(seed) {}
    uint32_t Bits() { return Engine(); }
    int Below(int n) { return static_cast<int>(Engine() % static_cast<uint32_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    double Unit() { return Engine() / 4294967296.0; }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    bool Chance(double p) { return Unit() < p; }

private:
    std::mt19937 Engine;
};

// Distinct numbers from lo..hi, in the order drawn.
std::vector<int> DistinctNumbers(TRandom& rng, int count, int lo, int hi) {
    std::vector<int> out;
    while (static_cast<int>(out.size()) < count) {
        const int n = rng.Between(lo, hi);
        if (std::find(out.begin(), out.end(), n) == out.end())
            out.push_back(n);
    }
    return out;
}

// Flips each bit with the chance given by a 32-bit threshold.
class TBitFlipper {
public:
    TBitFlipper(uint32_t seed, double rate)
        : Rng(seed ^ 0x9E3779B9u),
          Threshold(static_cast<uint64_t>(std::clamp(rate, 0.0, 1.0) * 4294967296.0)) {}

    void Apply(uint8_t* bytes, std::size_t n) {
        if (Threshold == 0)
            return;
        for (std::size_t i = 0; i < n; ++i) {
            for (int bit = 0; bit < 8; ++bit) {
                if (Rng.Bits() < Threshold) {
                    bytes[i] = static_cast<uint8_t>(bytes[i] ^ (1u << bit));
                    ++Flipped;
                }
            }
        }
    }

    uint64_t Flipped = 0;

private:
    TRandom Rng;
    uint64_t Threshold;
};

// ---------------------------------------------------------------- DCC

struct TPacket {
    std::vector<uint8_t> Bytes; // without the error-detection byte
    TPacketKind Kind;
    int Preamble;
};

struct TLoco {
    int Address = 3;
    bool Long = false;
    bool Steps128 = false;
    bool Forward = true;
    int Speed = 0; // 28-step: 0..28; 128-step: 0..126
    int Target = 0;
    uint32_t Functions = 0; // bit n is Fn
    double NextAction = 0;
};

struct TTimedPackets {
    double Due;
    std::vector<TPacket> Packets;
};

class TCommandStation {
public:
    explicit TCommandStation(TRandom& rng) : Rng(rng) {
        // Half the fleet on two-digit short addresses, half on long ones
        // (four-digit road numbers); short addresses stay below 100, since
        // 112..127 read as service-mode packets to a sniffer.
        const std::vector<int> shortAddresses = DistinctNumbers(Rng, 4, 1, 99);
        const std::vector<int> longAddresses = DistinctNumbers(Rng, 4, 100, 9999);
        for (int i = 0; i < 8; ++i) {
            TLoco loco;
            loco.Long = i % 2 == 1;
            loco.Address = loco.Long ? longAddresses[i / 2] : shortAddresses[i / 2];
            // Older decoders and some throttles still run 28 steps.
            loco.Steps128 = i % 3 != 1;
            loco.Forward = Rng.Chance(0.5);
            if (Rng.Chance(0.7))
                loco.Functions |= 1; // headlights
            if (Rng.Chance(0.5))
                loco.Functions |= 1u << 1; // sound
            if (Rng.Chance(0.5))
                loco.Functions |= 1u << Rng.Between(13, 28); // a sound of the upper range
            loco.NextAction = Rng.Uniform(0.2, 4.0);
            Locos.push_back(loco);
        }
        Turnouts = DistinctNumbers(Rng, 16, 1, 120);
        NextRoute = Rng.Uniform(1.0, 4.0);
        NextNop = Rng.Uniform(0.3, 1.0);
        NextSession = Rng.Uniform(15.0, 35.0);
        NextRamp = 0.2;
    }

    TPacket NextPacket(double now) {
        if (!Session.empty())
            return Take(Session);
        RunDueEvents(now);
        if (!Session.empty())
            return Take(Session);
        // New commands go out at once but take turns with the refresh, so the
        // repeats of one command do not follow each other directly.
        if (!Urgent.empty() && !LastWasUrgent) {
            LastWasUrgent = true;
            return Take(Urgent);
        }
        LastWasUrgent = false;
        return NextRefresh();
    }

private:
    static TPacket Take(std::deque<TPacket>& queue) {
        TPacket p = std::move(queue.front());
        queue.pop_front();
        return p;
    }

    int OpsPreamble() { return Rng.Between(14, 20); }

    static std::vector<uint8_t> AddressBytes(const TLoco& loco) {
        if (loco.Long)
            return {static_cast<uint8_t>(0xC0 | (loco.Address >> 8)),
                    static_cast<uint8_t>(loco.Address & 0xFF)};
        return {static_cast<uint8_t>(loco.Address)};
    }

    TPacket SpeedPacket(const TLoco& loco) {
        std::vector<uint8_t> bytes = AddressBytes(loco);
        if (loco.Steps128) {
            // Speed 0 is stop; 1 would be emergency stop, so step n is n + 1.
            const int v = loco.Speed == 0 ? 0 : loco.Speed + 1;
            bytes.push_back(0x3F);
            bytes.push_back(static_cast<uint8_t>((loco.Forward ? 0x80 : 0) | v));
            return {bytes, TPacketKind::Speed128, OpsPreamble()};
        }
        // 01DCSSSS: five speed bits with the lowest one in C; codes 0..3 are
        // stop and emergency stop, so step n is n + 3.
        const int code = loco.Speed == 0 ? 0 : loco.Speed + 3;
        bytes.push_back(static_cast<uint8_t>(0x40 | (loco.Forward ? 0x20 : 0) | ((code & 1) << 4) |
                                             (code >> 1)));
        return {bytes, TPacketKind::Speed14or28, OpsPreamble()};
    }

    // Group 0: F0..F4, 1: F5..F8, 2: F9..F12, 3: F13..F20, 4: F21..F28.
    TPacket FunctionPacket(const TLoco& loco, int group) {
        std::vector<uint8_t> bytes = AddressBytes(loco);
        const uint32_t f = loco.Functions;
        switch (group) {
        case 0:
            bytes.push_back(static_cast<uint8_t>(0x80 | ((f & 1) << 4) | ((f >> 1) & 0x0F)));
            return {bytes, TPacketKind::F0toF4, OpsPreamble()};
        case 1:
            bytes.push_back(static_cast<uint8_t>(0xB0 | ((f >> 5) & 0x0F)));
            return {bytes, TPacketKind::F5toF8, OpsPreamble()};
        case 2:
            bytes.push_back(static_cast<uint8_t>(0xA0 | ((f >> 9) & 0x0F)));
            return {bytes, TPacketKind::F9toF12, OpsPreamble()};
        case 3:
            bytes.push_back(0xDE);
            bytes.push_back(static_cast<uint8_t>((f >> 13) & 0xFF));
            return {bytes, TPacketKind::F13toF20, OpsPreamble()};
        default:
            bytes.push_back(0xDF);
            bytes.push_back(static_cast<uint8_t>((f >> 21) & 0xFF));
            return {bytes, TPacketKind::F21toF28, OpsPreamble()};
        }
    }

    static int FunctionGroupOf(int function) {
        if (function <= 4)
            return 0;
        if (function <= 8)
            return 1;
        if (function <= 12)
            return 2;
        return function <= 20 ? 3 : 4;
    }

    // Basic accessory packet 10AAAAAA 1AAACDDD for output `output` (0 or 1)
    // of turnout number n; the decoder's address bits 6..8 are sent inverted.
    TPacket AccessoryPacket(int turnout, int output, bool on) {
        const int decoder = (turnout + 3) / 4;
        const int pair = (turnout + 3) % 4;
        const uint8_t b0 = static_cast<uint8_t>(0x80 | (decoder & 0x3F));
        const uint8_t b1 = static_cast<uint8_t>(0x80 | ((~(decoder >> 6) & 7) << 4) |
                                                (on ? 0x08 : 0) | (pair << 1) | output);
        return {{b0, b1}, TPacketKind::AccessoryBasic, OpsPreamble()};
    }

    // The accessory NOP 10AAAAAA 0AAA1AAT that opens a RailCom window for an
    // accessory decoder.
    TPacket RailComNop(int turnout) {
        const int decoder = (turnout + 3) / 4;
        const uint8_t b0 = static_cast<uint8_t>(0x80 | (decoder & 0x3F));
        const uint8_t b1 =
            static_cast<uint8_t>(((~(decoder >> 6) & 7) << 4) | 0x08 | (((turnout + 3) % 4) << 1));
        return {{b0, b1}, TPacketKind::AccessoryNop, OpsPreamble()};
    }

    TPacket NextRefresh() {
        if (RefreshIndex >= Locos.size()) {
            RefreshIndex = 0;
            ++RefreshCycle;
            return {{0xFF, 0x00}, TPacketKind::Idle, OpsPreamble()};
        }
        const TLoco& loco = Locos[RefreshIndex];
        if (!RefreshFunctionTurn) {
            RefreshFunctionTurn = true;
            return SpeedPacket(loco);
        }
        RefreshFunctionTurn = false;
        const int group = static_cast<int>((RefreshCycle + RefreshIndex) % 5);
        ++RefreshIndex;
        return FunctionPacket(loco, group);
    }

    void RunDueEvents(double now) {
        for (TLoco& loco : Locos) {
            if (now >= loco.NextAction) {
                DriverAction(loco);
                loco.NextAction = now + Rng.Uniform(3.0, 12.0);
            }
        }
        if (now >= NextRamp) {
            // The throttles' acceleration: one step every 0.2 s (three on 128
            // steps), each change sent at once.
            for (TLoco& loco : Locos) {
                if (loco.Speed == loco.Target)
                    continue;
                const int step = loco.Steps128 ? 3 : 1;
                if (loco.Speed < loco.Target)
                    loco.Speed = std::min(loco.Target, loco.Speed + step);
                else
                    loco.Speed = std::max(loco.Target, loco.Speed - step);
                Urgent.push_back(SpeedPacket(loco));
            }
            NextRamp = now + 0.2;
        }
        if (now >= NextRoute) {
            SetRoute(now);
            NextRoute = now + Rng.Uniform(2.0, 8.0);
        }
        for (auto it = Later.begin(); it != Later.end();) {
            if (now >= it->Due) {
                Urgent.insert(Urgent.end(), it->Packets.begin(), it->Packets.end());
                it = Later.erase(it);
            } else {
                ++it;
            }
        }
        if (now >= NextNop) {
            Urgent.push_back(RailComNop(
                Turnouts[static_cast<std::size_t>(Rng.Below(static_cast<int>(Turnouts.size())))]));
            NextNop = now + Rng.Uniform(0.5, 1.5);
        }
        if (now >= NextSession) {
            StartSession();
            NextSession = now + Rng.Uniform(60.0, 120.0);
        }
    }

    void DriverAction(TLoco& loco) {
        const int top = loco.Steps128 ? 126 : 28;
        const int cruiseLo = loco.Steps128 ? 30 : 8;
        const int cruiseHi = loco.Steps128 ? 100 : 22;
        if (loco.Speed == 0 && loco.Target == 0) {
            if (Rng.Chance(0.3)) {
                loco.Forward = !loco.Forward;
                Urgent.push_back(SpeedPacket(loco));
                Urgent.push_back(SpeedPacket(loco));
            }
            loco.Target = Rng.Between(cruiseLo, cruiseHi);
            return;
        }
        const double r = Rng.Unit();
        if (r < 0.3 && loco.Target != 0) {
            loco.Target = std::clamp(loco.Target + Rng.Between(-10, 10), 1, top);
        } else if (r < 0.55) {
            loco.Target = 0;
        } else {
            ToggleFunction(loco);
        }
    }

    void ToggleFunction(TLoco& loco) {
        const double r = Rng.Unit();
        int function;
        if (r < 0.15)
            function = 0;
        else if (r < 0.7)
            function = Rng.Between(1, 8);
        else if (r < 0.85)
            function = Rng.Between(9, 12);
        else
            function = Rng.Between(13, 28);
        loco.Functions ^= 1u << function;
        const int group = FunctionGroupOf(function);
        Urgent.push_back(FunctionPacket(loco, group));
        Urgent.push_back(FunctionPacket(loco, group));
    }

    // One turnout or a route of several: each output is switched on (sent
    // three times) and switched off again a moment later (sent twice).
    void SetRoute(double now) {
        const int count = Rng.Chance(0.6) ? 1 : Rng.Between(2, 4);
        for (int i = 0; i < count; ++i) {
            const int turnout =
                Turnouts[static_cast<std::size_t>(Rng.Below(static_cast<int>(Turnouts.size())))];
            const int output = Rng.Below(2);
            for (int k = 0; k < 3; ++k)
                Urgent.push_back(AccessoryPacket(turnout, output, true));
            TTimedPackets off{now + Rng.Uniform(0.1, 0.25), {}};
            for (int k = 0; k < 2; ++k)
                off.Packets.push_back(AccessoryPacket(turnout, output, false));
            Later.push_back(off);
        }
    }

    // Service mode packets 0111CCAA AAAAAAAA DDDDDDDD (direct mode) with the
    // long preamble service mode asks for.
    static TPacket ServicePacket(uint8_t cc, int cv, uint8_t data) {
        const int a = cv - 1;
        return {{static_cast<uint8_t>(0x70 | (cc << 2) | ((a >> 8) & 3)),
                 static_cast<uint8_t>(a & 0xFF), data},
                TPacketKind::ServiceDirect,
                20};
    }

    void Resets(int count) {
        for (int i = 0; i < count; ++i)
            Session.push_back({{0x00, 0x00}, TPacketKind::Reset, 20});
    }

    // Each instruction: three resets, five identical packets, six resets for
    // the decoder to recover.
    void ServiceInstruction(const TPacket& packet) {
        Resets(3);
        for (int i = 0; i < 5; ++i)
            Session.push_back(packet);
        Resets(6);
    }

    // A decoder on the programming track: the command station enters service
    // mode with a run of resets, writes a CV and reads it back, then sets a
    // bit of CV 29 and checks it.
    void StartSession() {
        Resets(20);
        static const int cvs[] = {1, 2, 3, 4, 5, 6};
        const int cv = cvs[Rng.Below(6)];
        const uint8_t value =
            static_cast<uint8_t>(cv == 1 ? Rng.Between(1, 99) : Rng.Between(0, 64));
        ServiceInstruction(ServicePacket(3, cv, value));
        ServiceInstruction(ServicePacket(1, cv, value));
        const int bit = Rng.Between(0, 7);
        const int bitValue = Rng.Below(2);
        // 111KDBBB: K 1 writes the bit, 0 verifies it.
        ServiceInstruction(
            ServicePacket(2, 29, static_cast<uint8_t>(0xF0 | (bitValue << 3) | bit)));
        ServiceInstruction(
            ServicePacket(2, 29, static_cast<uint8_t>(0xE0 | (bitValue << 3) | bit)));
    }

    TRandom& Rng;
    std::vector<TLoco> Locos;
    std::vector<int> Turnouts;
    std::deque<TPacket> Urgent;
    std::deque<TPacket> Session;
    std::vector<TTimedPackets> Later;
    bool LastWasUrgent = false;
    std::size_t RefreshIndex = 0;
    bool RefreshFunctionTurn = false;
    uint64_t RefreshCycle = 0;
    double NextRamp;
    double NextRoute;
    double NextNop;
    double NextSession;
};

// ---------------------------------------------------------------- Motorola

// A Motorola address as the track sends it: four trits, the lowest first,
// each as a bit pair (0: 00, 1: 11, open: 10). Address 80 is sent as 0.
int AddressBits(int address) {
    int v = address % 81;
    int bits = 0;
    for (int i = 0; i < 4; ++i) {
        static const int pairs[3] = {0x0, 0x3, 0x2};
        bits = (bits << 2) | pairs[v % 3];
        v /= 3;
    }
    return bits;
}

// Four data bits, the lowest first, each sent twice.
int DoubledBits(int value) {
    int bits = 0;
    for (int i = 0; i < 4; ++i)
        bits = (bits << 2) | (((value >> i) & 1) ? 0x3 : 0x0);
    return bits;
}

// The 18 bits of a Motorola packet (address, function, data, in the order
// sent) six to a byte, so that no raw byte can be 0xFF, the record's end
// mark, or 0xAA, the info record's marker. Raw[2] holds the first six bits.
void PackPacketBits(int address8, int function2, int data8, uint8_t raw[3]) {
    const int v = (address8 << 10) | (function2 << 8) | data8;
    raw[0] = static_cast<uint8_t>(v & 0x3F);
    raw[1] = static_cast<uint8_t>((v >> 6) & 0x3F);
    raw[2] = static_cast<uint8_t>((v >> 12) & 0x3F);
}

struct TMotLoco {
    int Address = 1;
    int Speed = 0; // 0..14
    int Target = 0;
    bool Function = false;
    double NextAction = 0;
};

struct TMotRecord {
    double Due;
    std::string Text;
    uint8_t Raw[3];
    bool IsSwitch;
    bool On; // a switch record's output switched on
};

class TMotorolaTrack {
public:
    explicit TMotorolaTrack(TRandom& rng) : Rng(rng) {
        for (int a : DistinctNumbers(Rng, 8, 1, 80)) {
            TMotLoco loco;
            loco.Address = a;
            loco.Function = Rng.Chance(0.7);
            loco.Target = Rng.Chance(0.6) ? Rng.Between(4, 12) : 0;
            loco.NextAction = Rng.Uniform(0.2, 4.0);
            Locos.push_back(loco);
        }
        Turnouts = DistinctNumbers(Rng, 12, 1, 120);
        NextRoute = Rng.Uniform(0.5, 2.0);
    }

    static bool WatchingLocos(double t) {
        return static_cast<uint64_t>(t / MotorolaPhase) % 2 == 0;
    }

    // The next record due at or after `from`: locomotive records while the
    // device watches locomotives, switch records while it watches switches.
    TMotRecord NextRecord(double from) {
        for (;;) {
            const double phaseEnd =
                static_cast<double>(static_cast<uint64_t>(from / MotorolaPhase) + 1) *
                MotorolaPhase;
            const bool locos = WatchingLocos(from);
            // A route is only begun when its last output is off again before
            // the device turns to locomotives, which it reports differently.
            if (!locos && Pending.empty() && std::max(from, NextRoute) + 1.0 < phaseEnd)
                ScheduleRoutes(std::max(from, NextRoute));
            auto first = std::min_element(
                Pending.begin(), Pending.end(),
                [](const TMotRecord& a, const TMotRecord& b) { return a.Due < b.Due; });
            const double locoDue = std::max(from, NextLocoRecord);
            const bool locoPossible = locos && locoDue < phaseEnd;
            if (first != Pending.end() && (!locoPossible || first->Due <= locoDue)) {
                TMotRecord r = *first;
                Pending.erase(first);
                r.Due = std::max(r.Due, from);
                return r;
            }
            if (locoPossible)
                return LocoRecord(locoDue);
            from = phaseEnd;
        }
    }

private:
    // The command station refreshes each locomotive in turn; the device
    // reports every packet pair it reads, one every 20 to 30 ms.
    TMotRecord LocoRecord(double due) {
        for (TMotLoco& loco : Locos) {
            if (due >= loco.NextAction) {
                const double r = Rng.Unit();
                if (r < 0.45)
                    loco.Target = loco.Target == 0 ? Rng.Between(4, 12) : 0;
                else if (r < 0.75)
                    loco.Target = Rng.Between(1, 14);
                else
                    loco.Function = !loco.Function;
                loco.NextAction = due + Rng.Uniform(3.0, 12.0);
            }
        }
        if (due >= NextRamp) {
            for (TMotLoco& loco : Locos) {
                if (loco.Speed < loco.Target)
                    ++loco.Speed;
                else if (loco.Speed > loco.Target)
                    --loco.Speed;
            }
            NextRamp = due + 0.5;
        }
        const TMotLoco& loco = Locos[RefreshIndex];
        RefreshIndex = (RefreshIndex + 1) % Locos.size();
        NextLocoRecord = due + Rng.Uniform(0.02, 0.03);

        TMotRecord record;
        record.Due = due;
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d", loco.Address, loco.Speed);
        record.Text = text;
        // Speed code 1 is the change of direction, so step n is n + 1.
        PackPacketBits(AddressBits(loco.Address), loco.Function ? 0x3 : 0x0,
                       DoubledBits(loco.Speed == 0 ? 0 : loco.Speed + 1), record.Raw);
        record.IsSwitch = false;
        record.On = false;
        return record;
    }

    TMotRecord SwitchRecord(double due, int turnout, int output, bool on) {
        TMotRecord record;
        record.Due = due;
        char text[16];
        std::snprintf(text, sizeof text, "%02d%c", turnout, on ? '*' : '-');
        record.Text = text;
        // Data: which of the decoder's eight outputs, and on or off.
        PackPacketBits(AddressBits((turnout - 1) / 4 + 1), 0x0,
                       DoubledBits((((turnout - 1) % 4) << 1 | output) | (on ? 8 : 0)), record.Raw);
        record.IsSwitch = true;
        record.On = on;
        return record;
    }

    // Routes of one to three turnouts every 1 to 4 s: each switched on, and
    // off again 150 to 300 ms later.
    void ScheduleRoutes(double from) {
        double at = std::max(from, NextRoute);
        const int count = Rng.Chance(0.6) ? 1 : Rng.Between(2, 3);
        for (int i = 0; i < count; ++i) {
            const int turnout =
                Turnouts[static_cast<std::size_t>(Rng.Below(static_cast<int>(Turnouts.size())))];
            const int output = Rng.Below(2);
            Pending.push_back(SwitchRecord(at, turnout, output, true));
            Pending.push_back(SwitchRecord(at + Rng.Uniform(0.15, 0.3), turnout, output, false));
            at += Rng.Uniform(0.05, 0.1);
        }
        NextRoute = at + Rng.Uniform(1.0, 4.0);
    }

    TRandom& Rng;
    std::vector<TMotLoco> Locos;
    std::vector<int> Turnouts;
    std::vector<TMotRecord> Pending;
    std::size_t RefreshIndex = 0;
    double NextLocoRecord = 0;
    double NextRamp = 0.5;
    double NextRoute;
};

} // namespace

struct TLayoutTraffic::TState {
    TState(TSimMode mode, uint32_t seed, double errorRate)
        : Mode(mode), Rng(seed), Flipper(seed, errorRate), Station(Rng), Track(Rng) {}

    TSimMode Mode;
    TRandom Rng;
    TBitFlipper Flipper;
    TCommandStation Station;
    TMotorolaTrack Track;
    TStreamBuilder Builder;
    TTrafficCounts Counts;
    double LineFree = 0; // device time at which the line is free again
    uint64_t DccBytes = 0;
    double NextInfo = 0;

    TTrafficPiece Finish(double start, std::vector<uint8_t> bytes) {
        TTrafficPiece piece;
        piece.Start = start;
        piece.Bytes = std::move(bytes);
        LineFree = start + static_cast<double>(piece.Bytes.size()) / LineBytesPerSecond;
        return piece;
    }

    std::vector<uint8_t> InfoRecord(uint8_t parameter, char mode) {
        ++Counts.DeviceInfoRecords;
        NextInfo += InfoInterval;
        return {0xAA, 0xAA, 0xAA, FirmwareVersion, parameter, static_cast<uint8_t>(mode)};
    }

    // DCC fills the line, so its clock is the count of bytes sent; counted
    // in whole bytes it does not drift.
    TTrafficPiece FinishDcc(std::vector<uint8_t> bytes) {
        const double start = static_cast<double>(DccBytes) / LineBytesPerSecond;
        DccBytes += bytes.size();
        TTrafficPiece piece = Finish(start, std::move(bytes));
        LineFree = static_cast<double>(DccBytes) / LineBytesPerSecond;
        return piece;
    }

    TTrafficPiece NextDcc() {
        const double now = LineFree;
        // The device slips its record in between two bytes of the track
        // stream, wherever the bits happen to stand.
        if (now >= NextInfo)
            return FinishDcc(InfoRecord(0, 'e'));
        std::vector<uint8_t> bytes;
        while (bytes.empty()) {
            const TPacket packet = Station.NextPacket(now);
            ++Counts.Packets[static_cast<std::size_t>(packet.Kind)];
            Builder.DccPacket(packet.Bytes, packet.Preamble);
            bytes = Builder.TakeWhole();
        }
        Flipper.Apply(bytes.data(), bytes.size());
        return FinishDcc(std::move(bytes));
    }

    TTrafficPiece EmitRecord(TMotRecord record) {
        if (!record.IsSwitch)
            ++Counts.MotorolaLocoRecords;
        else if (record.On)
            ++Counts.MotorolaSwitchOnRecords;
        else
            ++Counts.MotorolaSwitchOffRecords;
        Flipper.Apply(record.Raw, 3);
        std::vector<uint8_t> bytes(record.Text.begin(), record.Text.end());
        bytes.insert(bytes.end(), {record.Raw[0], record.Raw[1], record.Raw[2], 0xFF});
        return Finish(std::max(LineFree, record.Due), std::move(bytes));
    }

    TTrafficPiece NextMotorola() {
        if (!HasPending) {
            PendingRecord = Track.NextRecord(LineFree);
            HasPending = true;
        }
        // The info record goes first when it falls due before the record; it
        // tells which kind of record the device reports from then on, so the
        // order follows the due times even when the line is still busy.
        if (NextInfo <= PendingRecord.Due) {
            const double at = std::max(LineFree, NextInfo);
            const uint8_t parameter =
                TMotorolaTrack::WatchingLocos(NextInfo) ? ParameterLocos : ParameterSwitches;
            std::vector<uint8_t> record = InfoRecord(parameter, 'm');
            return Finish(at, std::move(record));
        }
        HasPending = false;
        return EmitRecord(PendingRecord);
    }

    TTrafficPiece Next() { return Mode == TSimMode::Dcc ? NextDcc() : NextMotorola(); }

    TMotRecord PendingRecord{};
    bool HasPending = false;
};

TLayoutTraffic::TLayoutTraffic(TSimMode mode, uint32_t seed, double errorRate)
    : State(std::make_unique<TState>(mode, seed, errorRate)) {}

TLayoutTraffic::~TLayoutTraffic() = default;

TTrafficPiece TLayoutTraffic::Next() {
    return State->Next();
}

double TLayoutTraffic::LineTime() const {
    return State->LineFree;
}

std::vector<uint8_t> TLayoutTraffic::Flush() {
    if (State->Mode != TSimMode::Dcc)
        return {};
    std::vector<uint8_t> bytes = State->Builder.Take();
    State->FinishDcc(bytes);
    return bytes;
}

const TTrafficCounts& TLayoutTraffic::Counts() const {
    return State->Counts;
}

uint64_t TLayoutTraffic::FlippedBits() const {
    return State->Flipper.Flipped;
}

std::vector<uint8_t> GenerateTraffic(TSimMode mode, uint32_t seed, std::size_t bytes) {
    TLayoutTraffic traffic(mode, seed);
    std::vector<uint8_t> out;
    out.reserve(bytes);
    while (out.size() < bytes) {
        const TTrafficPiece piece = traffic.Next();
        const std::size_t n = std::min(piece.Bytes.size(), bytes - out.size());
        out.insert(out.end(), piece.Bytes.begin(),
                   piece.Bytes.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return out;
}
