// The port names the window offers, "COM1".."COM9", and the device each one
// stands for: on Windows the name itself, on Linux a device file. The
// settings file may name other devices for any of them; the window reads
// those and hands them over as plain data.
#pragma once

#include <string>
#include <vector>

constexpr int PortCount = 9;

struct TPortOverride {
    std::string PortName;   // "COM1".."COM9"; compared without regard to case
    std::string DevicePath; // e.g. "/dev/ttyUSB3"; empty leaves the default
};
using TPortOverrides = std::vector<TPortOverride>;

// "COM<n>" for n = 1..9.
std::string PortName(int n);

// The built-in device of a port name. Windows: the name in capitals. Linux:
// "COM1".."COM4" are /dev/ttyS0..3, "COM5".."COM8" /dev/ttyUSB0..3, "COM9"
// /dev/ttyACM0. Empty for any other name.
std::string DefaultDevicePath(const std::string& portName);

// The device a port name opens: the first override for the name with a
// non-empty path, otherwise the built-in one.
std::string PortDevicePath(const std::string& portName, const TPortOverrides& overrides);

// The overrides OpenPort uses; none until the window installs some.
void SetPortOverrides(const TPortOverrides& overrides);
const TPortOverrides& PortOverrides();

// PortDevicePath with the installed overrides.
std::string PortDevicePath(const std::string& portName);

// The name the Windows link hands CreateFileA for a device: "COM1".."COM9"
// as they are (the system knows them by these names); any other bare name
// in the device namespace, since Windows opens "COM12" (USB adapters often
// get such numbers) only as "\\.\COM12"; a name holding a backslash as it
// is ("\\.\COM12" written out in [Ports]).
std::string Win32DeviceName(const std::string& device);
