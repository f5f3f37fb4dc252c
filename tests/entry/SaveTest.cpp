#include <FileError.h>
#include <FaultyFileSystem.h>
#include <MemoryControls.h>
#include <SystemErrors.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::MemoryWindow;
using testing_support::TempDir;
using testing_support::kDiskFull;
using testing_support::kIoError;
using Items = std::vector<std::string>;

namespace {
const std::string kWorkedExample = "07 Mar 2016  Main             Audit" + std::string(25, ' ');
} // namespace

class Save : public ::testing::Test {
protected:
    TempDir dir;
    testing_support::FaultyFileSystem files;
    MemoryWindow w{dir.str(), files};

    void SetUp() override { w.form.Form_Load(); }

    void type(const std::string& branch, const std::string& reason)
    {
        w.Text1.text = branch;
        w.form.Text1_LostFocus();
        w.Text2.text = reason;
        w.form.Text2_LostFocus();
    }
    void saveEntry(const std::string& branch, const std::string& reason)
    {
        w.pickDate("07", "March", "2016");
        type(branch, reason);
        w.form.Command1_Click();
    }
    void failStep(testing_support::Step failing, const std::string& fileName, int error)
    {
        files.plan = [=](std::size_t, const testing_support::Call& call) {
            return testing_support::Fault{call.step == failing && call.path.ends_with(fileName) ? error : 0};
        };
    }
};

TEST_F(Save, WorkedExampleToTheByte)
{
    saveEntry("Main", "Audit");
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Audit\r\n");
    EXPECT_EQ(w.MLyS.items, Items{kWorkedExample});
    EXPECT_EQ(w.Text1.items, Items{"Main"});
    EXPECT_EQ(w.Text2.items, Items{"Audit"});
    // Inputs reset, picker state untouched.
    EXPECT_EQ(w.Label1.text, "DATE");
    EXPECT_EQ(w.Text1.text, "");
    EXPECT_EQ(w.Text2.text, "");
    EXPECT_EQ(w.form.PickStage(), 3);
    EXPECT_EQ(w.form.PickedDate(), "07 Mar 2016");
    EXPECT_TRUE(w.platform.errors.empty());
}

TEST_F(Save, GuardIgnoresMissingInputSilently)
{
    type("Main", "Audit");
    w.form.Command1_Click(); // no date
    w.Label1.text = "Date";   // not exactly "DATE": passes
    w.Text1.text = "";
    w.form.Command1_Click(); // no branch
    w.Text1.text = "Main";
    w.Text2.text = "";
    w.form.Command1_Click(); // no reason
    EXPECT_EQ(dir.read("TOLM.LyS"), "");
    EXPECT_TRUE(w.MLyS.items.empty());
    EXPECT_EQ(w.Label1.text, "Date");
    EXPECT_EQ(w.Text1.text, "Main");
    EXPECT_TRUE(w.platform.errors.empty());

    w.Text2.text = "x";
    w.form.Command1_Click();
    EXPECT_EQ(w.MLyS.items.size(), 1u);
}

TEST_F(Save, FieldsOfSpacesAreSavedAndLearned)
{
    saveEntry(" ", "   ");
    EXPECT_EQ(w.MLyS.items, Items{"07 Mar 2016  " + std::string(16, ' ') + " " + std::string(30, ' ')});
    EXPECT_EQ(w.Text1.items, Items{" "});
    EXPECT_EQ(dir.read("Reason.LyS"), "   \r\n");
}

TEST_F(Save, FullWidthBranchShortReasonAndNonAsciiText)
{
    saveEntry("ABCDEFGHIJKLMNOP", "R");
    saveEntry("Zürich", "Prüfung");
    EXPECT_EQ(w.MLyS.items[0], "07 Mar 2016  ABCDEFGHIJKLMNOP R" + std::string(29, ' '));
    EXPECT_EQ(w.MLyS.items[1], "07 Mar 2016  Zürich           Prüfung" + std::string(23, ' '));
#ifdef _WIN32
    const std::string stored = "07 Mar 2016  Z\xFCrich           Pr\xFC" "fung" + std::string(23, ' '); // Windows-1252
#else
    const std::string stored = w.MLyS.items[1];
#endif
    EXPECT_EQ(dir.read("TOLM.LyS"), w.MLyS.items[0] + "\r\n" + stored + "\r\n");
}

TEST_F(Save, KnownCheckIgnoresLetterCaseByTheLocalesRules)
{
    saveEntry("Head Office", "Audit");
    saveEntry("HEAD OFFICE", "audit");
#ifdef _WIN32
    // Cyrillic cannot be stored in Windows-1252; Danish can.
    const std::string reason = "Ærøskøbing", upperReason = "ÆRØSKØBING";
    const std::string storedBranch = "\xCEle-de-France";
#else
    const std::string reason = "Проверка", upperReason = "ПРОВЕРКА";
    const std::string storedBranch = "Île-de-France";
#endif
    saveEntry("Île-de-France", reason);
    saveEntry("ÎLE-DE-FRANCE", upperReason);
    EXPECT_EQ(w.Text1.items, (Items{"Head Office", "Île-de-France"}));
    EXPECT_EQ(w.Text2.items, (Items{"Audit", reason}));
    EXPECT_EQ(dir.read("Branch.LyS"), "Head Office\r\n" + storedBranch + "\r\n");
    // The entry line keeps the letter case as typed.
    EXPECT_EQ(w.MLyS.items[1].substr(13, 11), "HEAD OFFICE");
}

TEST_F(Save, TrailingSpaceMakesANewBranchAndDuplicatesAreKept)
{
    saveEntry("Main", "Audit");
    saveEntry("Main ", "Audit");
    saveEntry("Main", "Audit");
    EXPECT_EQ(w.Text1.items, (Items{"Main", "Main "}));
    EXPECT_EQ(w.MLyS.items[0], w.MLyS.items[2]);
    EXPECT_EQ(w.MLyS.items.size(), 3u);
}

TEST_F(Save, OnlyTheComboBoxsCurrentItemsCount)
{
    dir.write("Branch.LyS", "Main\r\n"); // written after loading: not known
    saveEntry("main", "Audit");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\nmain\r\n");
    EXPECT_EQ(w.Text1.items, Items{"main"});
}

TEST_F(Save, CapCutsToSixteenCharactersOnFocusLoss)
{
    w.Text1.text = "ABCDEFGHIJKLMNOP";
    w.form.Text1_LostFocus();
    EXPECT_EQ(w.Text1.text, "ABCDEFGHIJKLMNOP");
    w.Text1.text = "ABCDEFGHIJKLMNOPQ";
    w.form.Text1_LostFocus();
    EXPECT_EQ(w.Text1.text, "ABCDEFGHIJKLMNOP");
    w.Text2.text = "Überprüfung der Bücher"; // reason is cut to 16 as well
    w.form.Text2_LostFocus();
    EXPECT_EQ(w.Text2.text, "Überprüfung der ");
    w.Text2.text = "😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀";
    w.form.Text2_LostFocus();
    EXPECT_EQ(w.Text2.text, "😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀😀");
    // Items keep their full length.
    w.Text1.items = {"A very long branch name"};
    w.form.Text1_LostFocus();
    EXPECT_EQ(w.Text1.items, Items{"A very long branch name"});
}

TEST_F(Save, PastedLineBreaksNeverSplitARecord)
{
    w.pickDate("01", "January", "2020");
    w.Text1.text = "Head\r\nOffice";
    w.Text2.text = "a\nb\tc";
    w.form.Command1_Click(); // without the focus loss: the save cleans up as well
    EXPECT_EQ(w.MLyS.items, Items{"01 Jan 2020  Head  Office     a b c" + std::string(25, ' ')});
    EXPECT_EQ(dir.read("Branch.LyS"), "Head  Office\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "a b c\r\n");

    w.Text1.text = "\r\n";
    w.form.Text1_LostFocus();
    EXPECT_EQ(w.Text1.text, "  ");
}

TEST_F(Save, OverLongFieldsReachingSaveAreCutInTheEntryLine)
{
    w.pickDate("01", "January", "2020");
    w.Text1.text = std::string(20, 'b');
    w.Text2.text = std::string(35, 'r');
    w.form.Command1_Click();
    EXPECT_EQ(w.MLyS.items, Items{"01 Jan 2020  " + std::string(16, 'b') + " " + std::string(30, 'r')});
}

TEST_F(Save, FailedEntryLogKeepsEverythingForARetry)
{
    for (auto step : {testing_support::Step::Open, testing_support::Step::Append, testing_support::Step::Sync}) {
        failStep(step, "TOLM.LyS", kDiskFull);
        saveEntry("Main", "Audit");
        ASSERT_EQ(w.platform.errors.size(), 1u);
        EXPECT_NE(w.platform.errors[0].find(dir.file("TOLM.LyS")), std::string::npos);
        EXPECT_NE(w.platform.errors[0].find(testing_support::systemWording(kDiskFull)), std::string::npos);
        EXPECT_EQ(dir.read("TOLM.LyS"), "");
        EXPECT_EQ(dir.read("Branch.LyS"), "");
        EXPECT_TRUE(w.MLyS.items.empty());
        EXPECT_TRUE(w.Text1.items.empty());
        EXPECT_EQ(w.Label1.text, "07 Mar 2016");
        EXPECT_EQ(w.Text1.text, "Main");
        EXPECT_EQ(w.Text2.text, "Audit");
        w.platform.errors.clear();
    }
    files.plan = {};
    w.form.Command1_Click();
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_TRUE(w.platform.errors.empty());
}

TEST_F(Save, FailedBranchListKeepsTheEntryAndRetriesTheBranchLater)
{
    failStep(testing_support::Step::Append, "Branch.LyS", kIoError);
    saveEntry("Main", "Audit");
    EXPECT_EQ(dir.read("TOLM.LyS"), kWorkedExample + "\r\n");
    EXPECT_EQ(w.MLyS.items.size(), 1u);
    EXPECT_TRUE(w.Text1.items.empty());
    EXPECT_EQ(w.Text2.items, Items{"Audit"}); // the reason is still learned
    ASSERT_EQ(w.platform.errors.size(), 1u);
    EXPECT_NE(w.platform.errors[0].find("branch list"), std::string::npos);
    EXPECT_NE(w.platform.errors[0].find(dir.file("Branch.LyS")), std::string::npos);
    EXPECT_EQ(w.Label1.text, "DATE"); // the entry is saved, so the inputs reset

    files.plan = {};
    saveEntry("Main", "Audit");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\n");
    EXPECT_EQ(w.Text1.items, Items{"Main"});
}
