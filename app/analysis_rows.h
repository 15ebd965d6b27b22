// What the analysis window shows of the live statistics, in German: the
// totals, the rows of its tables and the bars of its preamble chart. Plain
// functions of the statistics, so the window's refresh only hands them on.
#pragma once

#include "controls.h"
#include "live_stats.h"
#include "raw_recording.h"

#include <string>
#include <vector>

// The ones a command station must send before every packet (NMRA S-9.2);
// decoders take ten, so a shorter preamble shows a weak or faulty booster
// before the locomotives stop answering.
constexpr int32_t CommandStationPreamble = 14;

// What a kind of packet is, for people ("Fahrstufe 128").
std::string KindMeaning(TPacketKind kind);
// "3 (kurz)", "1234 (lang)", "0 (alle)", "17", "17 (erw.)".
std::string AddressText(const TPacketAddress& address);
// "12/28", "Halt", "Nothalt", "?".
std::string SpeedInGerman(const TLocoState& state);
// "vorwärts", "rückwärts", "?".
std::string DirectionInGerman(const TLocoState& state);
// "G Ein", "R Aus" (as the Monitor log writes a switch command), "Aspekt 7", "?".
std::string AccessoryStateText(const TAccessoryState& state);
// A share in per cent with one decimal and a decimal comma: "0,4 %".
std::string PercentText(uint64_t part, uint64_t whole);
// "hh:nn:ss" of a clock text "hh:nn:ss:zzz".
std::string ClockSeconds(const std::string& time);

// The totals' lines.
std::string PacketsLine(const TLiveStats& live);
std::string RateLine(const TLiveStats& live);
std::string DeviceLine(const TLiveStats& live);
std::string RecordingLine(const TRawRecording& recording);

// Table rows, and the address of each row where rows stand for addresses.
struct TAddressRows {
    std::vector<TTable::TRow> Rows;
    std::vector<TPacketAddress> Addresses;
};
std::vector<TTable::TRow> KindRows(const TDccStats& stats);
// The addresses seen in at least one packet with a good checksum, as
// fennox-stats lists them.
TAddressRows LocoRows(const TLiveStats& live);
TAddressRows AccessoryRows(const TLiveStats& live);
// Newest first.
std::vector<TTable::TRow> TraceRows(const TLiveStats& live);
// "Verlauf: Lok 3 (kurz), die letzten 2000 Pakete" or what to do for one.
std::string TraceHeading(const TLiveStats& live);
// One bar per preamble length, shorter than a command station may send
// marked.
std::vector<TBar> PreambleBars(const TDccStats& stats);
