// The traffic of a busy model railway as the Fennox device reports it, for the
// simulated device and the benchmark. Deterministic for a given seed.
//
// DCC mode: the raw track bits of what a command station sends (locomotives
// with short and long addresses at 28 and 128 speed steps, function groups F0
// to F28, accessory outputs switched on and off, idle packets, RailCom NOPs
// and now and then a service-mode CV session), eight bits to a byte, with a
// Device info record 'e' at the start and every five seconds. The stream fills
// the line: each byte stands for 1/1920 s of device time.
//
// Motorola mode: records of what the device reads off a Motorola track, each
// ended by 0xFF. The device alternates every 30 s between watching locomotives
// (Device info record 'm' with parameter 8) and watching switches (parameter
// 0), and repeats the record every five seconds.
#pragma once

#include "packet_kinds.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

enum class TSimMode { Dcc, Motorola };

// What the device has sent so far.
struct TTrafficCounts {
    // DCC packets, by the kind the statistics give them.
    std::array<uint64_t, PacketKindCount> Packets{};
    uint64_t DeviceInfoRecords = 0;
    uint64_t MotorolaLocoRecords = 0;
    uint64_t MotorolaSwitchOnRecords = 0;
    uint64_t MotorolaSwitchOffRecords = 0;

    uint64_t operator[](TPacketKind kind) const { return Packets[static_cast<std::size_t>(kind)]; }
    bool operator==(const TTrafficCounts& o) const {
        return Packets == o.Packets && DeviceInfoRecords == o.DeviceInfoRecords &&
               MotorolaLocoRecords == o.MotorolaLocoRecords &&
               MotorolaSwitchOnRecords == o.MotorolaSwitchOnRecords &&
               MotorolaSwitchOffRecords == o.MotorolaSwitchOffRecords;
    }
};

// Bytes per second on the device's line: 19200 baud, 8N1.
constexpr double LineBytesPerSecond = 1920.0;

// Bytes the device sends back to back. Start is the device time in seconds at
// which the first one goes on the line; each byte takes 1/1920 s. A piece
// never starts before the previous one has ended.
struct TTrafficPiece {
    double Start = 0;
    std::vector<uint8_t> Bytes;
};

class TLayoutTraffic {
public:
    // errorRate: the chance of each track bit to be flipped (0 to 1). DCC
    // flips packet bits, Motorola the three raw bytes of a record; never the
    // bytes of a Device info record, which the device adds itself. The
    // errors have a generator of their own, so the traffic is the same with
    // and without them.
    TLayoutTraffic(TSimMode mode, uint32_t seed, double errorRate = 0);
    ~TLayoutTraffic();
    TLayoutTraffic(const TLayoutTraffic&) = delete;
    TLayoutTraffic& operator=(const TLayoutTraffic&) = delete;

    TTrafficPiece Next();

    // Device time at which the line is free again: where the next piece
    // starts at the earliest.
    double LineTime() const;

    // DCC: the bits of the last packet that do not fill a byte yet, completed
    // with '1' bits (which read as preamble). Empty in Motorola mode.
    std::vector<uint8_t> Flush();

    // Packets and records begun so far.
    const TTrafficCounts& Counts() const;
    uint64_t FlippedBits() const;

private:
    struct TState;
    std::unique_ptr<TState> State;
};

// The first `bytes` bytes of the stream for a mode and seed, without errors.
std::vector<uint8_t> GenerateTraffic(TSimMode mode, uint32_t seed, std::size_t bytes);
