#include "headless_host.h"

#include "clock_text.h"
#include "number_text.h"

THeadlessHost::THeadlessHost() {
    for (int i = 0; i < SwitchCount; ++i) {
        Visible[i] = true;
        Enabled[i] = true;
    }
}

void THeadlessHost::SetMinText(const std::string& text) {
    MinTextValue = text;
    FilterMinValue = IntegerFromText(text);
}

void THeadlessHost::SetMaxText(const std::string& text) {
    MaxTextValue = text;
    FilterMaxValue = IntegerFromText(text);
}

// The callbacks get a line of their own: most keep it (tests, statistics).
// A host that only writes lines out overrides these two and copies nothing.
void THeadlessHost::AppendMonitorLine(std::string_view line) {
    if (OnMonitorLine)
        OnMonitorLine(std::string(line));
}

void THeadlessHost::AppendBitstreamLine(std::string_view line) {
    if (OnBitstreamLine)
        OnBitstreamLine(std::string(line));
}

std::string_view THeadlessHost::TimeText() {
    if (HasFixedTime)
        return FixedTime;
    ClockText = LocalTimeText();
    return ClockText;
}

void THeadlessHost::SetFixedTime(const std::string& timeText) {
    HasFixedTime = true;
    FixedTime = timeText;
}
