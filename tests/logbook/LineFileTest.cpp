// Reading, and what the platform's calls do where they differ.

#include <FaultyFileSystem.h>
#include <FileError.h>
#include <LineFile.h>
#include <SystemErrors.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <tuple>
#include <utility>

#ifndef _WIN32
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

using namespace logbook;
using namespace testing_support;

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

// More lines than both toolkits can number are refused once counted (only a
// file of 2 GB reaches the bound, so the count is given here).
TEST(ReadLines, AFileOfMoreLinesThanTheMostIsRefusedSayingHowMany)
{
    EXPECT_NO_THROW(checkLineCount("TOLM.LyS", 2'000'000'000));
    try {
        checkLineCount("TOLM.LyS", 2'000'000'001);
        ADD_FAILURE() << "no error";
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Cannot read file TOLM.LyS:\nIt has too many lines to load (2000000001); this "
                                   "program loads files of up to 2000000000 lines.");
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

// Another program cuts the mapped log short before its lines are counted
// or after (rows are read only when asked for), or rewrites it in place
// with a line end in every byte; or cuts it short while it is copied in
// pieces, where it cannot be mapped. Every row stays inside the bytes and in
// order, the count stays what was counted, and a row cut away reads as NULs.
TEST(ReadLines, ALoadRacedByAnotherWriterKeepsEveryRowInsideTheFile)
{
    TempDir dir;
    constexpr std::size_t kRows = 70'000, kCut = 40'000 * 62 + 20; // 4.3 MB: counted in pieces
    std::string log;
    for (std::size_t i = 0; i < kRows; ++i)
        log += std::string(60, char('a' + i % 26)) + "\r\n";
    enum Change { Cut, Rewrite, Grow };
    struct Race {
        bool beforeCount;
        Change how;
        std::size_t rows;
        bool copied = false;
    };
    for (const Race race : {Race{true, Cut, 40'001}, Race{false, Cut, kRows}, Race{false, Rewrite, kRows},
                            Race{true, Cut, 40'001, true}, Race{true, Grow, kRows + 1, true}}) {
        dir.write("TOLM.LyS", log);
        const auto change = [&] {
            if (race.how == Cut)
                return std::filesystem::resize_file(dir.file("TOLM.LyS"), kCut);
            const std::string bytes = race.how == Grow ? std::string(60, 'z') + "\r\n" : std::string(log.size(), '\n');
            FILE* file = std::fopen(dir.file("TOLM.LyS").c_str(), race.how == Grow ? "ab" : "r+b");
            std::fwrite(bytes.data(), 1, bytes.size(), file);
            std::fclose(file);
        };
        bool changed = false;
        FaultyFileSystem files([&](std::size_t, const Call& call) {
            if (race.copied && call.step == Step::Map)
                return Fault{ENODEV};
            // Mapped and not yet counted, or about to be copied.
            if (race.beforeCount && call.step == (race.copied ? Step::ReadAt : Step::Close) && !std::exchange(changed, true))
                change();
            return Fault{};
        });
        const LineList lines = ReadLines(dir.file("TOLM.LyS"), files);
        if (!race.beforeCount)
            change();
        ASSERT_EQ(lines.size(), race.rows);
        if (race.copied) { // up to where the first piece found the end, or on to where it grew
            EXPECT_EQ(lines.byteSize(), race.how == Grow ? log.size() + 62 : kCut);
        }
        const char* at = lines.bytesAt(0).data();
        const char* end = at + lines.byteSize();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string_view row = lines.bytesAt(i);
            ASSERT_TRUE(row.data() >= at && row.data() + row.size() <= end) << i;
            at = row.data() + row.size();
            if (race.how == Grow) {
                ASSERT_EQ(row, i < kRows ? log.substr(i * 62, 60) : std::string(60, 'z')) << i;
            } else if (race.how == Cut && i * 62 + 62 <= kCut) {
                ASSERT_EQ(row, log.substr(i * 62, 60)) << i;
            } else if (race.how == Cut && i * 62 >= kCut) {
                ASSERT_EQ(row, std::string(62, '\0')) << i;
            }
        }
    }
}

// A read ahead that nobody takes, because start-up failed on another file,
// does not hold up the program's end, however long it blocks.
TEST(ReadLines, AReadAheadNobodyTakesDoesNotHoldUpTheEnd)
{
    EXPECT_EXIT(
        {
            FaultyFileSystem hanging([](std::size_t, const Call&) { return std::this_thread::sleep_for(std::chrono::hours(9)), Fault{}; });
            ReadLinesAhead("/nowhere/Branch.LyS", hanging);
            std::exit(3);
        },
        testing::ExitedWithCode(3), "");
}

TEST(LineFile, AFileSystemThatCannotSyncAFolderIsNoFailure)
{
    EXPECT_EQ(platformFileSystem().syncFolder("/proc"), 0); // EINVAL there
}

// The guard takes only the bus errors of past-the-end reads in the program's
// own mappings (the window test cuts a log short under them). Any other,
// like a misaligned access in a data file, goes to the handler installed
// before it, run with its flags and mask, and only once if so asked; after
// that a bus error outside the data files ends the program.
TEST(TruncationGuard, ABusErrorItDoesNotTakeGoesWhereItWentBefore)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a process whose guard comes after that handler
    static int calls = 0;
    const auto handler = [](int, siginfo_t*, void*) {
        sigset_t blocked;
        ::pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
        if (calls++ > 0 || ::sigismember(&blocked, SIGUSR1) != 1 || ::sigismember(&blocked, SIGBUS) != 0)
            ::_exit(3);
    };
    EXPECT_EXIT(
        {
            struct sigaction before {};
            before.sa_sigaction = handler;
            before.sa_flags = SA_SIGINFO | SA_RESETHAND | SA_NODEFER;
            ::sigemptyset(&before.sa_mask);
            ::sigaddset(&before.sa_mask, SIGUSR1);
            ::sigaction(SIGBUS, &before, nullptr);
            TempDir dir;
            dir.write("TOLM.LyS", "a line\n");
            const LineList lines = ReadLines(dir.file("TOLM.LyS")); // mapped: the guard is in place
            siginfo_t info{};
            info.si_signo = SIGBUS;
            info.si_code = BUS_ADRALN;
            info.si_addr = const_cast<char*>(lines.bytesAt(0).data());
            ::syscall(SYS_rt_tgsigqueueinfo, ::getpid(), ::gettid(), SIGBUS, &info);
            FILE* other = std::tmpfile();
            std::fputs(std::string(20000, 'x').c_str(), other);
            std::fflush(other);
            auto* mapped = static_cast<volatile char*>(::mmap(nullptr, 20000, PROT_READ, MAP_SHARED, ::fileno(other), 0));
            std::ignore = ::ftruncate(::fileno(other), 0);
            std::exit(calls == 1 ? mapped[10000] : 4);
        },
        testing::KilledBySignal(SIGBUS), "");
}
#endif
