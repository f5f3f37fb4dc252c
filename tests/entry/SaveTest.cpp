#include <Examples.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

using testing_support::kWorkedExample;
using Items = std::vector<std::string>;

class Save : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    testing_support::MemoryWindow w{dir.str()};

    void SetUp() override { w.form.Form_Load(); }
};

TEST_F(Save, WorkedExampleToTheByte)
{
    w.pickDate("07", "March", "2016");
    w.save(w.Label1.text, "Main", "Audit");
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit\r\n");
    EXPECT_EQ(w.MLyS.items, Items{kWorkedExample});
    EXPECT_EQ(w.Text1.items, Items{"Main"});
    EXPECT_EQ(w.Text2.items, Items{"Audit"});
    EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text, "DATE");
    EXPECT_TRUE(w.platform.errors.empty());
    // The picker's state is untouched: a year chosen again appends to it.
    w.CLyS.select("2017");
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
        // Over-long fields (never through the window) are cut, not spilled.
        {"07 Mar 2016", "bbbbbbbbbbbbbbbbbbbb", "rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr",
         "07 Mar 2016  bbbbbbbbbbbbbbbb rrrrrrrrrrrrrrrrrrrrrrrrrrrrrr"},
        // Pasted line breaks and tabs never split a record.
        {"07 Mar 2016", "Head\r\nOffice", "a\nb\tc", "07 Mar 2016  Head  Office     a b c                         "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.date) + "|" + c.branch + "|" + c.reason);
        const Items before = w.MLyS.items;
        w.save(c.date, c.branch, c.reason);
        EXPECT_EQ(w.MLyS.items.size(), before.size() + (c.line ? 1 : 0));
        if (c.line) {
            EXPECT_EQ(w.MLyS.items.back(), c.line);
            EXPECT_EQ(w.Label1.text + w.Text1.text + w.Text2.text, "DATE");
        } else {
            EXPECT_EQ(w.Label1.text + "|" + w.Text1.text + "|" + w.Text2.text,
                      std::string(c.date) + "|" + c.branch + "|" + c.reason);
        }
    }
    EXPECT_EQ(w.Text1.items.back(), "Head  Office");
    EXPECT_EQ(dir.read("Reason.LyS").substr(dir.read("Reason.LyS").size() - 7), "a b c\r\n");
    EXPECT_TRUE(w.platform.errors.empty());
}

TEST_F(Save, CapCutsToSixteenCharactersOnFocusLoss)
{
    const struct {
        const char *typed, *kept;
    } cases[] = {
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
        {"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},
        {"Überprüfung der Bücher", "Überprüfung der "},
        {"😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀", "😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀"},
        {"Head\r\nOffice", "Head  Office"},
    };
    w.Text1.items = {"A very long branch name"};
    for (const auto& c : cases) {
        w.Text1.text = c.typed;
        w.form.Text1_LostFocus();
        EXPECT_EQ(w.Text1.text, c.kept);
        w.Text2.text = c.typed; // the reason is cut to 16 as well
        w.form.Text2_LostFocus();
        EXPECT_EQ(w.Text2.text, c.kept);
    }
    EXPECT_EQ(w.Text1.items, Items{"A very long branch name"}); // items keep their length
}
