#include <Examples.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <algorithm>

#ifndef _WIN32
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using Items = std::vector<std::string>;

class Save : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    testing_support::MemoryWindow w{dir.str()};

    void SetUp() override { w.form.Form_Load(); }
};

TEST_F(Save, WorkedExampleToTheByte)
{
    const std::string& line = testing_support::kWorkedExample;
    w.pickDate("07", "March", "2016");
    w.save(w.Label1.text, "Main", "Audit");
    EXPECT_EQ(dir.read("TOLM.LyS") + dir.read("Branch.LyS") + dir.read("Reason.LyS"), line + "\r\nMain\r\nAudit\r\n");
    EXPECT_EQ(w.MLyS.items, Items{line});
    EXPECT_EQ(w.Text1.items.back() + w.Text2.items.back(), "MainAudit");
    EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text, "DATE");
    EXPECT_TRUE(w.platform.errors.empty());
    w.CLyS.select("2017"); // the picker's state is untouched: a year chosen again appends
    w.form.CLyS_Click();
    EXPECT_EQ(w.Label1.text, "07 Mar 2016 2017");
}

TEST_F(Save, GuardAndEntryLines)
{
    const struct {
        const char *date, *branch, *reason, *line; // no line: nothing saved
    } cases[] = {
        {"DATE", "Main", "Audit", nullptr},
        {"07 Mar 2016", "", "Audit", nullptr},
        {"07 Mar 2016", "Main", "", nullptr},
        // Only exactly "DATE" means no date; spaces are text.
        {"Date", "Main", "Audit", "Date         Main             Audit                         "},
        {"07 Mar 2016", " ", "   ", "07 Mar 2016                                                 "},
        {"07 Mar 2016", "ABCDEFGHIJKLMNOP", "R", "07 Mar 2016  ABCDEFGHIJKLMNOP R                             "},
        {"07 Mar 2016", "Zürich", "Prüfung", "07 Mar 2016  Zürich           Prüfung                       "},
        // Pasted line breaks and tabs never split a record.
        {"07 Mar 2016", "Head\r\nOffice", "a\nb\tc", "07 Mar 2016  Head  Office     a b c                         "},
        // Fields that reach Save uncut are cut like a field that is left: columns 47 to 60 stay blank.
        {"07 Mar 2016", "bbbbbbbbbbbbbbbbbbbb", "rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr",
         "07 Mar 2016  bbbbbbbbbbbbbbbb rrrrrrrrrrrrrrrr              "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.date) + "|" + c.branch + "|" + c.reason);
        const std::size_t before = w.MLyS.items.size();
        w.save(c.date, c.branch, c.reason);
        EXPECT_EQ(w.MLyS.items.size(), before + (c.line ? 1 : 0));
        if (c.line) {
            EXPECT_EQ(w.MLyS.items.back(), c.line);
        }
        EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text,
                  c.line ? "DATE" : std::string(c.date) + c.branch + c.reason);
    }
    EXPECT_EQ(w.Text1.items.back() + "|" + w.Text2.items.back(), "bbbbbbbbbbbbbbbb|rrrrrrrrrrrrrrrr");
    EXPECT_TRUE(dir.read("Reason.LyS").ends_with("a b c\r\nrrrrrrrrrrrrrrrr\r\n"));
}

// Locks held by another program: the window is busy while a Save waits,
// five seconds at most for all its files together, then the Save names the
// file. A locked entry log stores nothing and keeps the inputs.
TEST_F(Save, LockedFilesAreNamedAfterOneWaitOfAtMostFiveSeconds)
{
    const std::string names[] = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};
    std::unique_ptr<logbook::File> held[3];
    auto holdLocks = [&, created = false]() mutable {
        for (int i = 0; i < 3; ++i)
            logbook::platformFileSystem().open(dir.file(names[i]), logbook::Access::ReadAppend, held[i], created);
        return std::all_of(held, held + 3, [](auto& file) { return file && file->tryLock() == 0; });
    };
    auto locked = [&](const std::string& name) { return "Cannot write file " + dir.file(name) + ":\nIt is locked by another program."; };
#ifdef _WIN32 // a lock belongs to a handle: a second one is as good as another program
    ASSERT_TRUE(holdLocks());
    auto releaseEntryLog = [&] { held[0].reset(); };
#else // a lock belongs to a process: a child holds them until killed, also when the test fails
    int ready[2], release[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(release), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        char byte = 0;
        if (!holdLocks() || ::write(ready[1], "L", 1) != 1 || ::read(release[0], &byte, 1) != 1)
            ::_exit(1);
        held[0].reset(); // closing the log lets its lock go
        ::_exit(::write(ready[1], "R", 1) == 1 ? ::pause() : 1);
    }
    struct KillAtEnd {
        pid_t pid;
        ~KillAtEnd() { ::kill(pid, SIGKILL), ::waitpid(pid, nullptr, 0); }
    } killAtEnd{holder};
    char signal = 0;
    ASSERT_EQ(::read(ready[0], &signal, 1), 1); // nothing when the child could not lock
    auto releaseEntryLog = [&] { return ::write(release[1], "R", 1) == 1 && ::read(ready[0], &signal, 1) == 1; };
#endif
    w.pickDate("07", "March", "2016");
    w.save(w.Label1.text, "Main", "Audit");
    EXPECT_EQ(w.platform.errors, (Items{"The entry was not saved.\n\n" + locked("TOLM.LyS")}));
    EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text + dir.read("TOLM.LyS"), "07 Mar 2016MainAudit");
    EXPECT_GT(w.platform.waited.count(), 0); // busy meanwhile: a message then would say "[busy]"

    releaseEntryLog();
    w.platform.errors.clear();
    w.platform.waited = {};
    w.form.Command1_Click(); // both list files locked: one deadline for both
    EXPECT_EQ(w.platform.errors, (Items{"The entry was saved.\n\nThe new branch could not be added to the branch list.\n"
                                        + locked("Branch.LyS") + "\n\nThe new reason could not be added to the reason list.\n"
                                        + locked("Reason.LyS")}));
    EXPECT_EQ(dir.read("TOLM.LyS"), testing_support::kWorkedExample + "\r\n");
    EXPECT_LT(w.platform.waited, std::chrono::milliseconds(5050)); // what it slept for is less than all its time
}

#ifdef _WIN32
TEST_F(Save, TextTheAnsiCodePageCannotHoldIsNamedAndNothingIsWritten)
{
    w.save("07 Mar 2016", "Ωmega Ω", "Āudit"); // Ā would quietly become "A" by best fit
    ASSERT_EQ(w.platform.errors.size(), 1u);
    EXPECT_NE(w.platform.errors[0].find(":\nΩĀ"), std::string::npos) << w.platform.errors[0];
    EXPECT_EQ(dir.read("TOLM.LyS") + w.Label1.text + w.Text1.text, "07 Mar 2016Ωmega Ω");
}
#endif

TEST_F(Save, CapCutsToSixteenCharactersOnFocusLoss)
{
    const std::pair<const char*, const char*> typedAndKept[] = {
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
        {"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},
        {"Überprüfung der Bücher", "Überprüfung der "},
        {"😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀", "😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀"},
        {"Head\r\nOffice", "Head  Office"},
    };
    for (const auto& [typed, kept] : typedAndKept) {
        w.Text1.text = w.Text2.text = typed; // the reason is cut to 16 as well
        w.form.Text1_LostFocus();
        w.form.Text2_LostFocus();
        EXPECT_EQ(w.Text1.text + "|" + w.Text2.text, std::string(kept) + "|" + kept);
    }
}
