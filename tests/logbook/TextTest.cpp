#include <DataFiles.h>
#include <Text.h>

#include <gtest/gtest.h>

using namespace logbook;

TEST(Text, CountsCutsAndFillsByCharactersNeverSplittingOne)
{
    EXPECT_EQ(characterCount("Zürich 東京 a😀b"), 13u);
    EXPECT_EQ(leftCharacters("Zürich", 2), "Zü");
    EXPECT_EQ(leftCharacters("😀😀😀", 2), "😀😀");
    EXPECT_EQ(leftCharacters("abc", 3), "abc");
    EXPECT_EQ(leftCharacters("abc", 0), "");
    EXPECT_EQ(fitToWidth("é", 3), "é  ");
    EXPECT_EQ(fitToWidth("Ωμέγα Ωμέγα Ωμέγα", 16), "Ωμέγα Ωμέγα Ωμέγ");
}

TEST(Text, RecognisesWellFormedUtf8AtEveryEdge)
{
    const std::pair<const char*, bool> cases[] = {
        {"Grüße, 東京, 😀", true},   {"caf\xE9", false},          // Windows-1252
        {"\xC2\x80", true},          {"\xC1\xBF", false},         // U+0080; overlong U+007F
        {"\xE0\xA0\x80", true},      {"\xE0\x9F\xBF", false},     // U+0800; overlong U+07FF
        {"\xF0\x90\x80\x80", true},  {"\xF0\x8F\xBF\xBF", false}, // U+10000; overlong U+FFFF
        {"\xF4\x8F\xBF\xBF", true},  {"\xF4\x90\x80\x80", false}, // U+10FFFF; beyond it
        {"\xED\x9F\xBF", true},      {"\xED\xA0\x80", false},     // U+D7FF; a surrogate
        {"\xEE\x80\x80", true},      {"\xED\xBF\xBF", false},     // U+E000; the last surrogate
        {"\xE2\x82", false},         {"\xE2\x28\xA1", false},     // cut short; no continuation
        {"\x80", false},             {"\xF8\x88\x80\x80\x80", false},
    };
    for (const auto& [bytes, valid] : cases)
        EXPECT_EQ(isValidUtf8(bytes), valid) << testing::PrintToString(bytes);
}

TEST(Text, DecodesWindows1252AndReplacesEveryControlCharacterBySpace)
{
    EXPECT_EQ(windows1252ToUtf8("caf\xE9 \xFF\x7F\x80\x81\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8D\x8E\x8F"
                                "\x90\x91\x92\x93\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9D\x9E\x9F"),
              "café ÿ\x7F€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ");
    EXPECT_EQ(replaceControlCharacters(std::string("\r\n\0b\tc\x1F\x7F", 8)), "   b c  ");
    EXPECT_EQ(replaceControlCharacters("a\u0080b\u0085c\u009F"), "a b c "); // C1
    EXPECT_EQ(replaceControlCharacters("Zürich\u00A0東京 ~"), "Zürich\u00A0東京 ~");
}

TEST(EntryLine, FieldsFillTheirColumnsAndOverLongOnesAreCut)
{
    EXPECT_EQ(composeEntryLine("31 Feb 2019", "ABCDEFGHIJKLMNOP", "R"), "31 Feb 2019  ABCDEFGHIJKLMNOP R" + std::string(29, ' '));
    EXPECT_EQ(composeEntryLine("01 Jan 2020", "東京東京東京東京東京東京東京東京東京", std::string(31, 'r') + "😀"),
              "01 Jan 2020  東京東京東京東京東京東京東京東京 " + std::string(30, 'r'));
}
