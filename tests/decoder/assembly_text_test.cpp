// The assembler's texts: bounded appends, pieces of eight, the prefix room
// and the search for a character.
#include "assembly_text.h"

#include <gtest/gtest.h>

#include <string>

TEST(AssemblyText, PiecesKeepOnlyTheirCountAndTheTextStopsAtItsBound) {
    TAssemblyText text;
    const char bits[] = "0110100111111111";
    text.AppendPiece(bits, 3);
    text.AppendPiece(bits + 3, 8);
    text.AppendPiece(bits, 8, 2, ' ');
    EXPECT_EQ(text, "011"
                    "01001111"
                    "01 01001");
    text.push_back('>');
    text.append("ab", 2);
    EXPECT_EQ(text.substr(19), ">ab");

    std::string expected = text.substr(0);
    while (text.size() + 8 <= TAssemblyText::MaxLength) {
        text.AppendPiece(bits, 8);
        expected.append(bits, 8);
    }
    // The last pieces pass the bound: what does not fit is lost, whatever
    // the way of appending.
    const std::size_t room = TAssemblyText::MaxLength - text.size();
    expected.append(bits, room);
    text.AppendPiece(bits, 8);
    text.push_back('x');
    text.append("yz", 2);
    text.AppendPiece(bits, 8, 0, ' ');
    EXPECT_EQ(text.size(), TAssemblyText::MaxLength);
    EXPECT_EQ(text, expected);

    TAssemblyText copy = text;
    EXPECT_EQ(copy, text);
    copy = std::string(TAssemblyText::MaxLength + 10, '1');
    EXPECT_EQ(copy.size(), TAssemblyText::MaxLength);
    copy.clear();
    EXPECT_TRUE(copy.empty());
}

TEST(AssemblyText, ContainsFindsACharacterAtEveryPlaceOfEveryLength) {
    for (std::size_t size = 0; size <= 40; ++size) {
        TAssemblyText text;
        text = std::string(size, '1');
        EXPECT_FALSE(text.Contains('0')) << size;
        for (std::size_t at = 0; at < size; ++at) {
            std::string s(size, '1');
            s[at] = '0';
            text = s;
            EXPECT_TRUE(text.Contains('0')) << size << " at " << at;
            EXPECT_FALSE(text.Contains('2')) << size << " at " << at;
        }
    }
    // Characters past the end are not looked at.
    TAssemblyText text;
    text = "0000000000";
    text = "111";
    EXPECT_FALSE(text.Contains('0'));
    text = "111111111111";
    text = "1111111111";
    EXPECT_FALSE(text.Contains('0'));
}

TEST(AssemblyText, PrefixedViewPutsThePrefixRightBeforeTheText) {
    TAssemblyText text;
    text = "1111";
    EXPECT_EQ(text.PrefixedView("Schrott: "), "Schrott: 1111");
    EXPECT_EQ(text.PrefixedView("Pr\xE4"
                                "ambel: "),
              "Pr\xE4"
              "ambel: 1111");
    EXPECT_EQ(text.PrefixedView("ab"), "ab1111");
    EXPECT_EQ(text, "1111");
}
