#include "port_names.h"

#include <cctype>

namespace {

struct TDefaultPort {
    const char* Name;
    const char* DevicePath;
};

#ifdef _WIN32
// Windows knows the names themselves: CreateFileA opens "COM5" as it is.
const TDefaultPort DefaultPorts[PortCount] = {
    {"COM1", "COM1"}, {"COM2", "COM2"}, {"COM3", "COM3"}, {"COM4", "COM4"}, {"COM5", "COM5"},
    {"COM6", "COM6"}, {"COM7", "COM7"}, {"COM8", "COM8"}, {"COM9", "COM9"},
};
#else
// The first four are the mainboard's UARTs, the next four USB serial
// adapters, the last a USB CDC-ACM device; so the first-start choice Com5 is
// the first USB adapter, which is how the device is mostly attached today.
const TDefaultPort DefaultPorts[PortCount] = {
    {"COM1", "/dev/ttyS0"},   {"COM2", "/dev/ttyS1"},   {"COM3", "/dev/ttyS2"},
    {"COM4", "/dev/ttyS3"},   {"COM5", "/dev/ttyUSB0"}, {"COM6", "/dev/ttyUSB1"},
    {"COM7", "/dev/ttyUSB2"}, {"COM8", "/dev/ttyUSB3"}, {"COM9", "/dev/ttyACM0"},
};
#endif

// Keys of an INI file are not case-sensitive, so neither are port names.
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

TPortOverrides Installed;

} // namespace

std::string PortName(int n) {
    return "COM" + std::to_string(n);
}

std::string DefaultDevicePath(const std::string& portName) {
    for (const TDefaultPort& port : DefaultPorts) {
        if (SameName(portName, port.Name))
            return port.DevicePath;
    }
    return std::string();
}

std::string PortDevicePath(const std::string& portName, const TPortOverrides& overrides) {
    for (const TPortOverride& o : overrides) {
        if (!o.DevicePath.empty() && SameName(portName, o.PortName))
            return o.DevicePath;
    }
    return DefaultDevicePath(portName);
}

void SetPortOverrides(const TPortOverrides& overrides) {
    Installed = overrides;
}

const TPortOverrides& PortOverrides() {
    return Installed;
}

std::string PortDevicePath(const std::string& portName) {
    return PortDevicePath(portName, Installed);
}

std::string Win32DeviceName(const std::string& device) {
    // Only the nine port names have a built-in device.
    if (device.empty() || device.find('\\') != std::string::npos ||
        !DefaultDevicePath(device).empty())
        return device;
    return "\\\\.\\" + device;
}
