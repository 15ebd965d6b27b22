// The output of fennox-decode: Latin-1 lines to UTF-8, one '\n' each.
#include "latin1_text.h"
#include "line_output.h"
#include "run_program.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Writes the lines through a TLineOutput into a fresh file and returns the
// file's content.
std::string Written(const std::vector<std::string>& lines, std::size_t bufferSize = 1 << 20) {
    const std::string path = TempPath("lines.txt");
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    EXPECT_GE(fd, 0);
    TLineOutput out(fd, "lines.txt", bufferSize);
    for (const std::string& line : lines)
        out.Write(line);
    EXPECT_TRUE(out.Finish(true)) << out.ErrorText();
    return ReadFile(path);
}

} // namespace

TEST(LineOutput, AsciiLinesAreWrittenAsTheyAreEachWithALineEnd) {
    EXPECT_EQ(Written({"Idle Packet", "", "Lok     3 (28 Step) Vorw.  Speed   8 "}),
              "Idle Packet\n\nLok     3 (28 Step) Vorw.  Speed   8 \n");
}

TEST(LineOutput, TheTwoGermanLettersBecomeUtf8) {
    EXPECT_EQ(Written({"Pr\xE4"
                       "ambel: 1111",
                       "(28 Step) R\xFC"
                       "ckw. "}),
              "Pr\xC3\xA4"
              "ambel: 1111\n"
              "(28 Step) R\xC3\xBC"
              "ckw. \n");
}

TEST(LineOutput, EveryByteValueIsItsLatin1Character) {
    EXPECT_EQ(Written({std::string("\x00\x7F\x80\xBF\xC0\xFF", 6)}),
              std::string("\x00\x7F\xC2\x80\xC2\xBF\xC3\x80\xC3\xBF\n", 11));
}

TEST(LineOutput, AHighByteAtAnyPlaceOfALongLine) {
    // The ASCII scan looks at eight bytes at a time; a letter in any of the
    // eight places, and several in a row, must come out alike.
    const std::string ascii = "0123456789abcdefghijklmnopqrstuv";
    for (std::size_t at = 0; at < ascii.size(); ++at) {
        std::string line = ascii;
        line[at] = '\xE4';
        std::string expected = ascii.substr(0, at) + "\xC3\xA4" + ascii.substr(at + 1) + "\n";
        EXPECT_EQ(Written({line}), expected) << "at " << at;
    }
    EXPECT_EQ(Written({"\xFC\xFC\xFC\xFC\xFC\xFC\xFC\xFC\xFCx"}),
              "\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBCx\n");
}

TEST(LineOutput, LettersAtEveryPlaceOfLinesOfEveryLength) {
    // The copy works in blocks of sixteen and words of eight, with a last
    // block or word that overlaps what came before; lengths that are no
    // multiple of either, without letters or with one or two anywhere, must
    // come out as one byte at a time would give. The plain conversion, a
    // byte at a time, is the reference.
    const auto utf8 = [](const std::string& latin1) { return Latin1ToUtf8(latin1); };
    std::vector<std::string> lines;
    std::string expected;
    for (std::size_t size = 1; size <= 72; ++size) {
        std::string ascii;
        for (std::size_t i = 0; i < size; ++i)
            ascii += static_cast<char>('A' + i % 26);
        lines.push_back(ascii);
        expected += ascii + "\n";
        for (std::size_t first = 0; first < size; ++first) {
            for (std::size_t second = first; second < size; second += 5) {
                std::string line;
                for (std::size_t i = 0; i < size; ++i)
                    line += static_cast<char>('a' + i % 26);
                line[first] = '\xE4';
                line[second] = '\xFC';
                lines.push_back(line);
                expected += utf8(line) + "\n";
            }
        }
    }
    EXPECT_EQ(Written(lines), expected);
}

TEST(LineOutput, LinesLongerThanTheBufferAndManyLinesArriveWhole) {
    const std::string longLine(100, '1');
    std::vector<std::string> lines = {"a", longLine, "Pr\xE4"};
    std::string expected = "a\n" + longLine + "\nPr\xC3\xA4\n";
    for (int i = 0; i < 50; ++i) {
        lines.push_back("line " + std::to_string(i));
        expected += "line " + std::to_string(i) + "\n";
    }
    EXPECT_EQ(Written(lines, 16), expected);
}

TEST(LineOutput, AFailedWriteIsReportedWithTheOutputsName) {
    const int fd = open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/full";
    TLineOutput out(fd, "/dev/full", 64);
    for (int i = 0; i < 10; ++i)
        out.Write("Idle Packet");
    EXPECT_TRUE(out.HasFailed());
    EXPECT_FALSE(out.Finish(true));
    EXPECT_EQ(out.ErrorText(), "fennox-decode: cannot write /dev/full: No space left on device");
}
