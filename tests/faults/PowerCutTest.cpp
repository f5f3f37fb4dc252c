// Power cuts, as the file system underneath sees them: what start-up finds
// afterwards holds every Save that returned, once and whole, and nothing of
// a Save that said it failed, however the Saves before the cut failed.

#include <DataFiles.h>
#include <FaultyFileSystem.h>
#include <LineFile.h>
#include <MemoryControls.h>
#include <PowerCutFileSystem.h>
#include <SystemErrors.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

using namespace testing_support;

namespace {

const char* const kNames[] = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};
constexpr const char* kMaySaved = "The entry may have been saved, whole or in part.";

enum class Trouble {
    None, DiskFullPartWay, SyncFails, TruncateFails, TakeBackSyncFails, // under the lock
    FolderSyncFails, Removed,                                            // the file removed first
    LockHeldAWhile, NoLocks, NoLocksAndAnotherWriter,                    // by other programs
    Count
};

// What goes wrong in one Save, at one of the files it writes.
struct Troubles {
    Trouble kind = Trouble::None;
    std::string target;              // the file it hits
    long partial = 1;                // bytes a write takes before the disk is full
    bool writeFails = false;         // without locks: the disk fills, or else the sync fails
    std::function<void()> meanwhile = {}; // another writer, just before the first write
    struct {
        int appends = 0, syncs = 0, locks = 0;
    } seen = {};

    Fault at(const Call& call)
    {
        const bool noLocks = kind == Trouble::NoLocks || kind == Trouble::NoLocksAndAnotherWriter;
        if (call.step == Step::SyncFolder)
            return {kind == Trouble::FolderSyncFails ? kIoError : 0};
        if (call.path != target)
            return {};
        if (call.step == Step::Lock)
            return {noLocks ? kNoLocks : kind == Trouble::LockHeldAWhile && ++seen.locks == 1 ? logbook::kLockHeldError : 0};
        if (call.step == Step::Append) {
            if (++seen.appends == 1 && meanwhile)
                std::exchange(meanwhile, nullptr)();
            if (kind == Trouble::DiskFullPartWay || (noLocks && writeFails))
                return seen.appends == 1 ? Fault{0, partial} : Fault{kDiskFull};
        }
        if (call.step == Step::Sync && (kind == Trouble::TakeBackSyncFails
                                        || (++seen.syncs == 1 && (kind == Trouble::SyncFails || kind == Trouble::TruncateFails
                                                             || (noLocks && !writeFails)))))
            return {kIoError};
        return {call.step == Step::Truncate && kind == Trouble::TruncateFails ? kIoError : 0};
    }
};

struct Machine {
    TempDir dir;
    PowerCutFileSystem disk;
    Troubles troubles;
    FaultyFileSystem files{[this](std::size_t, const Call& call) {
        const Fault fault = troubles.at(call);
        if (call.step == Step::Sync && fault.error) // what it was to write never reaches the disk
            disk.syncFailed(call.path);
        return fault;
    }, disk};
    std::unique_ptr<MemoryWindow> w;

    std::string path(std::size_t file) const { return dir.file(kNames[file]); }
    void start()
    {
        w = std::make_unique<MemoryWindow>(dir.str(), files);
        w->form.Form_Load();
    }
};

} // namespace

// Each way a Save can fail leaves the entry log as it was, also after a power
// cut, or says that the entry may be stored: always so without the lock,
// since cutting back could cut another writer's line.
TEST(PowerCut, AFailedSaveIsTakenBackDurablyOrSaysItMayBeStored)
{
    const struct {
        Trouble trouble;
        bool writeFails, uncertain;
    } cases[] = {
        {Trouble::DiskFullPartWay, true, false}, {Trouble::SyncFails, false, false},
        {Trouble::FolderSyncFails, false, false}, {Trouble::TruncateFails, false, true},
        {Trouble::TakeBackSyncFails, false, true}, {Trouble::NoLocks, false, true}, {Trouble::NoLocks, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.trouble) * 2 + c.writeFails);
        Machine s;
        s.disk.set(s.path(0), "06 Mar 2016  Main             Audit                         \r\nunended");
        s.disk.set(s.path(1), "Main\r\n"), s.disk.set(s.path(2), "Visit\r\n"); // known: no list file syncs the folder
        s.start();
        const std::string before = s.dir.read(kNames[0]);
        s.troubles = {.kind = c.trouble, .target = s.path(0), .partial = 20, .writeFails = c.writeFails};
        if (c.trouble == Trouble::FolderSyncFails || c.trouble == Trouble::TruncateFails) // the Save makes it anew
            s.disk.remove(s.path(0));
        s.w->save("07 Mar 2016", "Main", "Visit");
        ASSERT_EQ(s.w->platform.errors.size(), 1u);
        EXPECT_EQ(s.w->platform.errors[0].starts_with(kMaySaved), c.uncertain) << s.w->platform.errors[0];
        EXPECT_EQ(s.w->Label1.text + s.w->Text1.text + s.w->Text2.text, "07 Mar 2016MainVisit");
        for (const auto& contents : s.disk.possibleContents(s.path(0))) // only a file made anew may be gone
            EXPECT_TRUE(c.uncertain || contents == before || (c.trouble == Trouble::FolderSyncFails && contents.value_or("").empty()))
                << contents.value_or("(none)");
        if (c.trouble == Trouble::TruncateFails) { // the next Save that returns puts its name on disk
            s.troubles = {};
            s.w->save("08 Mar 2016", "Main", "Visit");
            for (const auto& contents : s.disk.possibleContents(s.path(0)))
                EXPECT_NE(contents.value_or("").find(s.w->MLyS.items.back() + "\r\n"), std::string::npos);
        }
    }
}

namespace {

enum class Outcome { Returned, Failed, Uncertain, Running };

struct Append {
    std::string text; // the line without its line end
    Outcome outcome;
    bool others; // another program's line
    std::size_t generation; // how often the file was removed before
};

struct Tally {
    long cuts = 0, returned = 0, lost = 0, leftBehind = 0, othersLost = 0, problems = 0;
};

std::vector<std::string> lines(const std::string& bytes)
{
    const logbook::LineList list = logbook::LineList::fromBytes(bytes);
    std::vector<std::string> all;
    for (std::size_t i = 0; i < list.size(); ++i)
        all.emplace_back(list.bytesAt(i));
    return all;
}

// A line without the zeros or stale bytes that a file grown before its data holds at its end.
std::string_view withoutStaleEnd(std::string_view line)
{
    return line.substr(0, line.find_last_not_of(std::string_view("\0\xE5", 2)) + 1);
}

// Walks the lines found after a file's base along the appends made since;
// whether all is as it may be, counting what is not.
bool walk(const std::vector<std::string>& found, const std::string& base, const std::vector<Append>& appends,
          std::size_t generation, Tally& tally)
{
    const std::vector<std::string> before = lines(base);
    // An unended last line may have grown by a separator that never got its data.
    if (found.size() < before.size() || !std::equal(before.begin(), before.end(), found.begin(), [](auto& a, auto& b) {
            return a == b || withoutStaleEnd(a) == withoutStaleEnd(b);
        }))
        return ++tally.lost, false;
    const long faults = tally.lost + tally.othersLost + tally.leftBehind;
    std::size_t r = before.size();
    bool afterOpen = true; // an append in doubt may lie in the base, the run's memory of it surviving the cut
    for (auto e = appends.begin(); e != appends.end(); ++e) {
        if (e->generation != generation)
            continue;
        // Without a lock another writer may end an unended last line first,
        // and a record after one that may be stored ends that line itself:
        // such a line end is an empty line.
        const bool open = e->outcome == Outcome::Uncertain || e->outcome == Outcome::Running;
        r += (open || afterOpen) && r < found.size() && found[r].empty();
        afterOpen = open || (afterOpen && e->outcome == Outcome::Failed);
        const bool whole = r < found.size() && found[r] == e->text;
        if (e->outcome == Outcome::Returned) {
            whole ? ++r : ++(e->others ? tally.othersLost : tally.lost);
        } else if (e->outcome == Outcome::Failed) { // unless saved again, it must not be there
            if (whole && std::none_of(e + 1, appends.end(), [&](const Append& l) { return l.text == e->text; }))
                ++r, ++tally.leftBehind;
        } else if (r < found.size() && !found[r].empty() && e->text.starts_with(withoutStaleEnd(found[r]))) {
            ++r; // whole, or a torn start, or only its size: zeros or stale bytes
        }
    }
    tally.leftBehind += static_cast<long>(found.size() - r);
    return tally.lost + tally.othersLost + tally.leftBehind == faults;
}

// A random run of Saves, restarts and failures, cut short again and again.
class PowerCutRun : Machine {
public:
    explicit PowerCutRun(unsigned seed) : random_(seed) {}

    Tally run(long cuts)
    {
        start();
        rebase();
        while (tally_.cuts < cuts) {
            disk.cutAt(1 + random_() % 120);
            try {
                for (;;)
                    random_() % 20 == 0 ? start() : save();
            } catch (const PowerCut&) {
                ++tally_.cuts;
                for (const auto& [file, text] : inFlight_)
                    logs_[file].appends.push_back({text, Outcome::Running, false, logs_[file].bases.size() - 1});
                inFlight_.clear();
                troubles = {};
                disk.restore(random_);
                try {
                    start();
                } catch (const std::exception& error) {
                    ADD_FAILURE() << "start-up failed: " << error.what();
                }
                check();
                rebase();
            }
        }
        return tally_;
    }

private:
    struct Log {
        std::vector<std::string> bases; // at the last start after a cut, then "" for each removal
        std::vector<Append> appends;
    };

    void save()
    {
        const long seq = ++seq_;
        const auto pick = [&](const std::vector<std::string>& known, char letter) {
            if (!known.empty() && random_() % 3 == 0) { // a known one, perhaps in another case
                std::string text = known[random_() % known.size()];
                text[0] = static_cast<char>(random_() % 2 ? letter : letter + 32);
                return text;
            }
            char text[24];
            std::snprintf(text, sizeof text, "%c%07ld", letter, seq);
            return std::string(text);
        };
        static const char* const months[] = {"January", "May", "December"};
        w->pickDate(std::to_string(10 + random_() % 19), months[random_() % 3], std::to_string(2016 + random_() % 5));
        w->Text1.text = pick(branches_, 'B');
        w->Text2.text = pick(reasons_, 'R');
        const std::array<std::string, 3> texts = written();

        auto kind = static_cast<Trouble>(random_() % 2 ? 0 : random_() % static_cast<int>(Trouble::Count));
        if (kind == Trouble::LockHeldAWhile && random_() % 4) // each wait takes a real moment
            kind = Trouble::None;
        std::size_t target = random_() % 3;
        while (texts[target].empty())
            target = (target + 1) % 3;
        troubles = {.kind = kind, .target = path(target), .partial = 1 + long(random_() % texts[target].size()),
                    .writeFails = random_() % 2 == 0};
        std::unique_ptr<logbook::File> made;
        if (kind == Trouble::FolderSyncFails || kind == Trouble::Removed) {
            disk.remove(path(target));
            logs_[target].bases.emplace_back();
            bool created = false; // or made again, empty, by another program that never syncs its folder
            if (kind == Trouble::Removed && random_() % 2)
                disk.open(path(target), logbook::Access::Append, made, created);
        }
        if (kind == Trouble::NoLocksAndAnotherWriter) {
            troubles.meanwhile = [this, target, other = "Other " + std::to_string(seq)] {
                Log& log = logs_[target];
                log.appends.push_back({other, Outcome::Running, true, log.bases.size() - 1});
                logbook::AppendLine(path(target), other, disk);
                log.appends.back().outcome = Outcome::Returned;
            };
        }
        attempt(texts);
        // A user told that nothing was saved may save it again at once.
        if (!w->platform.errors.empty() && w->platform.errors[0].starts_with("The entry was not saved") && random_() % 2)
            attempt(written());
    }

    // What a Save of the inputs writes to each file: the entry line, and the
    // branch and reason where they are new ("" where they are known).
    std::array<std::string, 3> written() const
    {
        const auto sameLetters = [](const std::string& a, const std::string& b) { // the texts are ASCII
            return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                              [](char x, char y) { return std::toupper(x) == std::toupper(y); });
        };
        const auto ifNew = [&](const MemoryComboBox& field) {
            return std::any_of(field.items.begin(), field.items.end(),
                               [&](const std::string& item) { return sameLetters(item, field.text); })
                       ? std::string() : field.text;
        };
        return {logbook::composeEntryLine(w->Label1.text, w->Text1.text, w->Text2.text), ifNew(w->Text1), ifNew(w->Text2)};
    }

    // One click on Save; how each append ended comes from the lists and the message.
    void attempt(const std::array<std::string, 3>& texts)
    {
        for (std::size_t file = 0; file < 3; ++file) {
            if (!texts[file].empty())
                inFlight_.emplace_back(file, texts[file]);
        }
        const std::size_t before[] = {w->MLyS.items.size(), w->Text1.items.size(), w->Text2.items.size()};
        w->platform.errors.clear();
        files.calls.clear(); // a long run would keep millions
        w->form.Command1_Click();
        inFlight_.clear();
        troubles = {};
        const std::string message = w->platform.errors.empty() ? "" : w->platform.errors[0];
        const std::size_t after[] = {w->MLyS.items.size(), w->Text1.items.size(), w->Text2.items.size()};
        const char* const mayBe[] = {kMaySaved, "may have been added to the branch list, whole or in part.",
                                     "may have been added to the reason list, whole or in part."};
        for (std::size_t file = 0; file < 3; ++file) {
            if (texts[file].empty() || (file > 0 && after[0] == before[0])) // lists only after a stored entry
                continue;
            const Outcome outcome = message.find(mayBe[file]) != std::string::npos ? Outcome::Uncertain
                                  : after[file] > before[file]                     ? Outcome::Returned
                                                                                   : Outcome::Failed;
            const char* const notSaved[] = {"The entry was not saved.", "could not be added to the branch list",
                                            "could not be added to the reason list"};
            if (outcome == Outcome::Failed && message.find(notSaved[file]) == std::string::npos && ++tally_.problems <= 3)
                ADD_FAILURE() << kNames[file] << " not written, and the message says: " << message;
            logs_[file].appends.push_back({texts[file], outcome, false, logs_[file].bases.size() - 1});
            tally_.returned += file == 0 && outcome == Outcome::Returned;
            if (file > 0 && after[file] > before[file])
                (file == 1 ? branches_ : reasons_).push_back(texts[file]);
        }
    }

    void check()
    {
        for (std::size_t file = 0; file < 3; ++file) {
            const Log& log = logs_[file];
            const std::vector<std::string> found = lines(dir.read(kNames[file]));
            // The file as last removed and made again, or one made before whose
            // removal did not reach the disk; a returned append to a newer one
            // made that the file on disk.
            bool fits = false;
            for (std::size_t g = log.bases.size(); g-- > 0 && !fits;) {
                Tally scratch;
                fits = walk(found, log.bases[g], log.appends, g, scratch);
                if (std::any_of(log.appends.begin(), log.appends.end(),
                                [&](const Append& a) { return a.generation == g && a.outcome == Outcome::Returned; }))
                    break;
            }
            if (fits)
                continue;
            walk(found, log.bases.back(), log.appends, log.bases.size() - 1, tally_);
            std::string appends; // outcome: 0 returned, 1 failed, 2 uncertain, 3 running
            for (const Append& a : log.appends)
                appends += "\n  " + std::to_string(int(a.outcome)) + "/" + std::to_string(a.generation) + " " + a.text;
            if (++tally_.problems <= 3)
                ADD_FAILURE() << kNames[file] << " after cut " << tally_.cuts << " holds:\n" << dir.read(kNames[file])
                              << "\nbase:\n" << log.bases[0] << "\nappends, outcome/generation:" << appends;
        }
    }

    void rebase()
    {
        for (std::size_t file = 0; file < 3; ++file)
            logs_[file] = {{dir.read(kNames[file])}, {}};
    }

    std::mt19937 random_;
    Tally tally_;
    long seq_ = 0;
    std::array<Log, 3> logs_;
    std::vector<std::pair<std::size_t, std::string>> inFlight_;
    std::vector<std::string> branches_, reasons_;
};

} // namespace

TEST(PowerCut, AfterEveryCutEachReturnedSaveIsThereOnceAndNoFailedOneIs)
{
    const char* seedText = std::getenv("TOLMARIN_POWER_SEED");
    const char* longRun = std::getenv("TOLMARIN_LONG");
    const auto seed = static_cast<unsigned>(seedText ? std::atol(seedText) : std::random_device{}());
    std::printf("[ power ] seed %u (TOLMARIN_POWER_SEED repeats a run)\n", seed);
    const Tally tally = PowerCutRun(seed).run(longRun && std::atol(longRun) == 1 ? 100'000 : 1'000);
    std::printf("power cuts: %ld, Saves returned: %ld, lost: %ld, failed Saves left behind: %ld, others' lines lost: %ld,"
                " problems: %ld\n", tally.cuts, tally.returned, tally.lost, tally.leftBehind, tally.othersLost, tally.problems);
    EXPECT_EQ(tally.lost + tally.leftBehind + tally.othersLost + tally.problems, 0) << "seed " << seed;
}
