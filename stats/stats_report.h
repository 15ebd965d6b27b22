// The reports of fennox-stats: a readable summary, one JSON object, and one
// CSV row per packet.
#pragma once

#include "dcc_stats.h"

#include <string>

struct TPacketsPerSecond {
    double Min = 0;
    double Mean = 0;
    double Max = 0;
    std::size_t Seconds = 0; // whole seconds of device time counted
};

// Over the whole seconds of the recording (a last, partial second only when
// it is the only one).
TPacketsPerSecond PacketsPerSecond(const TDccStats& stats);
double DeviceSeconds(const TDccStats& stats);

// Addresses seen in at least one packet with a good checksum; a bit error
// in an address byte makes up addresses that are not on the layout.
bool SeenIntact(const TCount& count);

std::string SummaryText(const TDccStats& stats, const std::string& inputName);
std::string JsonReport(const TDccStats& stats, const std::string& inputName);

std::string CsvHeader();
std::string CsvRow(const TPacketEvent& e);

// Bytes in upper-case hex, separated by blanks ("03 3F 85 B9").
std::string HexBytes(const uint8_t* bytes, int n);
// A number with the given decimals ("%.*f").
std::string Fixed(double value, int decimals);
// "forward", "reverse", "?".
const char* DirectionText(const TLocoState& s);
// A byte as the Latin-1 character of its value, in UTF-8.
void AppendLatin1(std::string& out, unsigned char c);

// JSON string contents: quotes, backslashes and control characters escaped,
// other bytes as the Latin-1 characters of their values, in UTF-8.
std::string JsonEscape(const std::string& text);
