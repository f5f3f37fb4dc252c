// Real Saves in child processes: killed at random moments, and two
// instances saving into one folder at once.

#include "ChildProcess.h"

#include <DataFiles.h>
#include <Faults.h>
#include <FileError.h>
#include <LineFile.h>
#include <TempDir.h>
#include <Text.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>

using namespace testing_support;

namespace {

using Clock = std::chrono::steady_clock;

long envNumber(const char* name, long fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atol(value) : fallback;
}

bool longRun() { return envNumber("TOLMARIN_LONG", 0) != 0; }

// The branches save_child uses, as stored after the 16-character cap.
const std::set<std::string> kKnownBranches = {
    "Main", "Zürich", "Head Office", "Île-de-France", "Niederlassung Sü", "Москва",
};

using TagTest = std::function<bool(std::string_view)>;

bool allDigits(std::string_view text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A reason save_child wrote: its tag, a dot and the save's number.
bool isReason(std::string_view text, const TagTest& isTag)
{
    const std::size_t dot = text.rfind('.');
    return dot != std::string_view::npos && isTag(text.substr(0, dot)) && allDigits(text.substr(dot + 1));
}

struct Logbook {
    std::vector<std::string> entries, branches, reasons;
    std::size_t cutAtPageBoundary = 0;
};

// Positions 31 to 60 of an entry line: the reason, without its fill.
std::string reasonOf(const std::string& line)
{
    std::string reason(std::string_view(line).substr(logbook::leftCharacters(line, 30).size()));
    reason.erase(reason.find_last_not_of(' ') + 1);
    return reason;
}

// Checks all three files against what the children reported, and that
// every line anyone wrote is whole.
Logbook checkFolder(const TempDir& dir, const std::vector<ReportedSave>& reported, const TagTest& isTag)
{
    const auto isEntry = [&](const std::string& line) {
        return logbook::characterCount(line) == logbook::kEntryLineWidth && isReason(reasonOf(line), isTag);
    };
    const auto isBranch = [&](const std::string& line) {
        return kKnownBranches.contains(line) || (line.starts_with("n") && isReason(line.substr(1), isTag));
    };
    const auto isReasonLine = [&](const std::string& line) { return isReason(line, isTag); };
    const DataFileLines entries = readDataFile(dir.read("TOLM.LyS"), "TOLM.LyS", isEntry);
    const DataFileLines branches = readDataFile(dir.read("Branch.LyS"), "Branch.LyS", isBranch);
    const DataFileLines reasons = readDataFile(dir.read("Reason.LyS"), "Reason.LyS", isReasonLine);
    Logbook book{entries.whole, branches.whole, reasons.whole,
                 entries.cutAtPageBoundary.size() + branches.cutAtPageBoundary.size()
                     + reasons.cutAtPageBoundary.size()};

    std::set<std::string> seen;
    for (const std::string& line : book.entries)
        EXPECT_TRUE(seen.insert(line).second) << "stored twice: " << line;
    // Every Save that returned is there, in the order it returned.
    std::size_t at = 0;
    for (const ReportedSave& save : reported) {
        while (at < book.entries.size() && book.entries[at] != save.entry)
            ++at;
        if (at == book.entries.size()) {
            ADD_FAILURE() << "a returned Save is missing: " << save.entry;
            break;
        }
    }
    std::set<std::string> branchSet;
    for (const std::string& branch : book.branches)
        EXPECT_TRUE(branchSet.insert(branch).second || kKnownBranches.contains(branch)) << "twice: " << branch;
    std::set<std::string> reasonSet;
    for (const std::string& reason : book.reasons)
        EXPECT_TRUE(reasonSet.insert(reason).second) << "twice: " << reason;
    for (const ReportedSave& save : reported) {
        EXPECT_TRUE(branchSet.contains(save.branch)) << "branch not learned: " << save.branch;
        EXPECT_TRUE(reasonSet.contains(save.reason)) << "reason not learned: " << save.reason;
    }
    return book;
}

} // namespace

TEST(Crash, KilledAtRandomMomentsEverythingReturnedIsStoredWhole)
{
    const long iterations = envNumber("TOLMARIN_KILL_ITERATIONS", longRun() ? 20000 : 1000);
    const auto seed = static_cast<unsigned>(envNumber("TOLMARIN_KILL_SEED", std::random_device{}()));
    std::printf("[ crash ] %ld kills, seed %u (TOLMARIN_KILL_SEED repeats a run)\n", iterations, seed);
    RecordProperty("seed", static_cast<int>(seed));
    std::mt19937 random(seed);

    const TagTest isTag = [](std::string_view tag) { return tag.starts_with("k") && allDigits(tag.substr(1)); };
    TempDir dir;
    TempDir logs;
    // Kill within the time a child takes to start and make 20 Saves here, so
    // the kills land in start-up, inside Saves and between them alike.
    auto calibrationStart = Clock::now();
    {
        TempDir scratch;
        SaveChild child(scratch.str(), "c", 20, logs.file("stderr.txt"));
        child.output();
        ASSERT_EQ(child.wait(), 0) << readFile(logs.file("stderr.txt"));
    }
    long windowMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - calibrationStart).count();
    std::printf("[ crash ] kill window %.1f ms\n", windowMicroseconds / 1000.0);
    std::vector<ReportedSave> reported;
    long killsBeforeAnySave = 0;
    long batchKillsBeforeAnySave = 0;
    const auto started = Clock::now();
    for (long i = 0; i < iterations; ++i) {
        SaveChild child(dir.str(), "k" + std::to_string(i), 0, logs.file("stderr.txt"));
        ::usleep(static_cast<useconds_t>(std::uniform_int_distribution<long>(0, windowMicroseconds)(random)));
        child.kill();
        std::vector<ReportedSave> saves = parseReports(child.output());
        const int status = child.wait();
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "save_child ended by itself at kill " << i << ": " << readFile(logs.file("stderr.txt"));
        killsBeforeAnySave += saves.empty();
        batchKillsBeforeAnySave += saves.empty();
        reported.insert(reported.end(), saves.begin(), saves.end());
        if (i % 100 == 99) {
            checkFolder(dir, reported, isTag);
            ASSERT_FALSE(HasFailure()) << "after kill " << i;
            // Start-up can take longer than the calibration run showed (a
            // slower machine, a sanitizer build): widen the window until the
            // kills reach into the Saves again.
            if (batchKillsBeforeAnySave > 50) {
                windowMicroseconds = windowMicroseconds * 3 / 2;
                std::printf("[ crash ] kill window widened to %.1f ms\n", windowMicroseconds / 1000.0);
            }
            batchKillsBeforeAnySave = 0;
        }
    }
    const Logbook book = checkFolder(dir, reported, isTag);
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("[ crash ] %ld kills in %.1f s: %zu Saves returned, %zu entry lines, %ld kills before any "
                "Save returned, %zu records cut at a page boundary\n",
                iterations, seconds, reported.size(), book.entries.size(), killsBeforeAnySave,
                book.cutAtPageBoundary);
    // The kills must reach into the Saves, not only into start-up.
    EXPECT_GE(iterations - killsBeforeAnySave, iterations / 10);
}

TEST(TwoInstances, ThousandSavesEachIntoOneFolder)
{
    const long count = longRun() ? 10000 : 1000;
    TempDir dir;
    TempDir logs;
    const auto started = Clock::now();
    // From an empty folder, so both also race to create the files.
    SaveChild a(dir.str(), "A", count, logs.file("a.txt"));
    SaveChild b(dir.str(), "B", count, logs.file("b.txt"));
    drain({&a, &b});
    for (auto* child : {&a, &b}) {
        const int status = child->wait();
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << readFile(logs.file("a.txt")) << readFile(logs.file("b.txt"));
    }
    const std::vector<ReportedSave> savesA = parseReports(a.output());
    const std::vector<ReportedSave> savesB = parseReports(b.output());
    ASSERT_EQ(savesA.size(), static_cast<std::size_t>(count));
    ASSERT_EQ(savesB.size(), static_cast<std::size_t>(count));

    const TagTest isTag = [](std::string_view tag) { return tag == "A" || tag == "B"; };
    const Logbook book = checkFolder(dir, savesA, isTag);
    checkFolder(dir, savesB, isTag);
    EXPECT_EQ(book.entries.size(), static_cast<std::size_t>(2 * count));
    EXPECT_EQ(book.reasons.size(), static_cast<std::size_t>(2 * count));
    EXPECT_EQ(book.cutAtPageBoundary, 0u); // nobody was killed here
    // How much the two really overlapped: switches between A and B in the log.
    std::size_t switches = 0;
    for (std::size_t i = 1; i < book.entries.size(); ++i)
        switches += reasonOf(book.entries[i])[0] != reasonOf(book.entries[i - 1])[0];
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("[ two instances ] %zu entry lines in %.1f s, %zu switches between the instances\n",
                book.entries.size(), seconds, switches);
    EXPECT_GT(switches, 10u);
}

// One instance's failed append takes its partial line back with ftruncate.
// Without the lock, a second instance appending in that moment would lose
// its line to the cut; with it, the second waits.
namespace {

struct LockRace {
    std::string file;
    bool secondBlockedOnTheLock = false;
    bool secondFinishedFirst = false;
};

void failSyncAfterSignal(int ready, int go, bool skipLock)
{
    logbook::faults::setHook([=](logbook::faults::Step step, std::string_view) -> logbook::faults::Action {
        if (step == logbook::faults::Step::Lock && skipLock)
            return {ENOLCK};
        if (step == logbook::faults::Step::Sync) {
            char byte = 1;
            (void)!::write(ready, &byte, 1);
            (void)!::read(go, &byte, 1);
            return {EIO};
        }
        return {};
    });
}

// Whether the kernel lists `pid` as waiting for a POSIX lock.
bool waitsForLock(pid_t pid)
{
    std::ifstream locks("/proc/locks");
    const std::string needle = " " + std::to_string(pid) + " ";
    for (std::string line; std::getline(locks, line);) {
        if (line.find("->") != std::string::npos && line.find(needle) != std::string::npos)
            return true;
    }
    return false;
}

LockRace race(bool withLock)
{
    LockRace result;
    TempDir dir;
    const std::string path = dir.file("TOLM.LyS");
    dir.write("TOLM.LyS", "old\r\n");
    int ready[2], go[2];
    if (::pipe(ready) != 0 || ::pipe(go) != 0)
        throw std::runtime_error("pipe failed");

    pid_t first = ::fork();
    if (first == 0) {
        failSyncAfterSignal(ready[1], go[0], !withLock);
        try {
            logbook::AppendLine(path, "first, will fail");
        } catch (const logbook::FileError&) {
            ::_exit(0);
        }
        ::_exit(1);
    }
    char byte = 0;
    (void)!::read(ready[0], &byte, 1); // the first has written, not yet synced

    pid_t second = ::fork();
    if (second == 0) {
        if (!withLock) {
            logbook::faults::setHook([](logbook::faults::Step step, std::string_view) {
                return logbook::faults::Action{step == logbook::faults::Step::Lock ? ENOLCK : 0};
            });
        }
        try {
            logbook::AppendLine(path, "second");
        } catch (const logbook::FileError&) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    // Up to ten seconds for the second to reach the lock, or to finish.
    int status = 0;
    bool secondDone = false;
    for (int i = 0; i < 1000 && !secondDone && !result.secondBlockedOnTheLock; ++i) {
        secondDone = ::waitpid(second, &status, WNOHANG) == second;
        result.secondBlockedOnTheLock = !secondDone && waitsForLock(second);
        if (!secondDone && !result.secondBlockedOnTheLock)
            ::usleep(10000);
    }
    result.secondFinishedFirst = secondDone;
    (void)!::write(go[1], &byte, 1);
    if (!secondDone)
        ::waitpid(second, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the second append failed";
    ::waitpid(first, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the first append did not fail";
    for (int fd : {ready[0], ready[1], go[0], go[1]})
        ::close(fd);
    result.file = dir.read("TOLM.LyS");
    return result;
}

} // namespace

TEST(TwoInstances, TheLockKeepsAFailedAppendFromCuttingAnotherInstancesLine)
{
    const LockRace locked = race(true);
    EXPECT_TRUE(locked.secondBlockedOnTheLock);
    EXPECT_FALSE(locked.secondFinishedFirst);
    EXPECT_EQ(locked.file, "old\r\nsecond\r\n");

    // The same race without the lock shows what it prevents: the second
    // reports success, and the first's cut takes its line away.
    const LockRace unlocked = race(false);
    EXPECT_TRUE(unlocked.secondFinishedFirst);
    EXPECT_EQ(unlocked.file, "old\r\n");
}

// A kill between a record's CR and LF leaves a lone CR at the end; the next
// Save completes it to CR LF instead of starting after it, so that record is
// whole again. An old Mac file ending in a lone CR reads the same either way.
TEST(Crash, RecordCutBetweenItsCrAndLfIsMadeWholeByTheNextSave)
{
    TempDir dir;
    dir.write("TOLM.LyS", "first\r\nsecond\r");
    logbook::AppendLine(dir.file("TOLM.LyS"), "third");
    EXPECT_EQ(dir.read("TOLM.LyS"), "first\r\nsecond\r\nthird\r\n");

    dir.write("Mac", "a\rb\r");
    logbook::AppendLine(dir.file("Mac"), "c");
    const logbook::LineList lines = logbook::ReadLines(dir.file("Mac"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines.textAt(1), "b");
    EXPECT_EQ(lines.textAt(2), "c");
}
