#include "line_buffer.h"

#include <gtest/gtest.h>

TEST(LineBuffer, FragmentsInOrderAndBeyondTheFirstRoom) {
    TLineBuffer line;
    EXPECT_TRUE(line.Empty());
    line.Append("Lok ");
    line.Append('7');
    line.Append(std::string("  "));
    line.Append("abc", 2);
    EXPECT_EQ(line.Text(), "Lok 7  ab");
    // Longer than the room it starts with: everything is kept.
    std::string expected = line.Text();
    for (int i = 0; i < 100; ++i) {
        line.Append("0123456789");
        expected += "0123456789";
    }
    EXPECT_EQ(line.Size(), expected.size());
    EXPECT_EQ(line.Text(), expected);
    line.Truncate(3);
    EXPECT_EQ(line.Text(), "Lok");
    line.Truncate(10); // never lengthens
    EXPECT_EQ(line.Text(), "Lok");
    line.Clear();
    EXPECT_TRUE(line.Empty());
    EXPECT_EQ(line.Text(), "");
}
