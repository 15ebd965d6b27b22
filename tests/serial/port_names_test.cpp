#include "port_names.h"

#include <gtest/gtest.h>

namespace {

// The built-in device of each port, by number.
#ifdef _WIN32
const std::string Default[] = {"",     "COM1", "COM2", "COM3", "COM4",
                               "COM5", "COM6", "COM7", "COM8", "COM9"};
#else
const std::string Default[] = {"",
                               "/dev/ttyS0",
                               "/dev/ttyS1",
                               "/dev/ttyS2",
                               "/dev/ttyS3",
                               "/dev/ttyUSB0",
                               "/dev/ttyUSB1",
                               "/dev/ttyUSB2",
                               "/dev/ttyUSB3",
                               "/dev/ttyACM0"};
#endif

TEST(PortNames, EachNameStandsForItsDevice) {
    struct TCase {
        const char* Name;
        std::string Path;
    };
    const TCase cases[] = {
        {"COM1", Default[1]}, {"COM2", Default[2]}, {"COM3", Default[3]}, {"COM4", Default[4]},
        {"COM5", Default[5]}, {"COM6", Default[6]}, {"COM7", Default[7]}, {"COM8", Default[8]},
        {"COM9", Default[9]}, {"com5", Default[5]}, {"Com9", Default[9]}, {"COM0", ""},
        {"COM10", ""},        {"COM", ""},          {"LPT1", ""},         {"", ""},
        {" COM1", ""},        {"COM1 ", ""},        {"\\\\.\\COM1", ""},
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
        std::string Path;
    };
    const TCase cases[] = {
        {"COM1", "/dev/ttyAMA0"},
        {"COM2", Default[2]},
        {"COM5", "/dev/serial/by-id/usb-Fennox-if00"},
        {"COM6", Default[6]},
        {"COM8", Default[8]},
        {"COM9", "/dev/ttyACM1"},
        {"COM12", "/dev/ttyS12"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(PortDevicePath(c.Name, overrides), c.Path) << c.Name;
}

TEST(PortNames, InstalledOverridesAreWhatOpenPortUses) {
    EXPECT_TRUE(PortOverrides().empty());
    EXPECT_EQ(PortDevicePath("COM3"), Default[3]);
    SetPortOverrides({{"COM3", "/tmp/pty-of-a-test"}});
    EXPECT_EQ(PortDevicePath("COM3"), "/tmp/pty-of-a-test");
    EXPECT_EQ(PortDevicePath("COM4"), Default[4]);
    ASSERT_EQ(PortOverrides().size(), 1u);
    EXPECT_EQ(PortOverrides()[0].PortName, "COM3");
    SetPortOverrides({});
    EXPECT_EQ(PortDevicePath("COM3"), Default[3]);
}

// Windows opens a port above COM9 only by its name in the device namespace.
TEST(PortNames, Win32DeviceNames) {
    const struct {
        const char* Device;
        const char* Opened;
    } cases[] = {
        {"COM1", "COM1"},
        {"COM9", "COM9"},
        {"com5", "com5"},
        {"COM10", "\\\\.\\COM10"},
        {"COM12", "\\\\.\\COM12"},
        {"com256", "\\\\.\\com256"},
        {"CNCA0", "\\\\.\\CNCA0"}, // a virtual port's name
        {"\\\\.\\COM12", "\\\\.\\COM12"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Win32DeviceName(c.Device), c.Opened) << c.Device;
}

} // namespace
