// Memory running out at every allocation in turn: a Save and a start-up
// fail their k-th allocation, for k = 1, 2, ... until one runs without
// reaching k. Whatever fails, the message tells the truth about the files.

#include <DataFiles.h>
#include <FileError.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <new>

namespace {
std::atomic<long> allocationsToFailure{0}; // the one that reaches 0 fails; 0: none planned
} // namespace

void* operator new(std::size_t size)
{
    if (allocationsToFailure.load() > 0 && allocationsToFailure.fetch_sub(1) == 1)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

using Files = std::map<std::string, std::string>;
const char* const kNames[] = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};
const Files kExisting = {{"TOLM.LyS", "06 Mar 2016  Main             Audit                         \r\n"},
                         {"Branch.LyS", "Main\r\n"}, {"Reason.LyS", "Audit"}};

// Runs `work` with its k-th allocation failing; false when it never got that far.
template<typename Work> bool failingAllocation(long k, Work work)
{
    allocationsToFailure = k;
    work();
    return allocationsToFailure.exchange(0) <= 0;
}

} // namespace

TEST(AllocationSweep, ASaveThatRunsOutOfMemorySaysWhatItStoredAndTheNextSaveStoresOnce)
{
    const struct {
        Files files;
        bool removedBeforeSave; // the Save makes the files
        std::string branch, reason;
    } scenarios[] = {{kExisting, false, "North", "Visit"}, {kExisting, false, "main", "AUDIT"}, {{}, true, "North", "Visit"}};
    for (const auto& s : scenarios) {
        for (long k = 1, reached = true; reached; ++k) {
            SCOPED_TRACE(testing::Message() << "scenario " << &s - scenarios << ", allocation " << k);
            testing_support::TempDir dir;
            for (const auto& [name, bytes] : s.files)
                dir.write(name, bytes);
            testing_support::MemoryWindow w(dir.str());
            w.form.Form_Load();
            std::string before[3];
            for (int i = 0; i < 3; ++i)
                s.removedBeforeSave ? (void)std::filesystem::remove(dir.file(kNames[i])) : (void)(before[i] = dir.read(kNames[i]));
            const std::string line = logbook::composeEntryLine("07 Mar 2016", s.branch, s.reason);
            const std::string texts[] = {line, s.branch == "main" ? "" : s.branch, s.reason == "AUDIT" ? "" : s.reason};
            const auto with = [&](int file, int times) {
                std::string bytes = before[file] + (times && !before[file].ends_with('\n') && !before[file].empty() ? "\r\n" : "");
                while (times-- > 0)
                    bytes += texts[file] + "\r\n";
                return texts[file].empty() ? before[file] : bytes;
            };
            w.Label1.text = "07 Mar 2016", w.Text1.text = s.branch, w.Text2.text = s.reason;
            reached = failingAllocation(k, [&] { w.form.Command1_Click(); });

            ASSERT_LE(w.platform.errors.size(), 1u);
            const std::string shown = w.platform.errors.empty() ? "" : w.platform.errors[0];
            if (dir.read(kNames[0]) == before[0]) {
                EXPECT_TRUE(shown.starts_with("The entry was not saved")) << shown;
                EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text, "07 Mar 2016" + s.branch + s.reason);
            } else {
                EXPECT_EQ(dir.read(kNames[0]), with(0, 1));
                EXPECT_TRUE(shown.empty() || shown.starts_with("The entry was saved")) << shown;
                EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text, "DATE"); // not to be saved twice
            }
            for (int i = 1; i < 3; ++i)
                EXPECT_TRUE(dir.read(kNames[i]) == before[i] || dir.read(kNames[i]) == with(i, 1)) << dir.read(kNames[i]);
            // Saved again: one more entry line, and each list holds its new text once.
            const int entries = dir.read(kNames[0]) == before[0] ? 1 : 2;
            w.platform.errors.clear();
            w.save("07 Mar 2016", s.branch, s.reason);
            EXPECT_EQ(w.platform.errors, std::vector<std::string>{});
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(dir.read(kNames[i]), with(i, i == 0 ? entries : 1)) << kNames[i];
        }
    }
}

TEST(AllocationSweep, AStartUpThatRunsOutOfMemoryNamesTheFileAndChangesNone)
{
    for (const Files& files : {kExisting, Files{}}) {
        for (long k = 1, reached = true; reached; ++k) {
            SCOPED_TRACE(testing::Message() << files.size() << " files, allocation " << k);
            testing_support::TempDir dir;
            for (const auto& [name, bytes] : files)
                dir.write(name, bytes);
            testing_support::MemoryWindow w(dir.str());
            bool failed = false;
            reached = failingAllocation(k, [&] {
                try {
                    w.form.Form_Load();
                } catch (const logbook::FileError& error) { // shown as the start-up message
                    failed = true;
                    EXPECT_NE(std::string(error.what()).find("There is not enough memory to load it"), std::string::npos);
                }
            });
            for (const auto& [name, bytes] : files)
                EXPECT_EQ(dir.read(name), bytes);
            EXPECT_TRUE(failed || w.MLyS.items.size() + w.Text1.items.size() + w.Text2.items.size() == files.size());
        }
    }
}
