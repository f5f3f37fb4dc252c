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
#include <cstdio>
#include <new>

static std::atomic<long> allocationsToFailure{0}; // the one that reaches 0 fails; 0: none planned

void* operator new(std::size_t size)
{
    if (allocationsToFailure.load() > 0 && allocationsToFailure.fetch_sub(1) == 1)
        throw std::bad_alloc();
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
#if defined(__GNUC__) && !defined(__clang__) // it pairs free with this new's malloc, which it cannot see
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

static const char* const kNames[] = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};

// A start-up, then a Save with new or known texts to files that exist or that it makes.
TEST(AllocationSweep, MemoryRunningOutAnywhereInAStartUpOrASaveIsToldTruly)
{
    const std::string log = logbook::composeEntryLine("06 Mar 2016", "Main", "Audit") + "\r\n";
    const struct {
        std::string files[3]; // none: no files at start-up, and none at the Save either
        std::string branch, reason;
    } scenarios[] = {{{log, "Main\r\n", "Audit"}, "North", "Visit"}, {{log, "Main\r\n", "Audit"}, "main", "AUDIT"},
                     {{}, "North", "Visit"}};
    for (const auto& s : scenarios) {
        const std::string texts[] = {logbook::composeEntryLine("07 Mar 2016", s.branch, s.reason), s.branch == "main" ? "" : s.branch, s.reason == "AUDIT" ? "" : s.reason};
        for (long k = 1, reached = true; reached; ++k) {
            SCOPED_TRACE(testing::Message() << "scenario " << &s - scenarios << ", allocation " << k);
            testing_support::TempDir dir;
            const std::string paths[] = {dir.file(kNames[0]), dir.file(kNames[1]), dir.file(kNames[2])};
            for (int i = 0; !s.files[0].empty() && i < 3; ++i)
                dir.write(kNames[i], s.files[i]);
            std::string failure;
            testing_support::MemoryWindow w(dir.str());
            w.Label1.text = "07 Mar 2016", w.Text1.text = s.branch, w.Text2.text = s.reason;
            allocationsToFailure = k;
            try {
                w.form.Form_Load();
                for (int i = 0; s.files[0].empty() && i < 3; ++i)
                    std::remove(paths[i].c_str());
                w.form.Command1_Click();
            } catch (const logbook::FileError& error) { // from Form_Load: shown as the start-up message
                failure = error.what();
            }
            reached = allocationsToFailure.exchange(0) <= 0; // else it ran without reaching k
            if (!failure.empty()) {
                EXPECT_TRUE(failure.find(dir.str()) != std::string::npos && failure.find("enough memory") != std::string::npos)
                    << failure;
                for (int i = 0; i < 3; ++i)
                    EXPECT_EQ(dir.read(kNames[i]), s.files[i]);
                continue;
            }
            const auto with = [&](int file, int times) { // the file with its text appended `times` times
                std::string bytes = s.files[file];
                for (int i = 0; i < times && !texts[file].empty(); ++i)
                    bytes += (bytes.empty() || bytes.ends_with('\n') ? "" : "\r\n") + texts[file] + "\r\n";
                return bytes;
            };
            ASSERT_LE(w.platform.errors.size(), 1u);
            const std::string shown = w.platform.errors.empty() ? "" : w.platform.errors[0];
            const bool stored = dir.read(kNames[0]) != s.files[0];
            EXPECT_EQ(dir.read(kNames[0]), with(0, stored));
            EXPECT_TRUE(stored ? shown.empty() || shown.starts_with("The entry was saved")
                               : shown.starts_with("The entry was not saved")) << shown;
            // A stored entry's inputs go, so that it is not saved twice.
            EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text, stored ? "DATE" : "07 Mar 2016" + s.branch + s.reason);
            // Saved again: one more entry line, and each list holds its new text once (so at most once before).
            w.platform.errors.clear();
            w.save("07 Mar 2016", s.branch, s.reason);
            EXPECT_EQ(w.platform.errors, std::vector<std::string>{});
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(dir.read(kNames[i]), with(i, i == 0 && stored ? 2 : 1)) << kNames[i];
        }
    }
}
