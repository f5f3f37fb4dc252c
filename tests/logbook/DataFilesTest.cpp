#include <DataFiles.h>
#include <Text.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace logbook;

#ifdef _WIN32
TEST(DataFiles, PathJoinsTheFixedNameWithoutADoubledSeparator)
{
    EXPECT_EQ(dataFilePath("C:\\Tolmarin", kEntryLogName), "C:\\Tolmarin\\TOLM.LyS");
    EXPECT_EQ(dataFilePath("C:\\", kBranchListName), "C:\\Branch.LyS");
    EXPECT_EQ(dataFilePath("\\\\server\\share\\", kReasonListName), "\\\\server\\share\\Reason.LyS");
}

TEST(DataFiles, ParentDirectory)
{
    EXPECT_EQ(parentDirectory("C:\\Tolmarin\\tolmarin.exe"), "C:\\Tolmarin");
}
#else
TEST(DataFiles, PathJoinsTheFixedNameWithoutADoubledSeparator)
{
    EXPECT_EQ(dataFilePath("/opt/tolmarin", kEntryLogName), "/opt/tolmarin/TOLM.LyS");
    EXPECT_EQ(dataFilePath("/", kBranchListName), "/Branch.LyS");
    EXPECT_EQ(dataFilePath("/opt/tolmarin/", kReasonListName), "/opt/tolmarin/Reason.LyS");
}

TEST(DataFiles, ParentDirectory)
{
    EXPECT_EQ(parentDirectory("/opt/tolmarin/tolmarin"), "/opt/tolmarin");
    EXPECT_EQ(parentDirectory("/tolmarin"), "/");
}
#endif

TEST(DataFiles, ExecutableDirectoryIsTheProgramsFolderNotTheCurrentOne)
{
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path("/");
    const std::string directory = executableDirectory();
    std::filesystem::current_path(previous);
#ifdef _WIN32
    // Built on Linux and run under Wine, whose drive Z: is the Unix root.
    std::string expected = TEST_BINARY_DIR;
    if (expected.starts_with('/')) {
        std::replace(expected.begin(), expected.end(), '/', '\\');
        expected = "Z:" + expected;
    }
    EXPECT_TRUE(_stricmp(directory.c_str(), expected.c_str()) == 0) << directory << " vs " << expected;
#else
    EXPECT_EQ(directory, TEST_BINARY_DIR);
#endif
}

TEST(EntryLine, WorkedExample)
{
    EXPECT_EQ(composeEntryLine("07 Mar 2016", "Main", "Audit"),
              "07 Mar 2016  Main             Audit" + std::string(25, ' '));
}

TEST(EntryLine, FieldsFillTheirColumnsExactly)
{
    const std::string full = composeEntryLine("31 Feb 2019", "ABCDEFGHIJKLMNOP", "R");
    EXPECT_EQ(full, "31 Feb 2019  ABCDEFGHIJKLMNOP R" + std::string(29, ' '));

    const std::string wide = composeEntryLine("01 Jan 2020", "Zürich Süd", "Prüfung der Bücher");
    EXPECT_EQ(characterCount(wide), kEntryLineWidth);
    EXPECT_EQ(wide.substr(0, 13 + std::string("Zürich Süd").size()), "01 Jan 2020  Zürich Süd");
}

TEST(EntryLine, OverLongFieldsAreCutSoTheLineIsAlways60Characters)
{
    const std::string line = composeEntryLine("01 Jan 2020", std::string(20, 'b'), std::string(40, 'r'));
    EXPECT_EQ(line, "01 Jan 2020  " + std::string(16, 'b') + " " + std::string(30, 'r'));
    const std::string wide = composeEntryLine("01 Jan 2020", "東京東京東京東京東京東京東京東京東京", "😀");
    EXPECT_EQ(characterCount(wide), 60u);
    EXPECT_TRUE(isValidUtf8(wide));
}
