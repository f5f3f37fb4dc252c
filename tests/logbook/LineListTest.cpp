#include <LineList.h>

#include <gtest/gtest.h>

#include <vector>

using logbook::LineList;

namespace {
std::vector<std::string> linesOf(std::string_view bytes)
{
    LineList list = LineList::fromBytes(bytes);
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < list.size(); ++i)
        lines.emplace_back(list.bytesAt(i));
    return lines;
}
using Lines = std::vector<std::string>;
} // namespace

TEST(LineList, SplitsAtEveryKindOfLineEnd)
{
    EXPECT_EQ(linesOf(""), Lines{});
    EXPECT_EQ(linesOf("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(linesOf("a\nb\n"), (Lines{"a", "b"}));          // made on Unix
    EXPECT_EQ(linesOf("a\rb\r"), (Lines{"a", "b"}));          // lone CR
    EXPECT_EQ(linesOf("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(linesOf("a\r\r\n"), (Lines{"a", ""}));
}

TEST(LineList, KeepsEmptyLinesAndAnUnterminatedLastLine)
{
    EXPECT_EQ(linesOf("\r\n"), Lines{""});
    EXPECT_EQ(linesOf("\r\n\r\n"), (Lines{"", ""}));
    EXPECT_EQ(linesOf("last"), Lines{"last"});
    EXPECT_EQ(linesOf("a\r\nlast"), (Lines{"a", "last"}));
    EXPECT_EQ(linesOf("  spaced  \r\n"), Lines{"  spaced  "});
}

TEST(LineList, KeepsNulBytesInsideALine)
{
    EXPECT_EQ(linesOf(std::string("a\0b\r\n", 5)), Lines{std::string("a\0b", 3)});
}

TEST(LineList, DecodesEachLineOnItsOwn)
{
    LineList list = LineList::fromBytes("Zürich\r\ncaf\xE9\r\n");
    ASSERT_EQ(list.size(), 2u);
#ifdef _WIN32
    EXPECT_EQ(list.textAt(0), "ZÃ¼rich"); // the ANSI code page (1252 here) alone, UTF-8 is not guessed
#else
    EXPECT_EQ(list.textAt(0), "Zürich");
#endif
    EXPECT_EQ(list.textAt(1), "café");
    EXPECT_EQ(list.bytesAt(1), "caf\xE9"); // stored bytes are never rewritten
}

TEST(LineList, ManyLinesKeepTheirOrderAndEnds)
{
    // Past 65,535 lines and 64 KiB of offsets, with every kind of line end.
    const char* ends[] = {"\r\n", "\n", "\r"};
    std::string bytes;
    for (int i = 0; i < 70'000; ++i)
        bytes += "line " + std::to_string(i) + ends[i % 3];
    bytes += "last";
    LineList list = LineList::fromBytes(bytes);
    ASSERT_EQ(list.size(), 70'001u);
    for (int i = 0; i < 70'000; ++i)
        ASSERT_EQ(list.bytesAt(i), "line " + std::to_string(i)) << i;
    EXPECT_EQ(list.bytesAt(70'000), "last");
    EXPECT_EQ(list.byteSize(), bytes.size());
}
