// Reading, and what the platform's calls do where they differ.

#include <FaultyFileSystem.h>
#include <FileError.h>
#include <LineFile.h>
#include <SystemErrors.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#ifndef _WIN32
#include <sys/mman.h>
#include <unistd.h>
#endif

using namespace logbook;
using namespace testing_support;

TEST(ReadLines, ReadsToTheEndAlsoWhenTheFileGrowsMeanwhile)
{
    TempDir dir;
    const std::string longLine(300, 'x');
    dir.write("Branch.LyS", "Main\r\n  padded  \r\n" + longLine + "\r\n\r\nno end");
    // Another instance's Save lands after the size was taken.
    FaultyFileSystem files([&](std::size_t, const Call& call) {
        if ((call.step == Step::Read || call.step == Step::Map) && dir.read("Branch.LyS").ends_with("end"))
            std::ofstream(dir.path() / "Branch.LyS", std::ios::binary | std::ios::app) << "\r\ngrown\r\n";
        return Fault{};
    });
    const LineList lines = ReadLines(dir.file("Branch.LyS"), files);
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < lines.size(); ++i)
        texts.push_back(lines.textAt(i));
    EXPECT_EQ(texts, (std::vector<std::string>{"Main", "  padded  ", longLine, "", "no end", "grown"}));
}

// A read ahead serves the next read of its own path, once; a failed one is
// read again and reported as such.
TEST(ReadLines, AReadAheadServesOneReadOfItsPath)
{
    TempDir dir;
    dir.write("TOLM.LyS", "one\r\n");
    ReadLinesAhead(dir.file("TOLM.LyS"));
    EXPECT_THROW(ReadLines(dir.file("Branch.LyS")), FileError);
    EXPECT_EQ(ReadLines(dir.file("TOLM.LyS")).size(), 1u);
    dir.write("TOLM.LyS", "one\r\ntwo\r\n");
    EXPECT_EQ(ReadLines(dir.file("TOLM.LyS")).size(), 2u);
    std::filesystem::create_directory(dir.file("Reason.LyS"));
    ReadLinesAhead(dir.file("Reason.LyS"));
    EXPECT_THROW(ReadLines(dir.file("Reason.LyS")), FileError);
}

// The same on every platform: a folder where a data file belongs cannot be
// opened as one, whatever the operation.
TEST(LineFile, AFolderInADataFilesPlaceCannotBeOpened)
{
    TempDir dir;
    const std::string folder = dir.file("TOLM.LyS");
    std::filesystem::create_directory(folder);
    const std::string message = "Cannot open file " + folder + ":\n" + systemWording(kIsAFolder) + ".";
    for (const auto& operation : {+[](const std::string& path) { EnsureFile(path); },
                                  +[](const std::string& path) { ReadLines(path); },
                                  +[](const std::string& path) { AppendLine(path, "x"); }}) {
        try {
            operation(folder);
            ADD_FAILURE() << "no error";
        } catch (const FileError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

#ifndef _WIN32
// A file cut short by another program after its size was taken, while the
// Save holds the lock (advisory on POSIX; Windows' lock keeps others out):
// nothing can be trusted about it, so nothing is written, and the message
// says what happened rather than sending the user after a broken disk.
TEST(AppendLine, AFileThatShrankUnderTheLockFailsTheSave)
{
    TempDir dir;
    dir.write("TOLM.LyS", "an unended line");
    FaultyFileSystem files([&](std::size_t, const Call& call) {
        if (call.step == Step::ReadAt)
            std::filesystem::resize_file(dir.file("TOLM.LyS"), 0);
        return Fault{};
    });
    try {
        AppendLine(dir.file("TOLM.LyS"), "x", files);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), ("Cannot write file " + dir.file("TOLM.LyS")
                                    + ":\nAnother program changed it during the Save.").c_str());
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "");
}

// A read ahead that nobody takes, because start-up failed on another file,
// does not hold up the program's end, however long it blocks.
TEST(ReadLines, AReadAheadNobodyTakesDoesNotHoldUpTheEnd)
{
    EXPECT_EXIT(
        {
            FaultyFileSystem hanging([](std::size_t, const Call&) {
                for (;;)
                    std::this_thread::sleep_for(std::chrono::hours(1));
                return Fault{};
            });
            ReadLinesAhead("/nowhere/Branch.LyS", hanging);
            std::exit(3);
        },
        testing::ExitedWithCode(3), "");
}

TEST(LineFile, AFileSystemThatCannotSyncAFolderIsNoFailure)
{
    EXPECT_EQ(platformFileSystem().syncFolder("/proc"), 0); // EINVAL there
}

// Lines read from a file that another program then cuts short read as NULs
// where the file is gone, and the program goes on. Any other SIGBUS still
// ends it.
TEST(TruncationGuard, ACutShortFileReadsAsNulsAndOtherBusErrorsStillEndTheProgram)
{
    TempDir dir;
    const std::string line(99, 'x');
    std::string bytes;
    for (int i = 0; i < 200; ++i) // 20,000 bytes: five pages
        bytes += line + "\n";
    dir.write("TOLM.LyS", bytes);
    const LineList lines = ReadLines(dir.file("TOLM.LyS"));
    ASSERT_EQ(std::system(("truncate -s 5050 " + dir.file("TOLM.LyS")).c_str()), 0);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view kept = lines.bytesAt(i);
        // The line ends are gone too: a cut row reads to where the next one starts.
        EXPECT_EQ(kept, i < 50 ? line : i == 50 ? line.substr(0, 50) + std::string(50, '\0') : std::string(100, '\0'))
            << i;
    }
    EXPECT_EXIT(
        {
            FILE* other = std::tmpfile();
            std::fputs(bytes.c_str(), other);
            std::fflush(other);
            auto* mapped = static_cast<volatile char*>(::mmap(nullptr, bytes.size(), PROT_READ, MAP_SHARED, ::fileno(other), 0));
            std::ignore = ::ftruncate(::fileno(other), 0);
            std::exit(mapped[10000]);
        },
#ifdef __SANITIZE_ADDRESS__ // the handler installed before the guard's reports it and ends the program
        testing::ExitedWithCode(1), "BUS");
#else
        testing::KilledBySignal(SIGBUS), "");
#endif
}
#endif
