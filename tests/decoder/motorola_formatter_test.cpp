#include "recording_host.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Motorola : ::testing::Test {
    TRecordingHost host;
    TStreamDecoder d{host};

    std::vector<std::string> Switch(const std::vector<int32_t>& e) {
        host.Monitor.clear();
        d.FormatMotorolaSwitch(e.data(), static_cast<int>(e.size()));
        return host.Monitor;
    }
    std::vector<std::string> Loco(const std::vector<int32_t>& e) {
        host.Monitor.clear();
        d.FormatMotorolaLoco(e.data(), static_cast<int>(e.size()));
        return host.Monitor;
    }
    using L = std::vector<std::string>;
};

const std::vector<int32_t> Record12 = {'1', '2', '*', 0x05, 0x80, 0xC0};

} // namespace

TEST_F(Motorola, SwitchAndLocomotiveLines) {
    EXPECT_EQ(Switch(Record12), L{"Schalten 12* EIN "});
    EXPECT_EQ(Loco(Record12), L{"Lok 12*"});
    host.SetChecked(TSwitch::cbx_binaer, true);
    EXPECT_EQ(Switch(Record12), L{"<11000000 10000000 00000101> Schalten 12* EIN "});
    host.SetChecked(TSwitch::cbx_time, true);
    EXPECT_EQ(Loco(Record12), L{"[12:34:56:789] <11000000 10000000 00000101> Lok 12*"});
}

TEST_F(Motorola, StateOtherThanStarIsOff) {
    EXPECT_EQ(Switch({'1', '2', '-', 1, 2, 3}), L{"Schalten 12-  AUS "});
    // A star elsewhere than the state position changes nothing.
    EXPECT_EQ(Switch({'*', '2', '-', 1, 2, 3}), L{"Schalten *2-  AUS "});
}

TEST_F(Motorola, NineEntriesHaveSixTextCharacters) {
    EXPECT_EQ(Switch({'1', '2', '3', '4', '5', '*', 0xFF, 0x00, 0x0F}), L{"Schalten 12345* EIN "});
    host.SetChecked(TSwitch::cbx_binaer, true);
    EXPECT_EQ(Loco({'1', '2', '3', '4', '5', '*', 0xFF, 0x00, 0x0F}),
              L{"<00001111 00000000 11111111> Lok 12345*"});
}

TEST_F(Motorola, OnlySixToNineEntriesGiveALine) {
    for (int n = 1; n <= 20; ++n) {
        std::vector<int32_t> e(static_cast<std::size_t>(n), '7');
        EXPECT_EQ(Loco(e).size(), n >= 6 && n <= 9 ? 1u : 0u) << n;
    }
}

TEST_F(Motorola, AddressFilter) {
    host.SetChecked(TSwitch::cbx_filter, true);
    host.SetMinText("10");
    host.SetMaxText("20");
    EXPECT_EQ(Switch(Record12).size(), 1u);
    EXPECT_EQ(Switch({'2', '5', '*', 1, 2, 3}).size(), 0u);
    // Leading digits only: "1x9" is address 1.
    EXPECT_EQ(Switch({'1', 'x', '9', 1, 2, 3}).size(), 0u);
    // All digits: the whole number.
    EXPECT_EQ(Switch({'0', '1', '5', 1, 2, 3}).size(), 1u);
    EXPECT_EQ(Switch({'1', '5', '0', 1, 2, 3}).size(), 0u);
    // Bounds are read from the texts on every record.
    host.SetMinText("$96");
    host.SetMaxText("0x96");
    EXPECT_EQ(Switch({'1', '5', '0', 1, 2, 3}).size(), 1u);
    host.SetMinText("20");
    host.SetMaxText("10");
    EXPECT_EQ(Switch(Record12).size(), 0u);
    // Empty or invalid bounds are 0: only address 0 passes.
    host.SetMinText("");
    host.SetMaxText("abc");
    EXPECT_EQ(Switch({'A', '1', '*', 1, 2, 3}), L{"Schalten A1* EIN "});
    EXPECT_EQ(Switch(Record12).size(), 0u);
    host.SetChecked(TSwitch::cbx_filter, false);
    EXPECT_EQ(Switch({'9', '9', '*', 1, 2, 3}).size(), 1u);
}
