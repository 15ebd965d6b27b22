#include "decode_options.h"

#include <gtest/gtest.h>

namespace {

TParseResult Parse(std::vector<std::string> args, TDecodeOptions& o, std::string& error) {
    return ParseDecodeOptions(args, o, error);
}

} // namespace

TEST(DecodeOptions, DefaultsWhenNothingIsGiven) {
    TDecodeOptions o;
    std::string e;
    ASSERT_EQ(Parse({}, o, e), TParseResult::Ok);
    for (bool c : o.Checked)
        EXPECT_FALSE(c);
    EXPECT_EQ(o.MinText, "0");
    EXPECT_EQ(o.MaxText, "9999");
    EXPECT_FALSE(o.HasClock);
    EXPECT_EQ(o.Input, "-");
    EXPECT_EQ(o.BitstreamOut, "");
}

TEST(DecodeOptions, SwitchListIsCaseInsensitiveAndSkipsEmptyItems) {
    TDecodeOptions o;
    std::string e;
    ASSERT_EQ(Parse({"--on", ",TIME,,nur_on,", "--on=Dcc_Stream"}, o, e), TParseResult::Ok);
    EXPECT_TRUE(o.Checked[static_cast<int>(TSwitch::cbx_time)]);
    EXPECT_TRUE(o.Checked[static_cast<int>(TSwitch::cbx_nur_ON)]);
    EXPECT_TRUE(o.Checked[static_cast<int>(TSwitch::cbx_dcc_stream)]);
    EXPECT_FALSE(o.Checked[static_cast<int>(TSwitch::cbx_idle)]);
}

TEST(DecodeOptions, ValuesMayBeginWithADash) {
    TDecodeOptions o;
    std::string e;
    ASSERT_EQ(Parse({"--min", "-5", "--max", "-$10", "rec.bin"}, o, e), TParseResult::Ok);
    EXPECT_EQ(o.MinText, "-5");
    EXPECT_EQ(o.MaxText, "-$10");
    EXPECT_EQ(o.Input, "rec.bin");
    ASSERT_EQ(Parse({"--min=", "--max=--", "-"}, o, e), TParseResult::Ok);
    EXPECT_EQ(o.MinText, "");
    EXPECT_EQ(o.MaxText, "--");
    EXPECT_EQ(o.Input, "-");
}

TEST(DecodeOptions, ClockBecomesTheLogsTimeText) {
    TDecodeOptions o;
    std::string e;
    ASSERT_EQ(Parse({"--clock", "12:34:56.789"}, o, e), TParseResult::Ok);
    EXPECT_TRUE(o.HasClock);
    EXPECT_EQ(o.ClockText, "12:34:56:789");
    ASSERT_EQ(Parse({"--clock=23:59:59.000"}, o, e), TParseResult::Ok);
    EXPECT_EQ(o.ClockText, "23:59:59:000");
}

TEST(DecodeOptions, UsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"--on", "time,speed"},
        {"--clock", "24:00:00.000"},
        {"--clock", "12:60:00.000"},
        {"--clock", "12:00:60.000"},
        {"--clock", "1:00:00.000"},
        {"--clock", "12:00:00.00"},
        {"--clock", "12:00:00:000"},
        {"--clock", "12:00:00.0000"},
        {"--min"},
        {"--frobnicate"},
        {"-x"},
        {"a.bin", "b.bin"},
        {"--bitstream-out", ""},
    };
    for (const auto& args : bad) {
        TDecodeOptions o;
        std::string e;
        EXPECT_EQ(Parse(args, o, e), TParseResult::UsageError) << args[0];
        EXPECT_FALSE(e.empty());
    }
}

TEST(DecodeOptions, UnknownSwitchNamesItAndTheValidNames) {
    TDecodeOptions o;
    std::string e;
    ASSERT_EQ(Parse({"--on", "idle,speed"}, o, e), TParseResult::UsageError);
    EXPECT_NE(e.find("'speed'"), std::string::npos) << e;
    EXPECT_NE(e.find("lokbefehle_s"), std::string::npos) << e;
    EXPECT_NE(e.find("dcc_stream"), std::string::npos) << e;
}

TEST(DecodeOptions, HelpAndDoubleDash) {
    TDecodeOptions o;
    std::string e;
    EXPECT_EQ(Parse({"--on", "idle", "--help"}, o, e), TParseResult::Help);
    ASSERT_EQ(Parse({"--", "--odd-name.bin"}, o, e), TParseResult::Ok);
    EXPECT_EQ(o.Input, "--odd-name.bin");
}
