// Every file-system call of start-up and of a Save after it, failed in turn
// on real files: the handlers must say what failed, where and why, keep what
// was typed, leave no partial line, and work again once the fault is gone.

#include <FaultyFileSystem.h>
#include <FileError.h>
#include <MemoryControls.h>
#include <SystemErrors.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

using namespace testing_support;
using Items = std::vector<std::string>;

namespace {

const std::string kFiles[] = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};
const std::string kLine = "08 Apr 2017  East             Tax" + std::string(27, ' ');
const std::string kEntry = "07 Mar 2016  North            Visit" + std::string(25, ' ');
const std::string kTexts[] = {kEntry, "North", "Visit"}; // what a Save appends to each file

struct Scenario {
    std::map<std::string, std::string> files; // a missing name is a missing file
    bool removedAfterStart;                   // the files vanish while the program runs
    std::vector<Items> loaded;                // MLyS, Text1 and Text2 after start-up
};

// The data file call k works on; a folder's sync belongs to the file before it.
std::size_t owner(const std::vector<Call>& calls, std::size_t k)
{
    for (std::size_t file = 0; file < 3; ++file) {
        if (calls[k].path.ends_with(kFiles[file]))
            return file;
    }
    return owner(calls, k - 1);
}

struct Program {
    const Scenario& scenario;
    TempDir dir;
    FaultyFileSystem files;
    MemoryWindow w{dir.str(), files};
    std::string before[3]; // the files when the Save starts

    explicit Program(const Scenario& scenario)
        : scenario(scenario)
    {
        for (const auto& [name, bytes] : scenario.files)
            dir.write(name, bytes);
    }
    std::vector<Items> lists() const { return {w.MLyS.items, w.Text1.items, w.Text2.items}; }
    void start()
    {
        w.form.Form_Load();
        for (std::size_t i = 0; i < 3; ++i) {
            if (scenario.removedAfterStart)
                std::filesystem::remove(dir.path() / kFiles[i]);
            before[i] = dir.read(kFiles[i]);
        }
    }
    void type()
    {
        w.pickDate("07", "March", "2016");
        w.Text1.text = "North";
        w.Text2.text = "Visit";
    }
    // A file with `count` more records in it, as AppendLine makes them.
    std::string after(std::size_t file, int count) const
    {
        std::string bytes = before[file];
        if (count > 0 && !bytes.empty())
            bytes += bytes.back() == '\n' ? "" : bytes.back() == '\r' ? "\n" : "\r\n";
        for (int i = 0; i < count; ++i)
            bytes += kTexts[file] + "\r\n";
        return bytes;
    }
};

} // namespace

TEST(FaultMatrix, EveryCallOfStartUpAndSaveFailsCleanlyAndWorksOnceTheFaultIsGone)
{
    const Scenario scenarios[] = {
        {{}, false, {{}, {}, {}}}, // the first start
        {{{"TOLM.LyS", kLine + "\r\n" + kLine}, {"Branch.LyS", "Main\r\nEast\n"}, {"Reason.LyS", "Audit\r"}},
         false, {{kLine, kLine}, {"Main", "East"}, {"Audit"}}},
        {{{"TOLM.LyS", kLine + "\r\n"}, {"Reason.LyS", "\r\n"}}, true, {{kLine}, {}, {""}}},
    };
    for (const Scenario& scenario : scenarios) {
        Program recorded(scenario);
        recorded.start();
        EXPECT_EQ(recorded.lists(), scenario.loaded);
        const std::size_t saveStart = recorded.files.calls.size();
        recorded.type();
        recorded.w.form.Command1_Click();
        ASSERT_EQ(recorded.w.platform.errors, Items{});
        const std::vector<Call> calls = recorded.files.calls;
        // At each call a failure; at each write also no room at all, and part
        // of the record taken before the next write fails (or carries on).
        for (std::size_t k = 0; k < calls.size(); ++k) {
            std::vector<Fault> faults = {{kIoError}};
            if (calls[k].step == Step::Append)
                faults.insert(faults.end(), {{kDiskFull, 0}, {kIoError, 5}, {0, 5}});
            for (const Fault& fault : faults) {
                SCOPED_TRACE(testing::Message() << "scenario " << &scenario - scenarios << ", call " << k << ", error "
                                                << fault.error << " after " << fault.maxBytes << " bytes");
                bool failNext = false;
                const FaultyFileSystem::Plan plan = [&](std::size_t index, const Call& call) {
                    if (index == k && fault.maxBytes >= 0)
                        return failNext = fault.maxBytes > 0 && fault.error != 0, Fault{0, fault.maxBytes};
                    const bool fails = index == k || (failNext && call.step == Step::Append);
                    failNext = failNext && !fails;
                    return Fault{fails ? fault.error : 0};
                };
                Program run(scenario);
                auto& w = run.w;
                // The message names what was being done, the file and the system's reason.
                const Step step = calls[k].step;
                const std::size_t file = owner(calls, k);
                const Step before = k > 0 ? calls[k - 1].step : step;
                const bool reading = step == Step::ReadAt
                                  || (k < saveStart && (step == Step::Size || (step == Step::Close && before != Step::Open
                                                                               && before != Step::SyncFolder)));
                const std::string message = std::string("Cannot ") + (step == Step::Open ? "open" : reading ? "read" : "write")
                                          + " file " + run.dir.file(kFiles[file]) + ":\n"
                                          + systemWording(fault.error ? fault.error : kDiskFull) + ".";
                if (step == Step::Map) { // a file that cannot be mapped is read instead
                    run.files.plan = plan;
                    run.start();
                    EXPECT_EQ(run.lists(), scenario.loaded);
                    continue;
                }
                if (k < saveStart) {
                    run.files.plan = plan;
                    try {
                        run.start();
                        ADD_FAILURE() << "no error";
                    } catch (const logbook::FileError& error) {
                        EXPECT_EQ(error.what(), message);
                    }
                    // No content changed; files before the failing one are there, none after it.
                    for (std::size_t i = 0; i < 3; ++i) {
                        if (scenario.files.contains(kFiles[i])) {
                            EXPECT_EQ(run.dir.read(kFiles[i]), scenario.files.at(kFiles[i]));
                        } else if (i != file) {
                            EXPECT_EQ(run.dir.exists(kFiles[i]), i < file) << kFiles[i];
                        }
                    }
                    EXPECT_EQ(run.lists(), (std::vector<Items>{file > 0 ? scenario.loaded[0] : Items{},
                                                               file > 1 ? scenario.loaded[1] : Items{}, {}}));
                    continue;
                }
                run.start();
                run.type();
                run.files.plan = plan;
                w.form.Command1_Click();
                run.files.plan = {};
                // A failed sync is a failed Save, never retried into a success:
                // only the sync of a take-back may follow it.
                bool cut = false;
                for (std::size_t i = k + 1; step == Step::Sync && i < run.files.calls.size(); ++i) {
                    const Call& c = run.files.calls[i];
                    cut = cut || (c.step == Step::Truncate && c.path == run.dir.file(kFiles[file]));
                    EXPECT_FALSE(c.step == Step::Sync && c.path == run.dir.file(kFiles[file]) && !cut) << "sync retried";
                }
                // A lock that cannot be had does not stop the Save, nor does a failed
                // close after the sync; a write that carries on succeeds.
                const bool saved = step == Step::Lock || step == Step::Unlock || step == Step::Close || fault.error == 0;
                const std::size_t failed = saved ? 3 : file;
                EXPECT_EQ(w.platform.errors.size(), saved ? 0u : 1u);
                for (const std::string& shown : w.platform.errors) {
                    EXPECT_TRUE(shown.starts_with(file == 0 ? "The entry was not saved." : "The entry was saved.")) << shown;
                    EXPECT_NE(shown.find(file == 1 ? "branch list" : file == 2 ? "reason list" : "."), std::string::npos);
                    EXPECT_TRUE(shown.ends_with(message)) << shown;
                }
                for (std::size_t i = 0; i < 3; ++i)
                    EXPECT_EQ(run.dir.read(kFiles[i]), run.after(i, failed != 0 && i != failed)) << kFiles[i];
                EXPECT_EQ(w.MLyS.items.size(), scenario.loaded[0].size() + (failed != 0));
                EXPECT_EQ(w.Label1.text, failed == 0 ? "07 Mar 2016" : "DATE");
                EXPECT_EQ(w.Text2.text, failed == 0 ? "Visit" : "");
                if (saved)
                    continue;
                // Without the fault the same entry saves, each record once per
                // successful Save: a list that failed is tried again, no other.
                if (failed != 0)
                    run.type();
                w.platform.errors.clear();
                w.form.Command1_Click();
                EXPECT_EQ(w.platform.errors, Items{});
                for (std::size_t i = 0; i < 3; ++i)
                    EXPECT_EQ(run.dir.read(kFiles[i]), run.after(i, i == 0 && failed != 0 ? 2 : 1)) << kFiles[i];
            }
        }
    }
}
