// The time stamp text of the log lines, "hh:nn:ss:zzz".
#pragma once

#include <string>

std::string FormatTimeText(int hour, int minute, int second, int millisecond);

// The current local time as "hh:nn:ss:zzz".
std::string LocalTimeText();
