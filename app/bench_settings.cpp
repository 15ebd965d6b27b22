// Reads and writes a settings file of many sections, as a user's file that a
// script filled up may be; prints the times. A program to run by hand.
#include "ini_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    const int sections = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::string path = "fennox-bench-settings.ini";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < sections; ++i)
            out << "[Section" << i << "]\r\nKey=" << i << "\r\nOther=x\r\n";
        out << "[SETTINGS]\r\nCOM-Port=3\r\n";
    }
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    TIniFile ini = TIniFile::Load(path);
    const int32_t port = ini.ReadInteger("SETTINGS", "COM-Port", 5);
    const auto t1 = Clock::now();
    ini.WriteInteger("SETTINGS", "COM-Port", port + 1);
    ini.WriteInteger("Window", "Width", 1000);
    ini.Save(path);
    const auto t2 = Clock::now();
    std::remove(path.c_str());
    const auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    std::printf("%d sections: read %.1f ms, change and save %.1f ms (COM-Port %d)\n", sections,
                ms(t1 - t0), ms(t2 - t1), port);
    return 0;
}
