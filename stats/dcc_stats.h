// Counts what a recording of the device holds: the bytes go through the
// receive loop's collection step and the decoder, exactly as in
// fennox-decode, and every packet the bit assembler completes is counted.
#pragma once

#include "headless_host.h"
#include "packet_kinds.h"
#include "rx_collector.h"
#include "stream_decoder.h"

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// One byte on the line lasts 1/1920 s (19200 baud, 8N1).
constexpr double DeviceBytesPerSecond = 1920.0;

struct TCount {
    uint64_t Packets = 0;
    uint64_t ChecksumErrors = 0;
};

// The last state seen of a locomotive, from packets with a good checksum.
struct TLocoState {
    static constexpr int FunctionCount = 69; // F0..F68
    bool HasSpeed = false;
    int SpeedSteps = 0; // 28 or 126
    int Speed = 0;      // 0 stop, -1 emergency stop, else the step
    bool HasDirection = false;
    bool Forward = false;
    std::bitset<FunctionCount> FunctionsKnown;
    std::bitset<FunctionCount> FunctionsOn;
};

struct TPacketEvent {
    uint64_t Offset = 0; // the stream byte that held the packet's end bit
    const uint8_t* Bytes = nullptr;
    int Count = 0;
    int32_t Preamble = 0;
    TPacketClass Class;
    bool ChecksumFailed = false;
};

class TDccStats : private TPacketObserver {
public:
    TDccStats();
    TDccStats(const TDccStats&) = delete;
    TDccStats& operator=(const TDccStats&) = delete;

    // Any bytes, in any pieces.
    void Feed(const uint8_t* bytes, std::size_t n);

    // Called for every packet once its place in the stream is known.
    std::function<void(const TPacketEvent&)> OnPacket;

    uint64_t Bytes = 0;
    // Bytes still in the collection buffer: never decoded, not counted.
    uint64_t BytesHeldBack() const { return static_cast<uint64_t>(Rx.RxCount); }
    uint64_t Packets = 0;
    uint64_t ChecksumErrors = 0;
    std::array<TCount, PacketKindCount> Kinds{};
    std::map<TPacketAddress, TCount> Addresses;
    std::map<TPacketAddress, TLocoState> Locos;
    std::map<int32_t, uint64_t> Preambles;
    // Gaps between packets that hold a '0' (the monitor's "Schrott" lines
    // of gaps) and the bits in them, as many as the decoder keeps of a gap.
    uint64_t GarbageGaps = 0;
    uint64_t GarbageBits = 0;
    // Packets too short or too long to decode that the monitor shows as
    // "Schrott" lines: all but those whose bits are all ones (a one-byte
    // packet 0xFF), which it shows as a preamble.
    uint64_t UndecodablePackets = 0;
    uint64_t DeviceInfoRecords = 0;
    uint64_t DccRecords = 0;      // mode 'e'
    uint64_t MotorolaRecords = 0; // mode 'm'
    std::string LastVersion;
    uint64_t MotorolaLines = 0; // Motorola records decoded while in that mode
    // Packets per second of device time, by kind.
    std::vector<std::array<uint32_t, PacketKindCount>> PerSecond;

    bool DccDecoding() const { return Host.IsChecked(TSwitch::cbx_dcc_stream); }
    bool MotorolaDecoding() const { return Host.IsChecked(TSwitch::cbx_mot); }

private:
    // Mode switches from Device info records reach the decoder as in the
    // window; the display switches stay off, so the only lines are those of
    // Motorola records.
    class THost : public THeadlessHost {
    public:
        explicit THost(TDccStats& owner) : Owner(owner) {}
        void SetChecked(TSwitch s, bool checked) override;
        void SetVersionText(const std::string& text) override;
        void AppendMonitorLine(std::string_view) override { ++Owner.MotorolaLines; }

    private:
        TDccStats& Owner;
    };

    struct TPending {
        std::vector<uint8_t> Bytes;
        int32_t Preamble = 0;
        std::size_t BitsAfter = 0;
    };

    void PacketAssembled(const uint8_t* bytes, int count, int32_t preambleOnes,
                         std::size_t bitsAfter) override;
    void GapBeforePacket(std::size_t bits, bool holdsZero) override;
    void PacketNotDecoded(std::string_view packetText, int byteCount) override;
    void Count(const TPending& p, uint64_t offset);
    void UpdateLoco(const TPacketEvent& e);

    THost Host;
    TStreamDecoder Decoder;
    TRxBuffer Rx;
    std::vector<TPending> Pending;
    std::size_t PendingCount = 0;
    bool InServiceMode = false;
    int PendingModeLetter = 0;
};

// "12/28", "stop", "e-stop", "?"; the words for a stop may be given.
std::string SpeedText(const TLocoState& s, const char* stop = "stop",
                      const char* emergencyStop = "e-stop");
// "F0 F4 F13", "-" when none is on, "?" when none is known.
std::string FunctionsText(const TLocoState& s);
