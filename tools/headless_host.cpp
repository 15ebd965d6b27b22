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

void THeadlessHost::AppendMonitorLine(const std::string& line) {
    if (OnMonitorLine)
        OnMonitorLine(line);
}

void THeadlessHost::AppendBitstreamLine(const std::string& line) {
    if (OnBitstreamLine)
        OnBitstreamLine(line);
}

std::string THeadlessHost::TimeText() {
    return HasFixedTime ? FixedTime : LocalTimeText();
}

void THeadlessHost::SetFixedTime(const std::string& timeText) {
    HasFixedTime = true;
    FixedTime = timeText;
}
