#include <Text.h>

#include <gtest/gtest.h>

using namespace logbook;

TEST(Text, CountsCharactersNotBytes)
{
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("Main"), 4u);
    EXPECT_EQ(characterCount("Zürich"), 6u);       // ü is two bytes
    EXPECT_EQ(characterCount("東京"), 2u);          // three bytes each
    EXPECT_EQ(characterCount("a😀b"), 3u);         // four bytes, two UTF-16 units
}

TEST(Text, CutNeverSplitsACharacter)
{
    EXPECT_EQ(leftCharacters("Zürich", 2), "Zü");
    EXPECT_EQ(leftCharacters("😀😀😀", 2), "😀😀");
    EXPECT_EQ(leftCharacters("abc", 3), "abc");
    EXPECT_EQ(leftCharacters("abc", 10), "abc");
    EXPECT_EQ(leftCharacters("abc", 0), "");
    EXPECT_TRUE(isValidUtf8(leftCharacters("ääääääääääääääääää", 16)));
}

TEST(Text, FitToWidthPadsAndCutsByCharacters)
{
    EXPECT_EQ(fitToWidth("é", 3), "é  ");
    EXPECT_EQ(fitToWidth("abcdef", 4), "abcd");
    EXPECT_EQ(characterCount(fitToWidth("Ωμέγα Ωμέγα Ωμέγα", 16)), 16u);
}

TEST(Text, RecognisesWellFormedUtf8Only)
{
    EXPECT_TRUE(isValidUtf8("plain ASCII"));
    EXPECT_TRUE(isValidUtf8("Grüße, 東京, 😀"));
    EXPECT_FALSE(isValidUtf8("caf\xE9"));             // Windows-1252 é
    EXPECT_FALSE(isValidUtf8("\xC3"));                 // cut short
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));             // overlong '/'
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));         // a lone surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));     // beyond U+10FFFF
    EXPECT_FALSE(isValidUtf8("\x80"));                 // stray continuation
}

TEST(Text, DecodesWindows1252)
{
    EXPECT_EQ(windows1252ToUtf8("caf\xE9"), "café");
    EXPECT_EQ(windows1252ToUtf8("\x80 5"), "€ 5");
    EXPECT_EQ(windows1252ToUtf8("\x93quoted\x94"), "“quoted”");
    EXPECT_EQ(windows1252ToUtf8("\x81"), "\xC2\x81"); // unassigned byte
    EXPECT_TRUE(isValidUtf8(windows1252ToUtf8("\xFF\xFE\x00\x9F")));
}

TEST(Text, ReplacesEveryControlCharacterBySpace)
{
    EXPECT_EQ(replaceControlCharacters("Head\r\nOffice"), "Head  Office");
    EXPECT_EQ(replaceControlCharacters(std::string("a\0b\tc\x7F", 6)), "a b c ");
    EXPECT_EQ(replaceControlCharacters("next\xC2\x85line"), "next line"); // U+0085
    EXPECT_EQ(replaceControlCharacters("Zürich 東京"), "Zürich 東京");
}
