#include "packet_kinds.h"

namespace {

const char* const KindNames[PacketKindCount] = {
    "idle",
    "reset",
    "speed-14-28",
    "speed-128",
    "f0-f4",
    "f5-f8",
    "f9-f12",
    "f13-f20",
    "f21-f28",
    "f29-f36",
    "f37-f44",
    "f45-f52",
    "f53-f60",
    "f61-f68",
    "binary-state-short",
    "binary-state-long",
    "speed-direction-functions",
    "analog-function",
    "consist-control",
    "decoder-control",
    "cv-access-long",
    "cv-access-short",
    "cv-access-extended",
    "accessory-basic",
    "accessory-extended",
    "accessory-nop",
    "accessory-cv-access",
    "service-direct",
    "service-paged",
    "logon",
    "data-transfer",
    "unknown",
};

// The kind of a multi-function decoder instruction, given the instruction
// bytes that follow the address (error-detection byte excluded).
TPacketKind ClassifyInstruction(const uint8_t* in, int len) {
    if (len < 1)
        return TPacketKind::Unknown;
    const uint8_t I = in[0];
    switch (I >> 5) {
    case 0: // 000: decoder and consist control
        if ((I & 0xF0) == 0x00)
            return len <= 2 ? TPacketKind::DecoderControl : TPacketKind::Unknown;
        if ((I & 0xFE) == 0x12)
            return len == 2 ? TPacketKind::ConsistControl : TPacketKind::Unknown;
        return TPacketKind::Unknown;
    case 1: // 001: advanced operations
        if (I == 0x3F)
            return len == 2 ? TPacketKind::Speed128 : TPacketKind::Unknown;
        if (I == 0x3D)
            return len == 3 ? TPacketKind::AnalogFunction : TPacketKind::Unknown;
        if (I == 0x3C)
            return len >= 3 && len <= 6 ? TPacketKind::SpeedDirectionFunctions
                                        : TPacketKind::Unknown;
        return TPacketKind::Unknown;
    case 2: // 01DCSSSS: speed and direction, 14 or 28 steps
    case 3:
        return len == 1 ? TPacketKind::Speed14or28 : TPacketKind::Unknown;
    case 4: // 100DDDDD: F0 and F1..F4
        return len == 1 ? TPacketKind::F0toF4 : TPacketKind::Unknown;
    case 5: // 1011DDDD F5..F8, 1010DDDD F9..F12
        if (len != 1)
            return TPacketKind::Unknown;
        return (I & 0x10) ? TPacketKind::F5toF8 : TPacketKind::F9toF12;
    case 6: // 110: feature expansion
        if (len == 2) {
            switch (I) {
            case 0xDD:
                return TPacketKind::BinaryStateShort;
            case 0xDE:
                return TPacketKind::F13toF20;
            case 0xDF:
                return TPacketKind::F21toF28;
            case 0xD8:
                return TPacketKind::F29toF36;
            case 0xD9:
                return TPacketKind::F37toF44;
            case 0xDA:
                return TPacketKind::F45toF52;
            case 0xDB:
                return TPacketKind::F53toF60;
            case 0xDC:
                return TPacketKind::F61toF68;
            default:
                return TPacketKind::Unknown;
            }
        }
        if (len == 3 && I == 0xC0)
            return TPacketKind::BinaryStateLong;
        return TPacketKind::Unknown;
    default: // 111: configuration variable access
        if ((I & 0xF0) == 0xF0)
            return len == 2 || len == 3 ? TPacketKind::CvAccessShort : TPacketKind::Unknown;
        // 1110CCVV VVVVVVVV DDDDDDDD; the extended form carries a 24-bit CV
        // number after 1110CCSS and so is longer.
        if (len == 3 && (I & 0x0C) != 0)
            return TPacketKind::CvAccessLong;
        if (len >= 4 && len <= 8)
            return TPacketKind::CvAccessExtended;
        return TPacketKind::Unknown;
    }
}

// The 9-bit accessory decoder address: six bits of the first byte, three
// sent inverted in the second.
int32_t AccessoryDecoder(uint8_t b0, uint8_t b1) {
    return (b0 & 0x3F) | (((~b1 >> 4) & 0x07) << 6);
}

// Output numbers as the monitor counts switches: decoder 1 pair 0 is 1.
int32_t AccessoryOutput(uint8_t b0, uint8_t b1) {
    return 4 * (AccessoryDecoder(b0, b1) - 1) + ((b1 >> 1) & 0x03) + 1;
}

TPacketClass ClassifyAccessory(const uint8_t* b, int n) {
    TPacketClass c;
    const uint8_t b1 = b[1];
    const bool basic = (b1 & 0x80) != 0;
    c.Address = {basic ? TAddressSpace::Accessory : TAddressSpace::ExtAccessory,
                 AccessoryOutput(b[0], b1)};
    if (basic) {
        // 10AAAAAA 1AAACDDD, or followed by 1110CCVV VVVVVVVV DDDDDDDD.
        if (n == 3)
            c.Kind = TPacketKind::AccessoryBasic;
        else if (n >= 6 && (b[2] & 0xF0) == 0xE0)
            c.Kind = TPacketKind::AccessoryCvAccess;
        return c;
    }
    if (b1 & 0x08) {
        // 10AAAAAA 0AAA1AAT: the NOP for basic (T = 0) and extended decoders.
        if (n == 3) {
            c.Kind = TPacketKind::AccessoryNop;
            if ((b1 & 0x01) == 0)
                c.Address.Space = TAddressSpace::Accessory;
        }
        return c;
    }
    if ((b1 & 0x01) == 0)
        return c; // 0AAA0AA0 is not given a meaning
    // 10AAAAAA 0AAA0AA1 DDDDDDDD, or followed by a CV access.
    if (n == 4)
        c.Kind = TPacketKind::AccessoryExtended;
    else if (n >= 6 && (b[2] & 0xF0) == 0xE0)
        c.Kind = TPacketKind::AccessoryCvAccess;
    return c;
}

} // namespace

const char* PacketKindName(TPacketKind kind) {
    return KindNames[static_cast<int>(kind)];
}

std::string AddressKey(const TPacketAddress& address) {
    const std::string number = std::to_string(address.Number);
    switch (address.Space) {
    case TAddressSpace::None:
        return std::string();
    case TAddressSpace::Broadcast:
        return "broadcast";
    case TAddressSpace::Short:
        return "short:" + number;
    case TAddressSpace::Long:
        return "long:" + number;
    case TAddressSpace::Accessory:
        return "accessory:" + number;
    case TAddressSpace::ExtAccessory:
        return "ext-accessory:" + number;
    }
    return std::string();
}

bool HasChecksum(int n) {
    return n >= 2 && n <= 10;
}

bool IsChecksumFailure(const uint8_t* bytes, int n) {
    if (!HasChecksum(n))
        return false;
    uint8_t x = 0;
    for (int i = 0; i < n; ++i)
        x ^= bytes[i];
    return x != 0;
}

TPacketClass ClassifyPacket(const uint8_t* b, int n, bool inServiceMode) {
    TPacketClass c;
    if (n < 2)
        return c;
    const uint8_t b0 = b[0];
    if (b0 == 0xFF) {
        if (n == 3 && b[1] == 0x00)
            c.Kind = TPacketKind::Idle;
        return c;
    }
    if (b0 == 0xFE) {
        c.Kind = TPacketKind::Logon;
        return c;
    }
    if (b0 == 0xFD) {
        c.Kind = TPacketKind::DataTransfer;
        return c;
    }
    if (b0 >= 0xE8)
        return c; // reserved addresses
    if ((b0 & 0xC0) == 0x80)
        return ClassifyAccessory(b, n);
    if (b0 == 0x00 && n == 3 && b[1] == 0x00) {
        c.Kind = TPacketKind::Reset;
        return c;
    }
    if (inServiceMode && (b0 & 0xF0) == 0x70) {
        // 0111CCAA AAAAAAAA DDDDDDDD (direct) or 0111CRRR DDDDDDDD (paged
        // and register mode).
        if (n == 4 && (b0 & 0x0C) != 0)
            c.Kind = TPacketKind::ServiceDirect;
        else if (n == 3)
            c.Kind = TPacketKind::ServicePaged;
        return c;
    }
    int addressBytes = 1;
    if (b0 == 0x00) {
        c.Address = {TAddressSpace::Broadcast, 0};
    } else if (b0 < 0x80) {
        c.Address = {TAddressSpace::Short, b0};
    } else {
        addressBytes = 2;
        c.Address = {TAddressSpace::Long, ((b0 & 0x3F) << 8) | b[1]};
    }
    c.Kind = ClassifyInstruction(b + addressBytes, n - addressBytes - 1);
    return c;
}
