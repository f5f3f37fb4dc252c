// Every file step of start-up and of Save, failed one at a time with each of
// the errors a user can meet, through the seam in Faults.h.

#include "FaultSeam.h"

#include <FileError.h>
#include <LineFile.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

using logbook::FileError;
using logbook::faults::Step;
using logbook::faults::stepName;
using testing_support::FaultSeam;
using testing_support::InjectedFault;
using testing_support::MemoryWindow;
using testing_support::SeamCall;
using testing_support::TempDir;
using Items = std::vector<std::string>;

namespace {

const std::vector<std::string> kFiles = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};
const int kErrors[] = {ENOSPC, EIO, EACCES, EROFS};

const std::string kLine1 = "07 Mar 2016  Main             Audit" + std::string(25, ' ');
const std::string kLine2 = "08 Apr 2017  Zürich           Prüfung" + std::string(23, ' ');

// What each file holds before the run; a missing key is a missing file.
using Files = std::map<std::string, std::string>;
using Snapshot = std::map<std::string, std::optional<std::string>>;

Snapshot snapshot(const TempDir& dir)
{
    Snapshot files;
    for (const std::string& name : kFiles)
        files[name] = dir.exists(name) ? std::optional(dir.read(name)) : std::nullopt;
    return files;
}

void lay(const TempDir& dir, const Files& files)
{
    for (const auto& [name, bytes] : files)
        dir.write(name, bytes);
}

std::size_t fileIndex(const std::string& path)
{
    for (std::size_t i = 0; i < kFiles.size(); ++i) {
        if (path.ends_with("/" + kFiles[i]))
            return i;
    }
    ADD_FAILURE() << "seam call on an unknown file " << path;
    return 0;
}

// A file nothing may have changed: unchanged, or created empty where missing.
void expectUntouched(const TempDir& dir, const std::string& name, const std::optional<std::string>& before,
                     bool mayBeCreated)
{
    if (before) {
        EXPECT_EQ(dir.read(name), *before) << name;
    } else if (dir.exists(name)) {
        EXPECT_TRUE(mayBeCreated) << name << " was created";
        EXPECT_EQ(dir.read(name), "") << name;
    }
}

void expectNamesFileAndReason(const std::string& message, const std::string& path, int error)
{
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(error)), std::string::npos) << message;
}

std::string describe(const SeamCall& call, const InjectedFault& fault)
{
    std::string text = std::string(stepName(call.step)) + " of " + call.path;
    if (fault.shortWrite >= 0)
        text += ", write of " + std::to_string(fault.shortWrite) + " bytes then";
    return text + " fails: " + (fault.error ? std::strerror(fault.error) : "(no error)");
}

// ---------------------------------------------------------------- start-up

struct StartUp {
    const char* name;
    Files files;
    Items entries, branches, reasons; // what a fault-free start shows
};

const StartUp kStartUps[] = {
    {"first start", {}, {}, {}, {}},
    {"all files there",
     {{"TOLM.LyS", kLine1 + "\r\n" + kLine2}, {"Branch.LyS", "Main\r\nZürich\n"}, {"Reason.LyS", "Audit\r"}},
     {kLine1, kLine2}, {"Main", "Zürich"}, {"Audit"}},
    {"branch list missing",
     {{"TOLM.LyS", kLine1 + "\r\n"}, {"Reason.LyS", "\r\n"}}, {kLine1}, {}, {""}},
};

TEST(FaultMatrix, EveryStepOfStartUpFailsCleanly)
{
    std::size_t cases = 0;
    for (const StartUp& scenario : kStartUps) {
        std::vector<SeamCall> calls;
        {
            TempDir dir;
            lay(dir, scenario.files);
            MemoryWindow w(dir.str());
            FaultSeam seam;
            w.form.Form_Load();
            calls = seam.calls();
            // A file made at start-up has its folder synced, so it survives a power cut.
            for (const std::string& name : kFiles) {
                if (!scenario.files.contains(name)) {
                    EXPECT_EQ(seam.count(Step::SyncDirectory, dir.file(name)), 1u) << scenario.name << name;
                }
            }
        }
        for (std::size_t k = 0; k < calls.size(); ++k) {
            for (int error : kErrors) {
                TempDir dir;
                lay(dir, scenario.files);
                const Snapshot before = snapshot(dir);
                // The seam saw paths in another folder; the step order is the same.
                const SeamCall call{calls[k].step, dir.file(kFiles[fileIndex(calls[k].path)])};
                const InjectedFault fault{k, error};
                SCOPED_TRACE(std::string(scenario.name) + ": " + describe(call, fault));
                ++cases;

                MemoryWindow w(dir.str());
                w.Text1.text = "typed";
                try {
                    FaultSeam seam(fault);
                    w.form.Form_Load();
                    ADD_FAILURE() << "Form_Load did not fail";
                    continue;
                } catch (const FileError& e) {
                    EXPECT_EQ(e.path(), call.path);
                    EXPECT_EQ(e.systemError(), error);
                    expectNamesFileAndReason(e.what(), call.path, error);
                }
                // Files before the failing one are there (made empty if they were
                // missing); nothing after it was touched; no content changed.
                const std::size_t failing = fileIndex(call.path);
                for (std::size_t i = 0; i < kFiles.size(); ++i) {
                    expectUntouched(dir, kFiles[i], before.at(kFiles[i]), i <= failing);
                    if (i < failing) {
                        EXPECT_TRUE(dir.exists(kFiles[i])) << kFiles[i];
                    }
                }
                EXPECT_EQ(w.MLyS.items, failing > 0 ? scenario.entries : Items{});
                EXPECT_EQ(w.Text1.items, failing > 1 ? scenario.branches : Items{});
                EXPECT_TRUE(w.Text2.items.empty());
                EXPECT_EQ(w.Text1.text, "typed");
                EXPECT_EQ(w.Label1.text, "DATE");
                EXPECT_FALSE(w.CLyS.visible);

                // Once the fault is gone the program starts as if nothing happened.
                MemoryWindow again(dir.str());
                again.form.Form_Load();
                EXPECT_EQ(again.MLyS.items, scenario.entries);
                EXPECT_EQ(again.Text1.items, scenario.branches);
                EXPECT_EQ(again.Text2.items, scenario.reasons);
            }
        }
    }
    std::printf("[ fault cases ] start-up: %zu\n", cases);
    RecordProperty("cases", static_cast<int>(cases));
}

// -------------------------------------------------------------------- Save

struct SaveSetup {
    const char* name;
    Files files;
    bool removeAfterLoad; // the files vanish while the program runs
};

const SaveSetup kSaveSetups[] = {
    {"files there", {{"TOLM.LyS", kLine1 + "\r\n"}, {"Branch.LyS", "Main\r\n"}, {"Reason.LyS", "Audit\r\n"}}, false},
    {"last lines unended", {{"TOLM.LyS", kLine1}, {"Branch.LyS", "Main"}, {"Reason.LyS", "Audit\r"}}, false},
    {"files removed after start", {}, true},
};

const std::string kBranch = "Zürich";
const std::string kReason = "Prüfung";
const std::string kEntry = "07 Mar 2016  Zürich           Prüfung" + std::string(23, ' ');

// `before` with `text` appended the way AppendLine does: an unended last
// line is ended first, a lone CR at the end completed to CR LF.
std::string appended(const std::optional<std::string>& before, const std::string& text)
{
    std::string bytes = before.value_or("");
    if (!bytes.empty() && bytes.back() == '\r')
        bytes += "\n";
    else if (!bytes.empty() && bytes.back() != '\n')
        bytes += "\r\n";
    return bytes + text + "\r\n";
}

class SaveFaults : public ::testing::Test {
protected:
    struct Run {
        TempDir dir;
        MemoryWindow w{dir.str()};
        Snapshot before;
        Items entries, branches, reasons;
    };

    static void start(Run& run, const SaveSetup& setup)
    {
        lay(run.dir, setup.files);
        run.w.form.Form_Load();
        if (setup.removeAfterLoad) {
            for (const std::string& name : kFiles)
                std::filesystem::remove(run.dir.path() / name);
        }
        run.before = snapshot(run.dir);
        run.entries = run.w.MLyS.items;
        run.branches = run.w.Text1.items;
        run.reasons = run.w.Text2.items;
        enter(run);
    }
    static void enter(Run& run)
    {
        run.w.pickDate("07", "March", "2016");
        run.w.Text1.text = kBranch;
        run.w.form.Text1_LostFocus();
        run.w.Text2.text = kReason;
        run.w.form.Text2_LostFocus();
    }
    static void expectInputsKept(const Run& run)
    {
        EXPECT_EQ(run.w.Label1.text, "07 Mar 2016");
        EXPECT_EQ(run.w.Text1.text, kBranch);
        EXPECT_EQ(run.w.Text2.text, kReason);
    }
    static void expectInputsReset(const Run& run)
    {
        EXPECT_EQ(run.w.Label1.text, "DATE");
        EXPECT_EQ(run.w.Text1.text, "");
        EXPECT_EQ(run.w.Text2.text, "");
    }
    static Items with(Items items, const std::string& item)
    {
        items.push_back(item);
        return items;
    }
};

// Which outcome a fault must have.
enum class Outcome { Saved, EntryFailed, BranchFailed, ReasonFailed };

Outcome expectedOutcome(const SeamCall& call, const InjectedFault& fault)
{
    // A lock that cannot be had (a file system without locks) does not stop
    // the save; a close after the line was synced cannot take it back.
    if (call.step == Step::Lock || call.step == Step::Close)
        return Outcome::Saved;
    if (fault.shortWrite > 0 && fault.error == 0)
        return Outcome::Saved; // the write loop carries on
    return static_cast<Outcome>(1 + fileIndex(call.path));
}

TEST_F(SaveFaults, EveryStepOfSaveFailsCleanlyAndTheNextSaveSucceeds)
{
    std::size_t cases = 0;
    for (const SaveSetup& setup : kSaveSetups) {
        std::vector<SeamCall> calls;
        {
            Run run;
            start(run, setup);
            FaultSeam seam;
            run.w.form.Command1_Click();
            ASSERT_TRUE(run.w.platform.errors.empty());
            calls = seam.calls();
            // Durability: per file one write of the whole record, then one
            // sync; a file made by the save has its folder synced as well.
            for (const std::string& name : kFiles) {
                const std::string path = run.dir.file(name);
                EXPECT_EQ(seam.count(Step::Write, path), 1u) << name;
                EXPECT_EQ(seam.count(Step::Sync, path), 1u) << name;
                EXPECT_EQ(seam.count(Step::SyncDirectory, path), setup.removeAfterLoad ? 1u : 0u) << name;
                std::vector<Step> order;
                for (const SeamCall& call : calls) {
                    if (call.path == path && call.step != Step::Open && call.step != Step::Create
                        && call.step != Step::Stat && call.step != Step::Read) {
                        order.push_back(call.step);
                    }
                }
                std::vector<Step> expected = {Step::Lock, Step::Write, Step::Sync};
                if (setup.removeAfterLoad)
                    expected.push_back(Step::SyncDirectory);
                expected.push_back(Step::Close);
                EXPECT_EQ(order, expected) << name;
            }
        }

        for (std::size_t k = 0; k < calls.size(); ++k) {
            std::vector<InjectedFault> faultsHere;
            for (int error : kErrors)
                faultsHere.push_back({k, error});
            if (calls[k].step == Step::Write) {
                faultsHere.push_back({k, ENOSPC, 0}); // a write that takes nothing: full disk
                for (long bytes : {1L, 5L, 8L}) {
                    faultsHere.push_back({k, EIO, bytes});
                    faultsHere.push_back({k, ENOSPC, bytes});
                    faultsHere.push_back({k, 0, bytes});
                }
            }
            for (const InjectedFault& fault : faultsHere) {
                Run run;
                start(run, setup);
                const SeamCall call{calls[k].step, run.dir.file(kFiles[fileIndex(calls[k].path)])};
                SCOPED_TRACE(std::string(setup.name) + ": " + describe(call, fault));
                ++cases;
                const Outcome outcome = expectedOutcome(call, fault);
                const int error = fault.error ? fault.error : ENOSPC;
                const auto& before = run.before;
                auto& w = run.w;
                {
                    FaultSeam seam(fault);
                    w.form.Command1_Click();
                    // A failed sync is a failed save, never retried into success.
                    EXPECT_LE(seam.count(Step::Sync, call.path), 1u);
                }

                switch (outcome) {
                case Outcome::Saved:
                    EXPECT_TRUE(w.platform.errors.empty());
                    EXPECT_EQ(run.dir.read("TOLM.LyS"), appended(before.at("TOLM.LyS"), kEntry));
                    EXPECT_EQ(run.dir.read("Branch.LyS"), appended(before.at("Branch.LyS"), kBranch));
                    EXPECT_EQ(run.dir.read("Reason.LyS"), appended(before.at("Reason.LyS"), kReason));
                    EXPECT_EQ(w.MLyS.items, with(run.entries, kEntry));
                    expectInputsReset(run);
                    continue; // nothing to clear
                case Outcome::EntryFailed:
                    ASSERT_EQ(w.platform.errors.size(), 1u);
                    EXPECT_TRUE(w.platform.errors[0].starts_with("The entry was not saved."));
                    expectNamesFileAndReason(w.platform.errors[0], call.path, error);
                    for (const std::string& name : kFiles)
                        expectUntouched(run.dir, name, before.at(name), name == "TOLM.LyS");
                    EXPECT_EQ(w.MLyS.items, run.entries);
                    EXPECT_EQ(w.Text1.items, run.branches);
                    EXPECT_EQ(w.Text2.items, run.reasons);
                    expectInputsKept(run);
                    break;
                case Outcome::BranchFailed:
                case Outcome::ReasonFailed: {
                    const bool branch = outcome == Outcome::BranchFailed;
                    ASSERT_EQ(w.platform.errors.size(), 1u);
                    const std::string& message = w.platform.errors[0];
                    EXPECT_TRUE(message.starts_with("The entry was saved."));
                    EXPECT_NE(message.find(branch ? "branch list" : "reason list"), std::string::npos);
                    expectNamesFileAndReason(message, call.path, error);
                    EXPECT_EQ(run.dir.read("TOLM.LyS"), appended(before.at("TOLM.LyS"), kEntry));
                    EXPECT_EQ(w.MLyS.items, with(run.entries, kEntry));
                    const std::string failed = branch ? "Branch.LyS" : "Reason.LyS";
                    const std::string other = branch ? "Reason.LyS" : "Branch.LyS";
                    expectUntouched(run.dir, failed, before.at(failed), true);
                    EXPECT_EQ(run.dir.read(other), appended(before.at(other), branch ? kReason : kBranch));
                    // Not added to its combo box, so the next save tries again.
                    EXPECT_EQ(w.Text1.items, branch ? run.branches : with(run.branches, kBranch));
                    EXPECT_EQ(w.Text2.items, branch ? with(run.reasons, kReason) : run.reasons);
                    expectInputsReset(run);
                    enter(run);
                    break;
                }
                }

                // The fault is cleared: the same entry saves, and every file holds
                // whole lines only, each record once.
                w.platform.errors.clear();
                w.form.Command1_Click();
                EXPECT_TRUE(w.platform.errors.empty());
                std::string entries = appended(before.at("TOLM.LyS"), kEntry);
                if (outcome != Outcome::EntryFailed)
                    entries = appended(entries, kEntry);
                EXPECT_EQ(run.dir.read("TOLM.LyS"), entries);
                EXPECT_EQ(run.dir.read("Branch.LyS"), appended(before.at("Branch.LyS"), kBranch));
                EXPECT_EQ(run.dir.read("Reason.LyS"), appended(before.at("Reason.LyS"), kReason));
                EXPECT_EQ(w.Text1.items, with(run.branches, kBranch));
                EXPECT_EQ(w.Text2.items, with(run.reasons, kReason));
                expectInputsReset(run);
            }
        }
    }
    std::printf("[ fault cases ] save: %zu\n", cases);
    RecordProperty("cases", static_cast<int>(cases));
}

} // namespace

// Two faults at once: the write breaks off and cutting the file back fails
// as well. The fragment cannot be taken back then, but the next record must
// still start on a line of its own rather than continue the fragment.
TEST(DoubleFault, FailedCutBackLeavesTheFragmentOnALineOfItsOwn)
{
    TempDir dir;
    dir.write("TOLM.LyS", "old\r\n");
    const std::string path = dir.file("TOLM.LyS");
    {
        int writes = 0;
        logbook::faults::setHook([&writes](Step step, std::string_view) -> logbook::faults::Action {
            if (step == Step::Write)
                return ++writes == 1 ? logbook::faults::Action{0, 5} : logbook::faults::Action{EIO};
            return {step == Step::Truncate ? EIO : 0};
        });
        EXPECT_THROW(logbook::AppendLine(path, kEntry), FileError);
        logbook::faults::setHook({});
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "old\r\n" + kEntry.substr(0, 5));
    logbook::AppendLine(path, kEntry);
    EXPECT_EQ(dir.read("TOLM.LyS"), "old\r\n" + kEntry.substr(0, 5) + "\r\n" + kEntry + "\r\n");
}
