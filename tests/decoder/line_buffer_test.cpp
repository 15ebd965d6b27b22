#include "line_buffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(TextCopy, EveryLengthCopiesExactlyItsCharacters) {
    // Guards on both sides of both texts: the overlapping pieces must stay
    // within them, and every character must arrive in its place.
    constexpr std::size_t Guard = 32;
    for (std::size_t size = 0; size <= 300; ++size) {
        std::vector<char> from(size + 2 * Guard, '#');
        std::vector<char> to(size + 2 * Guard, '.');
        for (std::size_t i = 0; i < size; ++i)
            from[Guard + i] = static_cast<char>('a' + (i * 7 + size) % 26);
        CopyText(to.data() + Guard, from.data() + Guard, size);
        const std::string expected = std::string(Guard, '.') +
                                     std::string(from.data() + Guard, size) +
                                     std::string(Guard, '.');
        ASSERT_EQ(std::string(to.data(), to.size()), expected) << "size " << size;
    }
}

TEST(LineCursor, AFunctionTakingACursorByValueWritesWhereTheWriterStands) {
    TLineBuffer line;
    line.Append("Lok ");
    TLineWriter writer(line, 64);
    writer.Append("   7 ");
    const auto speed = [](TLineCursor text) {
        text.Append("Speed ");
        text.Append('9');
        return text;
    };
    const TLineCursor before = writer.Cursor();
    const TLineCursor after = speed(before);
    EXPECT_EQ(after.Position() - before.Position(), 7);
    writer.MoveTo(after);
    writer.Append('!');
    writer.Finish();
    EXPECT_EQ(line.Text(), "Lok    7 Speed 9!");
}
