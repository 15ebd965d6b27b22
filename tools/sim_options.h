// The command line of fennox-sim, parsed apart from main so it can be tested
// without running the program.
#pragma once

#include "layout_traffic.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TSimOutput { None, Pty, File, Device };

struct TSimOptions {
    TSimMode Mode = TSimMode::Dcc;
    uint32_t Seed = 1;
    uint32_t Rate = 1920; // bytes per second; 0: as fast as possible
    bool HasByteLimit = false;
    uint64_t ByteLimit = 0;
    bool HasSecondsLimit = false;
    double SecondsLimit = 0; // device time
    double ErrorRate = 0;
    std::string TeePath;
    TSimOutput Output = TSimOutput::None;
    std::string OutputPath; // --out FILE ("-" standard output) or --device PATH
};

enum class TSimParseResult { Ok, Help, UsageError };

TSimParseResult ParseSimOptions(const std::vector<std::string>& args, TSimOptions& options,
                                std::string& error);

extern const char* const SimUsage;
