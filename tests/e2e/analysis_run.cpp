#include "analysis_run.h"

#include "control_points.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <filesystem>

TAnalysisRun RecordAndCopy(const TXSession& x, const std::string& file, const std::string& typed,
                           int seconds, const std::string& screenshot) {
    TAnalysisRun run;
    x.Key("F2");
    const std::string analysis = x.WaitForWindow("^Analyse$");
    EXPECT_FALSE(analysis.empty()) << "F2 opened no analysis window";
    if (analysis.empty())
        return run;
    Pause(500);
    x.Click(analysis, BtnAufzeichnen.X, BtnAufzeichnen.Y);
    const std::string dialog = x.WaitForWindow("^Rohdaten aufzeichnen$");
    EXPECT_FALSE(dialog.empty()) << "no save dialog";
    if (dialog.empty())
        return run;
    x.X({"/usr/bin/xdotool", "windowfocus", "--sync", dialog});
    Pause(500);
    x.Key("ctrl+a");
    x.X({"/usr/bin/xdotool", "type", "--delay", "20", typed});
    x.Key("Return");
    for (int i = 0; i < 100 && !std::filesystem::exists(file); ++i)
        Pause(100);
    // Written at least once a second while it runs.
    Pause(1500);
    run.EarlySize = std::filesystem::exists(file) ? std::filesystem::file_size(file) : 0;
    Pause(seconds * 1000 - 1500);
    x.Click(analysis, BtnAufzeichnen.X, BtnAufzeichnen.Y);
    Pause(1500);
    run.RecordedSize = std::filesystem::exists(file) ? std::filesystem::file_size(file) : 0;
    x.Click(analysis, BtnKopieren.X, BtnKopieren.Y);
    Pause(500);
    run.Json = x.Clipboard();
    x.Screenshot(screenshot);
    return run;
}

void ExpectFennoxStatsJson(const std::string& json, const std::string& tee,
                           const std::string& folder) {
    const std::size_t at = json.find("\"bytes\":");
    ASSERT_NE(at, std::string::npos) << "no JSON on the clipboard: " << json;
    const std::size_t bytes = std::stoul(json.substr(at + 8));
    const std::string sent = ReadFile(tee);
    ASSERT_GE(sent.size(), bytes);
    ASSERT_GT(bytes, 1920u);
    const std::string received = folder + "/received.bin";
    WriteFile(received, sent.substr(0, bytes));
    const TProgramResult r = RunProgram({FENNOX_STATS, "--json", received});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    std::string expected = r.Out;
    const std::string input = "\"input\":\"" + received + "\"";
    expected.replace(expected.find(input), input.size(), "\"input\":\"COM5\"");
    EXPECT_EQ(json, expected);
    EXPECT_EQ(json.find("\"checksum_errors\":0,"), std::string::npos) << "errors were sent";
}

void ExpectRecordedSlice(const std::string& recorded, const std::string& tee, int seconds) {
    const std::string sent = ReadFile(tee);
    // About the seconds given: what the port's buffers held when it began
    // (up to a few kilobytes while the save dialog was open) comes first.
    EXPECT_GT(recorded.size(), static_cast<std::size_t>(seconds - 2) * 1920);
    EXPECT_LT(recorded.size(), static_cast<std::size_t>(seconds + 5) * 1920);
    ASSERT_GE(recorded.size(), 256u);
    const std::size_t at = sent.find(recorded.substr(0, 256));
    ASSERT_NE(at, std::string::npos) << "the recording's start was never sent";
    EXPECT_TRUE(sent.compare(at, recorded.size(), recorded) == 0)
        << "the recording is not the bytes sent";
}
