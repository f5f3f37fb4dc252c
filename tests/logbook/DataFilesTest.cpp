#include <DataFiles.h>
#include <LineFile.h>
#include <LineList.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace logbook;

TEST(DataFiles, PathsJoinWithoutADoubledSeparatorAndParentsKeepTheirRoot)
{
#ifdef _WIN32
    EXPECT_EQ(dataFilePath("C:\\Tolmarin", kEntryLogName), "C:\\Tolmarin\\TOLM.LyS");
    EXPECT_EQ(dataFilePath("C:\\", kBranchListName), "C:\\Branch.LyS");
    EXPECT_EQ(parentDirectory("C:\\Tolmarin\\tolmarin.exe"), "C:\\Tolmarin");
    EXPECT_EQ(parentDirectory("C:\\TOLM.LyS"), "C:\\");
#else
    EXPECT_EQ(dataFilePath("/opt/tolmarin", kEntryLogName), "/opt/tolmarin/TOLM.LyS");
    EXPECT_EQ(dataFilePath("/opt/tolmarin/", kReasonListName), "/opt/tolmarin/Reason.LyS");
    EXPECT_EQ(dataFilePath("/", kBranchListName), "/Branch.LyS");
    EXPECT_EQ(parentDirectory("/opt/tolmarin/tolmarin"), "/opt/tolmarin");
    EXPECT_EQ(parentDirectory("/tolmarin"), "/");
#endif
    EXPECT_EQ(parentDirectory("TOLM.LyS"), ".");
}

TEST(DataFiles, ExecutableDirectoryIsTheProgramsFolderNotTheCurrentOne)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::string directory = executableDirectory(), expected = TEST_BINARY_DIR;
    std::filesystem::current_path(previous);
#ifdef _WIN32
    // Built on Linux and run under Wine, whose drive Z: is the Unix root.
    std::replace(expected.begin(), expected.end(), '/', '\\');
    expected = (expected.starts_with('\\') ? "Z:" : "") + expected;
    std::transform(directory.begin(), directory.end(), directory.begin(), ::tolower);
    std::transform(expected.begin(), expected.end(), expected.begin(), ::tolower);
#endif
    EXPECT_EQ(directory, expected);
}

TEST(LineList, ManyLinesOfEveryEndKeepTheirOrderAndEachDecodesOnItsOwn)
{
    std::string bytes; // many blocks of the index, read back and forth
    for (int i = 0; i < 70'000; ++i)
        bytes += std::to_string(i) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    const LineList list = LineList::fromBytes(bytes + "Zürich\r\ncaf\xE9");
    ASSERT_EQ(list.size(), 70'002u);
    for (int i = 0; i < 35'000; ++i) {
        ASSERT_EQ(list.bytesAt(i), std::to_string(i));
        ASSERT_EQ(list.bytesAt(69'999 - i), std::to_string(69'999 - i));
    }
    EXPECT_EQ(list.bytesAt(70'001), "caf\xE9"); // stored bytes are never rewritten
    EXPECT_EQ(list.textAt(70'001), "café");
    EXPECT_EQ(list.textAt(70'000), "Zürich"); // UTF-8 beside Windows-1252, on Windows too
}

// Lines are found a block of bytes at a time: a line end at every place of
// a block, of the next one and of the last bytes, among the bytes nearest to
// CR and LF and those a signed compare would take for them.
TEST(LineList, FindsALineEndWhereverItFallsAndNothingElse)
{
    const std::string others = std::string("\x0c\x0e\x8d\x8a\x09\x0b\x7f\x80\xff", 9) + '\0';
    const auto filler = [&](std::size_t count, std::size_t step) {
        std::string bytes;
        for (std::size_t i = 0; i < count; ++i)
            bytes += others[(i * step) % others.size()];
        return bytes;
    };
    for (const std::string end : {"\n", "\r", "\r\n"}) {
        for (std::size_t at = 0; at < 34; ++at) {
            for (std::size_t after : {0, 1, 20}) {
                const std::string first = filler(at, 1), second = filler(after, 3);
                const LineList list = LineList::fromBytes(first + end + second);
                ASSERT_EQ(list.size(), after == 0 ? 1u : 2u) << at << " " << after;
                EXPECT_EQ(list.bytesAt(0), first) << at;
                if (after > 0) {
                    EXPECT_EQ(list.bytesAt(1), second) << at;
                }
            }
        }
    }
    // Past 2 MiB of bytes, which take the system's large pages, and past
    // 4 MiB, split in pieces, one a core, cut on 64-byte boundaries: here
    // every such boundary falls between a CR and its LF.
    std::string bytes(3 << 20, '\n');
    while (bytes.size() < (8u << 20))
        bytes += "\n" + std::string(62, 'x') + "\r";
    const LineList many = LineList::fromBytes(bytes + "last");
    ASSERT_EQ(many.size(), (3u << 20) + 1 + (5u << 20) / 64 + 1);
    for (std::size_t i = (3u << 20) + 1; i + 1 < many.size(); ++i)
        ASSERT_EQ(many.bytesAt(i), std::string(62, 'x')) << i;
    EXPECT_EQ(many.bytesAt(many.size() - 1), "last");
    EXPECT_EQ(many.longestLine(), 62u);
}

// A list scrolls as far as its longest line, measured as the lines are found:
// in bytes (no character takes more cells than bytes), without its line end,
// wherever it lies and however the lines end; also where a file of 4 MiB or
// more is split in pieces, one a thread, and the pieces' lines are joined.
TEST(LineList, TheLongestLineIsItsBytesWithoutTheLineEndWhereverItLies)
{
    testing_support::TempDir dir;
    const std::string wide = "Z\xC3\xBCrich " + std::string(90, 'w'), big(3 << 20, 'b'); // 97 characters in 98 bytes
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        const std::string next = std::string(wide.size() - 1, 'n') + end; // one byte short, before it
        const auto lines = [&](std::size_t bytes) {
            std::string many;
            while (many.size() < bytes)
                many += "ab" + end;
            return many;
        };
        const struct {
            std::string bytes;
            std::size_t longest;
        } cases[] = {
            {wide + end + next + "x", wide.size()}, // first: its end found among 32 bytes at once (AVX2)
            {next + wide + end + std::string(15, 'x'), wide.size()}, // between: among 16 at once (SSE2)
            {next + "x" + end + wide + end, wide.size()}, // last: among the last bytes, one at a time
            {next + wide, wide.size()}, // last, with no line end
            {lines(4 << 20) + wide + end + "x", wide.size()}, // in the second piece
            {lines(2 << 20) + big + end + lines(1 << 20), big.size()}, // begun in the first piece, ended in the second
            {lines(2 << 20) + big, big.size()}, // the same, with no line end
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << "case " << &c - cases << ", ended by " << testing::PrintToString(end));
            dir.write("TOLM.LyS", c.bytes);
            EXPECT_EQ(ReadLines(dir.file("TOLM.LyS")).longestLine(), c.longest);
            EXPECT_EQ(indexLines(c.bytes.data(), c.bytes.size(), 2).longest, c.longest); // split on any machine
        }
    }
}
