#include "clock_text.h"
#include "number_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

TEST(IntegerFromText, FilterFieldTexts) {
    const struct {
        const char* Text;
        int32_t Value;
    } cases[] = {
        {"", 0},
        {"12a", 0},
        {"-5", -5},
        {" 12", 12},
        {"   7", 7},
        {"$1F", 31},
        {"$1f", 31},
        {"x10", 16},
        {"X10", 16},
        {"0x10", 16},
        {"0X1a", 26},
        {"-$10", -16},
        {"+$10", 16},
        {"+7", 7},
        {"007", 7},
        {"0", 0},
        {"2147483647", INT32_MAX},
        {"2147483648", 0},
        {"-2147483648", INT32_MIN},
        {"-2147483649", 0},
        {"$7FFFFFFF", INT32_MAX},
        {"$80000000", 0},
        {"-$80000000", INT32_MIN},
        {"99999999999999999999", 0},
        {"12 ", 0},
        {"\t12", 0},
        {"1 2", 0},
        {"-", 0},
        {"+", 0},
        {"$", 0},
        {"0x", 0},
        {"x", 0},
        {"--5", 0},
        {"- 5", 0},
        {"$-5", 0},
        {"0x$5", 0},
        {"00x10", 0},
        {"1e3", 0},
        {"$G", 0},
        {"12\xE4", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntegerFromText(c.Text), c.Value) << '"' << c.Text << '"';
        // The telling variant agrees, and says "not an integer" only for
        // texts that give 0 without being a zero.
        int32_t value = 12345;
        const bool ok = TryIntegerFromText(c.Text, value);
        EXPECT_EQ(ok ? value : 0, c.Value) << c.Text;
        if (c.Value != 0) {
            EXPECT_TRUE(ok) << c.Text;
        }
    }
    int32_t value = 1;
    EXPECT_TRUE(TryIntegerFromText("-0", value));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(TryIntegerFromText("zero", value));
}

TEST(NumberText, AppendIntMatchesPrintf) {
    const int64_t values[] = {0, 3, -3, 42, 999, 1234, 12345, 123456, -12345, INT32_MIN, INT32_MAX};
    const int widths[] = {0, 3, 5};
    for (int64_t v : values) {
        for (int w : widths) {
            char expected[32];
            std::snprintf(expected, sizeof expected, "%*lld", w, static_cast<long long>(v));
            std::string out = "x";
            AppendInt(out, v, w);
            EXPECT_EQ(out, std::string("x") + expected) << v << " width " << w;
        }
    }
}

TEST(NumberText, AppendIntMatchesPrintfForEveryNumberOfALogLine) {
    // Addresses, switch numbers, CV numbers and speed steps, in both the
    // text and the line buffer form; the widths the lines use and beyond.
    TLineBuffer line;
    for (int64_t v = -5; v <= 100005; ++v) {
        for (int w : {0, 3, 5, 7}) {
            char expected[32];
            std::snprintf(expected, sizeof expected, "%*lld", w, static_cast<long long>(v));
            std::string out;
            AppendInt(out, v, w);
            ASSERT_EQ(out, expected) << v << " width " << w;
            line.Clear();
            AppendInt(line, v, w);
            ASSERT_EQ(line.Text(), expected) << v << " width " << w;
        }
    }
}

TEST(NumberText, AppendHexMatchesPrintf) {
    for (uint32_t v : {0u, 1u, 9u, 10u, 15u, 16u, 255u, 0xABCDu, 0xFFFFFFFFu}) {
        char expected[16];
        std::snprintf(expected, sizeof expected, "%x", v);
        std::string out;
        AppendHex(out, v);
        EXPECT_EQ(out, expected);
    }
}

TEST(ClockText, TwoDigitFieldsAndThreeDigitMilliseconds) {
    EXPECT_EQ(FormatTimeText(12, 34, 56, 789), "12:34:56:789");
    EXPECT_EQ(FormatTimeText(0, 0, 0, 0), "00:00:00:000");
    EXPECT_EQ(FormatTimeText(23, 59, 59, 5), "23:59:59:005");
    const std::string now = LocalTimeText();
    ASSERT_EQ(now.size(), 12u);
    EXPECT_EQ(now[2], ':');
    EXPECT_EQ(now[5], ':');
    EXPECT_EQ(now[8], ':');
}
