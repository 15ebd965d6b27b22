#include "sim_options.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

TEST(SimOptions, DefaultsAreDccSeedOneLineRateEndless) {
    TSimOptions o;
    std::string error;
    ASSERT_EQ(ParseSimOptions({"--pty"}, o, error), TSimParseResult::Ok) << error;
    EXPECT_EQ(o.Mode, TSimMode::Dcc);
    EXPECT_EQ(o.Seed, 1u);
    EXPECT_EQ(o.Rate, 1920u);
    EXPECT_FALSE(o.HasByteLimit);
    EXPECT_FALSE(o.HasSecondsLimit);
    EXPECT_EQ(o.ErrorRate, 0.0);
    EXPECT_TRUE(o.TeePath.empty());
    EXPECT_EQ(o.Output, TSimOutput::Pty);
}

TEST(SimOptions, EveryOptionIsTaken) {
    TSimOptions o;
    std::string error;
    ASSERT_EQ(ParseSimOptions({"--mode", "mot", "--seed=4294967295", "--rate", "0", "--seconds",
                               "2.5", "--errors", "1e-4", "--tee", "t.bin", "--out", "-"},
                              o, error),
              TSimParseResult::Ok)
        << error;
    EXPECT_EQ(o.Mode, TSimMode::Motorola);
    EXPECT_EQ(o.Seed, 4294967295u);
    EXPECT_EQ(o.Rate, 0u);
    EXPECT_TRUE(o.HasSecondsLimit);
    EXPECT_DOUBLE_EQ(o.SecondsLimit, 2.5);
    EXPECT_DOUBLE_EQ(o.ErrorRate, 1e-4);
    EXPECT_EQ(o.TeePath, "t.bin");
    EXPECT_EQ(o.Output, TSimOutput::File);
    EXPECT_EQ(o.OutputPath, "-");

    TSimOptions d;
    ASSERT_EQ(
        ParseSimOptions({"--device=/dev/ttyUSB1", "--bytes", "18446744073709551615"}, d, error),
        TSimParseResult::Ok)
        << error;
    EXPECT_EQ(d.Output, TSimOutput::Device);
    EXPECT_EQ(d.OutputPath, "/dev/ttyUSB1");
    EXPECT_TRUE(d.HasByteLimit);
    EXPECT_EQ(d.ByteLimit, UINT64_MAX);
}

TEST(SimOptions, HelpWinsWhereverItStands) {
    TSimOptions o;
    std::string error;
    EXPECT_EQ(ParseSimOptions({"--help"}, o, error), TSimParseResult::Help);
    EXPECT_EQ(ParseSimOptions({"--seed", "3", "--help"}, o, error), TSimParseResult::Help);
    EXPECT_NE(std::string(SimUsage).find("--pty"), std::string::npos);
}

struct TBadLine {
    std::vector<std::string> Args;
    const char* Mentions; // a word the message must contain
};

std::ostream& operator<<(std::ostream& os, const TBadLine& c) {
    for (const std::string& a : c.Args)
        os << a << ' ';
    return os;
}

class SimOptionsRejects : public ::testing::TestWithParam<TBadLine> {};

TEST_P(SimOptionsRejects, WithAMessage) {
    TSimOptions o;
    std::string error;
    EXPECT_EQ(ParseSimOptions(GetParam().Args, o, error), TSimParseResult::UsageError);
    EXPECT_NE(error.find(GetParam().Mentions), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SimOptionsRejects,
    ::testing::Values(
        TBadLine{{}, "--pty"}, TBadLine{{"--seed", "5"}, "--out"},
        TBadLine{{"--pty", "--out", "-"}, "only one"},
        TBadLine{{"--out", "a", "--device", "b"}, "only one"},
        TBadLine{{"--pty", "--pty"}, "only one"}, TBadLine{{"--pty", "--mode", "mm"}, "--mode"},
        TBadLine{{"--pty", "--mode", "DCC"}, "--mode"},
        TBadLine{{"--pty", "--seed", "-1"}, "--seed"},
        TBadLine{{"--pty", "--seed", "4294967296"}, "--seed"},
        TBadLine{{"--pty", "--seed", "12x"}, "--seed"}, TBadLine{{"--pty", "--seed", ""}, "--seed"},
        TBadLine{{"--pty", "--rate", "fast"}, "--rate"},
        TBadLine{{"--pty", "--rate", "+5"}, "--rate"},
        TBadLine{{"--pty", "--bytes", "1.5"}, "--bytes"},
        TBadLine{{"--pty", "--seconds", "-3"}, "--seconds"},
        TBadLine{{"--pty", "--seconds", "nan"}, "--seconds"},
        TBadLine{{"--pty", "--seconds", "inf"}, "--seconds"},
        TBadLine{{"--pty", "--errors", "1.5"}, "--errors"},
        TBadLine{{"--pty", "--errors", "often"}, "--errors"},
        TBadLine{{"--pty", "--bytes", "10", "--seconds", "1"}, "not both"},
        TBadLine{{"--pty", "--seed", "1", "--seed", "2"}, "twice"},
        TBadLine{{"--pty", "--tee"}, "needs a value"}, TBadLine{{"--pty", "--tee="}, "--tee"},
        TBadLine{{"--out"}, "needs a value"},
        TBadLine{{"--pty", "--verbose"}, "unknown option --verbose"},
        TBadLine{{"--pty", "file.bin"}, "unexpected argument"}, TBadLine{{"--pty=yes"}, "--pty"}));

} // namespace
