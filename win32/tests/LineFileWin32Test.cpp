// What only the Windows appends do: Windows enforces sharing modes.

#include <LineFile.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <windows.h>

using logbook::AppendLine;

TEST(AppendLineOnWindows, AFileOpenInAnotherProgramStillTakesTheLine)
{
    // Another program holding the file open for reading (sharing reads and
    // writes, as every well-behaved program does) does not stop a save.
    testing_support::TempDir dir;
    dir.write("Branch.LyS", "Main\r\n");
    HANDLE other = ::CreateFileW(std::filesystem::path(dir.file("Branch.LyS")).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    AppendLine(dir.file("Branch.LyS"), "North");
    ::CloseHandle(other);
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\nNorth\r\n");
}
