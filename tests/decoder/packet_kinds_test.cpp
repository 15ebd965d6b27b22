// The kinds and addresses of packets, one worked example per kind, bytes as
// they go on the track with the error-detection byte last.
#include "packet_kinds.h"

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

struct TExample {
    const char* What;
    std::vector<uint8_t> Bytes;
    bool InServiceMode;
    TPacketKind Kind;
    const char* Address;
};

const TExample Examples[] = {
    {"idle", {0xFF, 0x00, 0xFF}, false, TPacketKind::Idle, ""},
    {"decoder reset to all", {0x00, 0x00, 0x00}, false, TPacketKind::Reset, ""},
    {"loco 55, 28 steps, step 6 forward",
     {0x37, 0x74, 0x43},
     false,
     TPacketKind::Speed14or28,
     "short:55"},
    {"broadcast stop", {0x00, 0x60, 0x60}, false, TPacketKind::Speed14or28, "broadcast"},
    {"long 1234, 28 steps", {0xC4, 0xD2, 0x60, 0x76}, false, TPacketKind::Speed14or28, "long:1234"},
    {"128 steps, step 4 forward",
     {0x03, 0x3F, 0x85, 0xB9},
     false,
     TPacketKind::Speed128,
     "short:3"},
    {"F0 on", {0x03, 0x90, 0x93}, false, TPacketKind::F0toF4, "short:3"},
    {"F5 on", {0x03, 0xB1, 0xB2}, false, TPacketKind::F5toF8, "short:3"},
    {"F10 on", {0x03, 0xA2, 0xA1}, false, TPacketKind::F9toF12, "short:3"},
    {"F13 on", {0x03, 0xDE, 0x01, 0xDC}, false, TPacketKind::F13toF20, "short:3"},
    {"F28 on", {0x03, 0xDF, 0x80, 0x5C}, false, TPacketKind::F21toF28, "short:3"},
    {"F29 on", {0x03, 0xD8, 0x01, 0xDA}, false, TPacketKind::F29toF36, "short:3"},
    {"F37 on", {0x03, 0xD9, 0x01, 0xDB}, false, TPacketKind::F37toF44, "short:3"},
    {"F45 on", {0x03, 0xDA, 0x01, 0xD8}, false, TPacketKind::F45toF52, "short:3"},
    {"F53 on", {0x03, 0xDB, 0x01, 0xD9}, false, TPacketKind::F53toF60, "short:3"},
    {"F68 on", {0x03, 0xDC, 0x80, 0x5F}, false, TPacketKind::F61toF68, "short:3"},
    {"binary state 5 on, short form",
     {0x03, 0xDD, 0x85, 0x5B},
     false,
     TPacketKind::BinaryStateShort,
     "short:3"},
    {"binary state 133 on, long form",
     {0x03, 0xC0, 0x85, 0x01, 0x47},
     false,
     TPacketKind::BinaryStateLong,
     "short:3"},
    {"speed, direction and F0",
     {0x03, 0x3C, 0x85, 0x01, 0xBB},
     false,
     TPacketKind::SpeedDirectionFunctions,
     "short:3"},
    {"analog function 1",
     {0x03, 0x3D, 0x01, 0x80, 0xBF},
     false,
     TPacketKind::AnalogFunction,
     "short:3"},
    {"consist address 5", {0x03, 0x12, 0x05, 0x14}, false, TPacketKind::ConsistControl, "short:3"},
    {"decoder reset to loco 3", {0x03, 0x00, 0x03}, false, TPacketKind::DecoderControl, "short:3"},
    {"write CV 29 = 6 on the main",
     {0x03, 0xEC, 0x1C, 0x06, 0xF5},
     false,
     TPacketKind::CvAccessLong,
     "short:3"},
    {"acceleration 16, short form",
     {0x03, 0xF2, 0x10, 0xE1},
     false,
     TPacketKind::CvAccessShort,
     "short:3"},
    {"read CV 29, extended form",
     {0x03, 0xE4, 0x00, 0x00, 0x1C, 0xFB},
     false,
     TPacketKind::CvAccessExtended,
     "short:3"},
    {"switch 1 on", {0x81, 0xF8, 0x79}, false, TPacketKind::AccessoryBasic, "accessory:1"},
    {"switch 8 off, decoder 2",
     {0x82, 0xF7, 0x75},
     false,
     TPacketKind::AccessoryBasic,
     "accessory:8"},
    {"switch 1791, decoder 448",
     {0x80, 0x8D, 0x0D},
     false,
     TPacketKind::AccessoryBasic,
     "accessory:1791"},
    {"extended accessory 1, aspect 5",
     {0x81, 0x71, 0x05, 0xF5},
     false,
     TPacketKind::AccessoryExtended,
     "ext-accessory:1"},
    {"accessory NOP", {0x81, 0x78, 0xF9}, false, TPacketKind::AccessoryNop, "accessory:1"},
    {"extended accessory NOP",
     {0x81, 0x79, 0xF8},
     false,
     TPacketKind::AccessoryNop,
     "ext-accessory:1"},
    {"accessory write CV 29",
     {0x81, 0xF8, 0xEC, 0x1C, 0x06, 0x8F},
     false,
     TPacketKind::AccessoryCvAccess,
     "accessory:1"},
    {"service mode: write CV 29 = 6",
     {0x7C, 0x1C, 0x06, 0x66},
     true,
     TPacketKind::ServiceDirect,
     ""},
    {"service mode: page 1", {0x7D, 0x01, 0x7C}, true, TPacketKind::ServicePaged, ""},
    {"the same bytes on the main: loco 124",
     {0x7C, 0x1C, 0x06, 0x66},
     false,
     TPacketKind::Unknown,
     "short:124"},
    {"logon enable", {0xFE, 0xF0, 0x00, 0x00, 0x00, 0x0E}, false, TPacketKind::Logon, ""},
    {"data transfer", {0xFD, 0x01, 0xFC}, false, TPacketKind::DataTransfer, ""},
    {"reserved address 232", {0xE8, 0x00, 0xE8}, false, TPacketKind::Unknown, ""},
    {"speed packet one byte too long",
     {0x03, 0x60, 0x00, 0x63},
     false,
     TPacketKind::Unknown,
     "short:3"},
    {"one byte", {0xA5}, false, TPacketKind::Unknown, ""},
};

class PacketKinds : public ::testing::TestWithParam<TExample> {};

} // namespace

TEST_P(PacketKinds, KindAndAddress) {
    const TExample& e = GetParam();
    const TPacketClass c =
        ClassifyPacket(e.Bytes.data(), static_cast<int>(e.Bytes.size()), e.InServiceMode);
    EXPECT_STREQ(PacketKindName(c.Kind), PacketKindName(e.Kind)) << e.What;
    EXPECT_EQ(AddressKey(c.Address), e.Address) << e.What;
    // Every example but the one-byte packet has a good checksum.
    EXPECT_FALSE(IsChecksumFailure(e.Bytes.data(), static_cast<int>(e.Bytes.size()))) << e.What;
}

INSTANTIATE_TEST_SUITE_P(Examples, PacketKinds, ::testing::ValuesIn(Examples));

TEST(PacketKindNames, EveryKindHasOneName) {
    std::set<std::string> names;
    for (int k = 0; k < PacketKindCount; ++k)
        names.insert(PacketKindName(static_cast<TPacketKind>(k)));
    EXPECT_EQ(names.size(), static_cast<std::size_t>(PacketKindCount));
}

TEST(Checksum, FailureOnlyForTwoToTenBytesThatDoNotXorToZero) {
    const uint8_t bad[] = {0x03, 0x60, 0x64};
    EXPECT_TRUE(IsChecksumFailure(bad, 3));
    EXPECT_FALSE(IsChecksumFailure(bad, 1));
    const uint8_t eleven[11] = {1};
    EXPECT_TRUE(IsChecksumFailure(eleven, 10));
    EXPECT_FALSE(IsChecksumFailure(eleven, 11));
}
