// The analysis window of a monitor that receives from fennox-sim, driven as a
// person would, on either desktop: F2, "Rohdaten aufzeichnen…" into a file,
// some seconds, "Aufzeichnung beenden", "Kopieren"; and what must come of it,
// checked against what the simulator sent (its --tee file).
#pragma once

#include "x_session.h"

#include <string>

struct TAnalysisRun {
    std::string Json; // the clipboard after "Kopieren"
    // The recording's size one second into it, and at its end.
    std::size_t EarlySize = 0;
    std::size_t RecordedSize = 0;
};

// file: where the recording goes, as the test reads it; typed: the same
// path as the save dialog takes it. A screenshot of the screen with the
// analysis window goes to screenshot.
TAnalysisRun RecordAndCopy(const TXSession& x, const std::string& file, const std::string& typed,
                           int seconds, const std::string& screenshot);

// The JSON is what fennox-stats --json prints for the bytes the monitor
// received (the first "bytes" of the tee file), but for the input's name.
void ExpectFennoxStatsJson(const std::string& json, const std::string& tee,
                           const std::string& folder);
// The recording holds, byte for byte, seconds of what the simulator sent.
void ExpectRecordedSlice(const std::string& recorded, const std::string& tee, int seconds);
