#include <DataFiles.h>
#include <LineList.h>

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
    std::string bytes; // past 65,535 lines and 64 KiB of offsets
    for (int i = 0; i < 70'000; ++i)
        bytes += std::to_string(i) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\n" : "\r");
    const LineList list = LineList::fromBytes(bytes + "Zürich\r\ncaf\xE9");
    ASSERT_EQ(list.size(), 70'002u);
    for (int i = 0; i < 70'000; i += 997)
        EXPECT_EQ(list.bytesAt(i), std::to_string(i));
    EXPECT_EQ(list.bytesAt(70'001), "caf\xE9"); // stored bytes are never rewritten
    EXPECT_EQ(list.textAt(70'001), "café");
#ifdef _WIN32
    EXPECT_EQ(list.textAt(70'000), "ZÃ¼rich"); // the ANSI code page (1252 here) alone: UTF-8 is not guessed
#else
    EXPECT_EQ(list.textAt(70'000), "Zürich");
#endif
}
