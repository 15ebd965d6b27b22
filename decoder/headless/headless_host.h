// A decoder host without a window: the switches, filter texts and version
// text live in memory, lines go to the callbacks given.
#pragma once

#include "decoder_host.h"

#include <functional>
#include <string>

class THeadlessHost : public TDecoderHost {
public:
    using TLineSink = std::function<void(const std::string&)>;

    THeadlessHost();

    // The decoder reads the flags themselves, so these two are final.
    bool IsChecked(TSwitch s) const final { return Checked[Index(s)]; }
    const bool* CheckedStates() const final { return Checked; }
    void SetChecked(TSwitch s, bool checked) override { Checked[Index(s)] = checked; }
    void SetVisible(TSwitch s, bool visible) override { Visible[Index(s)] = visible; }
    void SetEnabled(TSwitch s, bool enabled) override { Enabled[Index(s)] = enabled; }
    bool IsVisible(TSwitch s) const { return Visible[Index(s)]; }
    bool IsEnabled(TSwitch s) const { return Enabled[Index(s)]; }

    int32_t FilterMin() const override { return FilterMinValue; }
    int32_t FilterMax() const override { return FilterMaxValue; }
    std::string MinText() const override { return MinTextValue; }
    std::string MaxText() const override { return MaxTextValue; }
    // Setting a filter text brings its bound up to date, as typing does.
    void SetMinText(const std::string& text);
    void SetMaxText(const std::string& text);

    void AppendMonitorLine(std::string_view line) override;
    void AppendBitstreamLine(std::string_view line) override;
    void SetVersionText(const std::string& text) override { VersionText = text; }
    const std::string& GetVersionText() const { return VersionText; }

    // Without a fixed time text, the local clock at each call.
    std::string_view TimeText() override;
    void SetFixedTime(const std::string& timeText);

    TLineSink OnMonitorLine;
    TLineSink OnBitstreamLine;

private:
    static int Index(TSwitch s) { return static_cast<int>(s); }

    bool Checked[SwitchCount] = {};
    bool Visible[SwitchCount];
    bool Enabled[SwitchCount];
    std::string MinTextValue = "0";
    std::string MaxTextValue = "9999";
    int32_t FilterMinValue = 0;
    int32_t FilterMaxValue = 9999;
    std::string VersionText;
    bool HasFixedTime = false;
    std::string FixedTime;
    std::string ClockText; // the last local clock text handed out
};
