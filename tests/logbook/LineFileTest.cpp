#include <DataFiles.h>
#include <Faults.h>
#include <FileError.h>
#include <LineFile.h>
#include <SystemErrors.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace logbook;
using testing_support::TempDir;
using namespace testing_support;

namespace {

std::vector<std::string> textsOf(const LineList& list)
{
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < list.size(); ++i)
        texts.push_back(list.textAt(i));
    return texts;
}
using Texts = std::vector<std::string>;

// Removes any fault hook when a test ends, passed or not.
struct FaultScope {
    explicit FaultScope(faults::Hook hook) { faults::setHook(std::move(hook)); }
    ~FaultScope() { faults::setHook({}); }
};

} // namespace

TEST(EnsureFile, CreatesAMissingFileEmptyAndLeavesAnExistingOneAlone)
{
    TempDir dir;
    EnsureFile(dir.file("TOLM.LyS"));
    ASSERT_TRUE(dir.exists("TOLM.LyS"));
    EXPECT_EQ(dir.read("TOLM.LyS"), "");

    dir.write("Branch.LyS", "Main\r\nlast");
    EnsureFile(dir.file("Branch.LyS"));
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\nlast");
}

TEST(EnsureFile, FailureNamesTheFileAndTheSystemsReason)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "TOLM.LyS"); // cannot be opened for writing
    try {
        EnsureFile(dir.file("TOLM.LyS"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), dir.file("TOLM.LyS"));
        EXPECT_EQ(error.systemError(), kIsAFolder);
        EXPECT_EQ(std::string(error.what()),
                  "Cannot open file " + dir.file("TOLM.LyS") + ":\n" + systemWording(kIsAFolder) + ".");
    }
}

TEST(EnsureFile, MissingFolderIsAnError)
{
    TempDir dir;
    EXPECT_THROW(EnsureFile(dir.file("no/such/TOLM.LyS")), FileError);
}

TEST(ReadLines, ReadsEveryLineAsStored)
{
    TempDir dir;
    const std::string longLine(300, 'x');
    dir.write("Branch.LyS", "Main\r\nMain\r\n  padded  \r\n" + longLine + "\r\n\r\nno end");
    EXPECT_EQ(textsOf(ReadLines(dir.file("Branch.LyS"))),
              (Texts{"Main", "Main", "  padded  ", longLine, "", "no end"}));
}

TEST(ReadLines, EmptyFileAndSingleLineEnd)
{
    TempDir dir;
    dir.write("a", "");
    dir.write("b", "\r\n");
    EXPECT_EQ(ReadLines(dir.file("a")).size(), 0u);
    EXPECT_EQ(textsOf(ReadLines(dir.file("b"))), Texts{""});
}

TEST(ReadLines, UnixLineEndsAndWindows1252Text)
{
    TempDir dir;
    dir.write("Reason.LyS", "Audit\nVisite \xE0 Gen\xE8ve\nZürich\n");
#ifdef _WIN32
    // The ANSI code page (1252 in the test setup) throughout: UTF-8 is not guessed.
    EXPECT_EQ(textsOf(ReadLines(dir.file("Reason.LyS"))), (Texts{"Audit", "Visite à Genève", "ZÃ¼rich"}));
#else
    EXPECT_EQ(textsOf(ReadLines(dir.file("Reason.LyS"))), (Texts{"Audit", "Visite à Genève", "Zürich"}));
#endif
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit\nVisite \xE0 Gen\xE8ve\nZürich\n");
}

TEST(ReadLines, MissingFileIsAnErrorNamingIt)
{
    TempDir dir;
    try {
        ReadLines(dir.file("TOLM.LyS"));
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_NE(std::string(error.what()).find(dir.file("TOLM.LyS")), std::string::npos);
        EXPECT_EQ(error.systemError(), kNoSuchFile);
        EXPECT_NE(std::string(error.what()).find(systemWording(kNoSuchFile)), std::string::npos);
    }
}

TEST(AppendLine, WritesTextAndCrLfByteForByte)
{
    TempDir dir;
    AppendLine(dir.file("Branch.LyS"), "Main"); // creates the file
    AppendLine(dir.file("Branch.LyS"), " trailing ");
    AppendLine(dir.file("Branch.LyS"), "Zürich");
#ifdef _WIN32
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\n trailing \r\nZ\xFCrich\r\n"); // Windows-1252
#else
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\n trailing \r\nZürich\r\n");
#endif
}

TEST(AppendLine, EndsAnUnterminatedLastLineFirst)
{
    TempDir dir;
    dir.write("Reason.LyS", "Audit");
    AppendLine(dir.file("Reason.LyS"), "Visit");
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit\r\nVisit\r\n");

    dir.write("Unix", "a\n");
    AppendLine(dir.file("Unix"), "b");
    EXPECT_EQ(dir.read("Unix"), "a\nb\r\n");

    // A record cut off between its CR and LF is made whole again.
    dir.write("Cut", "a\r");
    AppendLine(dir.file("Cut"), "b");
    EXPECT_EQ(dir.read("Cut"), "a\r\nb\r\n");
}

TEST(AppendLine, UnreadableLastByteFailsRatherThanGuess)
{
    TempDir dir;
    dir.write("Reason.LyS", "Audit");
    FaultScope fault([](faults::Step step, std::string_view) {
        return step == faults::Step::Read ? faults::Action{kIoError} : faults::Action{};
    });
    EXPECT_THROW(AppendLine(dir.file("Reason.LyS"), "Visit"), FileError);
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit");
}

TEST(AppendLine, FailedWriteLeavesTheFileAsItWas)
{
    TempDir dir;
    dir.write("TOLM.LyS", "old\r\n");
    for (int error : {kDiskFull, kIoError, kReadOnlyMedia}) {
        FaultScope fault([error](faults::Step step, std::string_view) {
            return step == faults::Step::Write ? faults::Action{error} : faults::Action{};
        });
        EXPECT_THROW(AppendLine(dir.file("TOLM.LyS"), "new"), FileError);
        EXPECT_EQ(dir.read("TOLM.LyS"), "old\r\n");
    }
}

TEST(AppendLine, ShortWriteIsContinuedAndAZeroByteWriteIsAFullDisk)
{
    TempDir dir;
    int writes = 0;
    {
        FaultScope fault([&writes](faults::Step step, std::string_view) {
            if (step != faults::Step::Write)
                return faults::Action{};
            ++writes;
            return faults::Action{0, 3}; // at most three bytes a write
        });
        AppendLine(dir.file("TOLM.LyS"), "abcdefgh");
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "abcdefgh\r\n");
    EXPECT_EQ(writes, 4);

    int calls = 0;
    FaultScope fault([&calls](faults::Step step, std::string_view) {
        if (step != faults::Step::Write)
            return faults::Action{};
        return ++calls == 1 ? faults::Action{0, 4} : faults::Action{0, 0};
    });
    try {
        AppendLine(dir.file("TOLM.LyS"), "second");
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.systemError(), kDiskFull);
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "abcdefgh\r\n"); // the four bytes were taken back
}

TEST(AppendLine, FailedSyncIsAFailureAndTakesTheLineBack)
{
    TempDir dir;
    dir.write("TOLM.LyS", "old\r\n");
    FaultScope fault([](faults::Step step, std::string_view) {
        return step == faults::Step::Sync ? faults::Action{kIoError} : faults::Action{};
    });
    EXPECT_THROW(AppendLine(dir.file("TOLM.LyS"), "new"), FileError);
    EXPECT_EQ(dir.read("TOLM.LyS"), "old\r\n");
}

TEST(AppendLine, CreatingAFileSyncsItsFolder)
{
    TempDir dir;
    std::vector<faults::Step> steps;
    FaultScope fault([&steps](faults::Step step, std::string_view) {
        steps.push_back(step);
        return faults::Action{};
    });
    AppendLine(dir.file("Branch.LyS"), "new file");
    EXPECT_NE(std::find(steps.begin(), steps.end(), faults::Step::SyncDirectory), steps.end());
    steps.clear();
    AppendLine(dir.file("Branch.LyS"), "existing file");
    EXPECT_EQ(std::find(steps.begin(), steps.end(), faults::Step::SyncDirectory), steps.end());
}
