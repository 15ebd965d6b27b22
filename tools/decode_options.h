// The command line of fennox-decode, parsed apart from main so it can be
// tested without running the program.
#pragma once

#include "decoder_host.h"

#include <string>
#include <vector>

struct TDecodeOptions {
    bool Checked[SwitchCount] = {};
    std::string MinText = "0";
    std::string MaxText = "9999";
    bool HasClock = false;
    std::string ClockText; // "hh:nn:ss:zzz" when HasClock
    std::string BitstreamOut;
    std::string Input = "-";
};

enum class TParseResult { Ok, Help, UsageError };

TParseResult ParseDecodeOptions(const std::vector<std::string>& args, TDecodeOptions& options,
                                std::string& error);

extern const char* const DecodeUsage;
