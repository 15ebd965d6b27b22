#include "port_names.h"

#include <gtest/gtest.h>

namespace {

TEST(PortNames, EachNameStandsForItsDevice) {
    struct TCase {
        const char* Name;
        const char* Path;
    };
    const TCase cases[] = {
        {"COM1", "/dev/ttyS0"},
        {"COM2", "/dev/ttyS1"},
        {"COM3", "/dev/ttyS2"},
        {"COM4", "/dev/ttyS3"},
        {"COM5", "/dev/ttyUSB0"},
        {"COM6", "/dev/ttyUSB1"},
        {"COM7", "/dev/ttyUSB2"},
        {"COM8", "/dev/ttyUSB3"},
        {"COM9", "/dev/ttyACM0"},
        {"com5", "/dev/ttyUSB0"},
        {"Com9", "/dev/ttyACM0"},
        {"COM0", ""},
        {"COM10", ""},
        {"COM", ""},
        {"LPT1", ""},
        {"", ""},
        {" COM1", ""},
        {"COM1 ", ""},
        {"\\\\.\\COM1", ""},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(DefaultDevicePath(c.Name), c.Path) << c.Name;
        EXPECT_EQ(PortDevicePath(c.Name, {}), c.Path) << c.Name;
    }
}

TEST(PortNames, NamesOfTheNineChoices) {
    for (int n = 1; n <= PortCount; ++n)
        EXPECT_EQ(PortName(n), "COM" + std::to_string(n));
    EXPECT_EQ(PortCount, 9);
}

TEST(PortNames, OverridesReplaceOnlyTheirOwnPort) {
    const TPortOverrides overrides = {
        {"COM1", "/dev/ttyAMA0"},
        {"com5", "/dev/serial/by-id/usb-Fennox-if00"}, // keys ignore case
        {"COM6", ""},                                  // empty keeps the default
        {"COM9", "/dev/ttyACM1"},
        {"COM9", "/dev/ttyACM2"}, // the first one counts, as in an INI file
        {"COM12", "/dev/ttyS12"}, // not a port of the window
    };
    struct TCase {
        const char* Name;
        const char* Path;
    };
    const TCase cases[] = {
        {"COM1", "/dev/ttyAMA0"},
        {"COM2", "/dev/ttyS1"},
        {"COM5", "/dev/serial/by-id/usb-Fennox-if00"},
        {"COM6", "/dev/ttyUSB1"},
        {"COM8", "/dev/ttyUSB3"},
        {"COM9", "/dev/ttyACM1"},
        {"COM12", "/dev/ttyS12"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(PortDevicePath(c.Name, overrides), c.Path) << c.Name;
}

TEST(PortNames, InstalledOverridesAreWhatOpenPortUses) {
    EXPECT_TRUE(PortOverrides().empty());
    EXPECT_EQ(PortDevicePath("COM3"), "/dev/ttyS2");
    SetPortOverrides({{"COM3", "/tmp/pty-of-a-test"}});
    EXPECT_EQ(PortDevicePath("COM3"), "/tmp/pty-of-a-test");
    EXPECT_EQ(PortDevicePath("COM4"), "/dev/ttyS3");
    ASSERT_EQ(PortOverrides().size(), 1u);
    EXPECT_EQ(PortOverrides()[0].PortName, "COM3");
    SetPortOverrides({});
    EXPECT_EQ(PortDevicePath("COM3"), "/dev/ttyS2");
}

} // namespace
