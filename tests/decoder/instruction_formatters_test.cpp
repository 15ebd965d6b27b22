#include "recording_host.h"

#include <gtest/gtest.h>

namespace {

struct TFormatCase {
    int Value;
    const char* Text;
};

struct Formatters : ::testing::Test {
    TRecordingHost host;
    TStreamDecoder d{host};
};

} // namespace

TEST_F(Formatters, FunctionGroup) {
    const TFormatCase cases[] = {
        {0x9F, "F-Befehl: F F1 F2 F3 F4 "},
        {0xB5, "F-Befehl: F5 F7 "},
        {0xA8, "F-Befehl: F12 "},
        {0x80, "F-Befehl: "},
        {0x90, "F-Befehl: F "},
        {0xBF, "F-Befehl: F5 F6 F7 F8 "},
        {0xAF, "F-Befehl: F9 F10 F11 F12 "},
        // Bits 7 and 6 are not looked at.
        {0x1F, "F-Befehl: F F1 F2 F3 F4 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d.FormatFunctionGroup(c.Value), c.Text) << std::hex << c.Value;
}

TEST_F(Formatters, FunctionsAboveTwelve) {
    EXPECT_EQ(d.FormatFunctions21to28(0x81), "F-Befehl: F21 F28 ");
    EXPECT_EQ(d.FormatFunctions13to20(0xFF), "F-Befehl: F13 F14 F15 F16 F17 F18 F19 F20 ");
    EXPECT_EQ(d.FormatFunctions13to20(0x00), "F-Befehl: ");
    EXPECT_EQ(d.FormatFunctions21to28(0x42), "F-Befehl: F22 F27 ");
}

TEST_F(Formatters, Speed28) {
    const TFormatCase cases[] = {
        {0x60, "(28 Step) Vorw.  Halt   0 "},
        {0x41, "(28 Step) R\xFC"
               "ckw. E-Stop "},
        {0x7F, "(28 Step) Vorw.  Speed  28 "},
        {0x70, "(28 Step) Vorw.  Stop (I) "},
        {0x51, "(28 Step) R\xFC"
               "ckw. E-Stop (I) "},
        {0x42, "(28 Step) R\xFC"
               "ckw. Speed   1 "},
        {0x75, "(28 Step) Vorw.  Speed   8 "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d.FormatSpeed28(c.Value), c.Text) << std::hex << c.Value;
    // Both direction labels are 17 characters wide.
    EXPECT_EQ(d.FormatSpeed28(0x41).size(), 17u + 7u);
}

TEST_F(Formatters, Speed128) {
    const TFormatCase cases[] = {
        {0x80, "(128 Step) Vorw.  Halt   0 "},
        {0x81, "(128 Step) Vorw.  "},
        {0xFF, "(128 Step) Vorw.  Speed 126 "},
        {0x05, "(128 Step) R\xFC"
               "ckw. Speed   4 "},
        {0x01, "(128 Step) R\xFC"
               "ckw. "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d.FormatSpeed128(c.Value), c.Text) << std::hex << c.Value;
}

TEST_F(Formatters, AccessorySwitchNumbers) {
    struct {
        int B0, B1;
        const char* Text;
    } cases[] = {
        {0x81, 0xF9, "Schalten:     1 [Dekoder=1 Ausgang=1] G Ein "},
        {0x80, 0xF0, "Schalten:    -3 [Dekoder=0 Ausgang=1] R Aus "},
        // High address bits (inverted) in b1 add 256, 512 and 1024.
        {0x80, 0x8E, "Schalten:  1792 [Dekoder=0 Ausgang=4] R Ein "},
        {0xBF, 0x8E, "Schalten:  2044 [Dekoder=63 Ausgang=4] R Ein "},
        {0xBF, 0xFE, "Schalten:   252 [Dekoder=63 Ausgang=4] R Ein "},
        {0x85, 0xE3, "Schalten:   274 [Dekoder=5 Ausgang=2] G Aus "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d.FormatAccessory(c.B0, c.B1, 9999, 0), c.Text);
}

TEST_F(Formatters, AccessoryNurOnAndFilter) {
    host.SetChecked(TSwitch::cbx_nur_ON, true);
    EXPECT_EQ(d.FormatAccessory(0x80, 0xF0, 9999, -9999), "");
    host.SetChecked(TSwitch::cbx_filter, true);
    EXPECT_EQ(d.FormatAccessory(0x80, 0xF0, 9999, -9999), "") << "nur ON wins over the filter";
    EXPECT_NE(d.FormatAccessory(0x81, 0xF9, 1, 1), "") << "switch 1 equals both bounds";
    EXPECT_EQ(d.FormatAccessory(0x81, 0xF9, 5, 2), "") << "one below the lower bound";
    EXPECT_EQ(d.FormatAccessory(0x81, 0xF9, 0, -5), "") << "one above the upper bound";
    host.SetChecked(TSwitch::cbx_filter, false);
    EXPECT_NE(d.FormatAccessory(0x81, 0xF9, 0, -5), "");
}
