// The kinds of DCC packet by the DCC standards (RCN-211 to -214, NMRA
// S-9.2.1) and the address a packet is for, read from its bytes alone
// (error-detection byte included): the one vocabulary of the statistics and
// the simulator. The Monitor log's own kinds (packet_classifier.cpp) are
// simpler bit tests and are not these.
#pragma once

#include <cstdint>
#include <string>

enum class TPacketKind : int {
    Idle,
    Reset,
    Speed14or28,
    Speed128,
    F0toF4,
    F5toF8,
    F9toF12,
    F13toF20,
    F21toF28,
    F29toF36,
    F37toF44,
    F45toF52,
    F53toF60,
    F61toF68,
    BinaryStateShort,
    BinaryStateLong,
    SpeedDirectionFunctions,
    AnalogFunction,
    ConsistControl,
    DecoderControl,
    CvAccessLong,
    CvAccessShort,
    CvAccessExtended,
    AccessoryBasic,
    AccessoryExtended,
    AccessoryNop,
    AccessoryCvAccess,
    ServiceDirect,
    ServicePaged,
    Logon,
    DataTransfer,
    Unknown,
};

constexpr int PacketKindCount = static_cast<int>(TPacketKind::Unknown) + 1;

// The fixed name of a kind in every output ("speed-128", "f13-f20"...).
const char* PacketKindName(TPacketKind kind);

enum class TAddressSpace : int {
    None,        // idle, service mode, logon, unknown...
    Broadcast,   // locomotive broadcast address 0
    Short,       // locomotive, 7-bit address
    Long,        // locomotive, 14-bit address
    Accessory,   // basic accessory output (as the monitor numbers switches)
    ExtAccessory // extended accessory output
};

struct TPacketAddress {
    TAddressSpace Space = TAddressSpace::None;
    int32_t Number = 0;

    bool IsLoco() const {
        return Space == TAddressSpace::Broadcast || Space == TAddressSpace::Short ||
               Space == TAddressSpace::Long;
    }
    bool operator<(const TPacketAddress& o) const {
        return Space != o.Space ? Space < o.Space : Number < o.Number;
    }
    bool operator==(const TPacketAddress& o) const {
        return Space == o.Space && Number == o.Number;
    }
};

// "short:3", "long:1234", "accessory:17", "ext-accessory:5", "broadcast";
// empty for no address.
std::string AddressKey(const TPacketAddress& address);

struct TPacketClass {
    TPacketKind Kind = TPacketKind::Unknown;
    TPacketAddress Address;
};

// Classifies the n bytes of a packet, the last being the error-detection byte.
// Service-mode packets share their first byte with short addresses 112..127;
// inServiceMode says whether the packets before this one (a reset, another
// service-mode packet) put the track into service mode.
TPacketClass ClassifyPacket(const uint8_t* bytes, int n, bool inServiceMode);

// True for a packet of 2 to 10 bytes whose bytes do not XOR to zero.
bool IsChecksumFailure(const uint8_t* bytes, int n);
// True for a packet of 2 to 10 bytes (one that has a checksum at all).
bool HasChecksum(int n);
