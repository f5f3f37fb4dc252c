#include <Examples.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

using testing_support::kWorkedExample;
using testing_support::MemoryWindow;
using testing_support::TempDir;
using Items = std::vector<std::string>;

class Save : public ::testing::Test {
protected:
    TempDir dir;
    MemoryWindow w{dir.str()};

    void SetUp() override { w.form.Form_Load(); }

    void save(const std::string& date, const std::string& branch, const std::string& reason)
    {
        w.Label1.text = date;
        w.Text1.text = branch;
        w.Text2.text = reason;
        w.form.Command1_Click();
    }
};

TEST_F(Save, WorkedExampleToTheByte)
{
    w.pickDate("07", "March", "2016");
    w.Text1.text = "Main";
    w.Text2.text = "Audit";
    w.form.Command1_Click();
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit\r\n");
    EXPECT_EQ(w.MLyS.items, Items{kWorkedExample});
    EXPECT_EQ(w.Text1.items, Items{"Main"});
    EXPECT_EQ(w.Text2.items, Items{"Audit"});
    EXPECT_EQ(w.Label1.text, "DATE");
    EXPECT_EQ(w.Text1.text, "");
    EXPECT_EQ(w.Text2.text, "");
    EXPECT_TRUE(w.platform.errors.empty());

    // The picker's state is untouched: a year chosen again appends to it.
    w.CLyS.select("2017");
    w.form.CLyS_Click();
    EXPECT_EQ(w.Label1.text, "07 Mar 2016 2017");
}

TEST_F(Save, GuardIgnoresMissingInputSilently)
{
    const struct {
        const char *date, *branch, *reason;
        bool saved;
    } cases[] = {
        {"DATE", "Main", "Audit", false},
        {"07 Mar 2016", "", "Audit", false},
        {"07 Mar 2016", "Main", "", false},
        {"Date", "Main", "Audit", true}, // only exactly "DATE" means no date
        {"07 Mar 2016", " ", "   ", true}, // spaces are text
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.date) + "|" + c.branch + "|" + c.reason);
        const std::size_t before = w.MLyS.items.size();
        save(c.date, c.branch, c.reason);
        EXPECT_EQ(w.MLyS.items.size(), before + (c.saved ? 1 : 0));
        EXPECT_EQ(w.Label1.text, c.saved ? "DATE" : c.date);
        EXPECT_EQ(w.Text1.text, c.saved ? "" : c.branch);
        EXPECT_EQ(w.Text2.text, c.saved ? "" : c.reason);
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "Date         Main             Audit" + std::string(25, ' ') + "\r\n07 Mar 2016  "
                                        + std::string(47, ' ') + "\r\n");
    EXPECT_EQ(w.Text1.items, (Items{"Main", " "}));
    EXPECT_TRUE(w.platform.errors.empty());
}

TEST_F(Save, EntryLines)
{
    const struct {
        const char *branch, *reason, *line;
    } cases[] = {
        {"ABCDEFGHIJKLMNOP", "R", "07 Mar 2016  ABCDEFGHIJKLMNOP R                             "},
        {"Zürich", "Prüfung", "07 Mar 2016  Zürich           Prüfung                       "},
        // Over-long fields (never through the window) are cut, not spilled.
        {"bbbbbbbbbbbbbbbbbbbb", "rrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrr",
         "07 Mar 2016  bbbbbbbbbbbbbbbb rrrrrrrrrrrrrrrrrrrrrrrrrrrrrr"},
        // Pasted line breaks and tabs never split a record.
        {"Head\r\nOffice", "a\nb\tc", "07 Mar 2016  Head  Office     a b c                         "},
    };
    for (const auto& c : cases) {
        save("07 Mar 2016", c.branch, c.reason);
        ASSERT_FALSE(w.MLyS.items.empty());
        EXPECT_EQ(w.MLyS.items.back(), c.line);
    }
    EXPECT_EQ(w.Text1.items.back(), "Head  Office");
    EXPECT_EQ(w.Text2.items.back(), "a b c");
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
