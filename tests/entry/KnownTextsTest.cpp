// Save tells new branches and reasons from known ones through an index of
// upper-cased texts; it must answer exactly as going through the items does.
#include <Encoding.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

using testing_support::MemoryComboBox;
using testing_support::MemoryWindow;
using testing_support::TempDir;
using Items = std::vector<std::string>;

namespace {

class KnownTexts : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<MemoryWindow> w;

    void load()
    {
        w = std::make_unique<MemoryWindow>(dir.str());
        w->form.Form_Load();
    }

    // The check as stated: upper-case every item and compare, nothing trimmed.
    bool knownByScan(const MemoryComboBox& combo, const std::string& text) const
    {
        for (const std::string& item : combo.items) {
            if (w->platform.toUpper(item) == w->platform.toUpper(text))
                return true;
        }
        return false;
    }

    // Saves and checks that each field was learned exactly when the scan
    // over the items as they were before the Save calls it new.
    void saveAndCompare(const std::string& branch, const std::string& reason)
    {
        Items branches = w->Text1.items;
        Items reasons = w->Text2.items;
        if (!knownByScan(w->Text1, branch))
            branches.push_back(branch);
        if (!knownByScan(w->Text2, reason))
            reasons.push_back(reason);
        w->Label1.text = "07 Mar 2016";
        w->Text1.text = branch;
        w->Text2.text = reason;
        w->form.Command1_Click();
        ASSERT_TRUE(w->platform.errors.empty());
        EXPECT_EQ(w->Text1.items, branches) << "branch '" << branch << "'";
        EXPECT_EQ(w->Text2.items, reasons) << "reason '" << reason << "'";
    }
};

} // namespace

TEST_F(KnownTexts, AnswerAsTheScanForLoadedAndLearnedItems)
{
    // Duplicates, case variants, a trailing space, letters beyond A to Z and
    // a line in Windows-1252, as files written by other programs may hold.
    using logbook::fileBytesFromText;
    const std::string loadedBranches =
        fileBytesFromText("Head Office\r\nhead office\r\nMain\r\nMain\r\nMain \r\nZürich\r\n") + "Caf\xE9\r\n";
    const std::string loadedReasons = fileBytesFromText("Audit\r\nAudit\r\nærøskøbing\r\nÉtude  \r\n");
    dir.write("Branch.LyS", loadedBranches);
    dir.write("Reason.LyS", loadedReasons);
    load();

    const std::pair<std::string, std::string> saves[] = {
        {"HEAD OFFICE", "audit"},   // known in another case
        {"Main", "AUDIT "},         // known; reason with a trailing space is new
        {"Main  ", "Audit "},       // two trailing spaces: new; the reason was just learned
        {"main ", "ÆRØSKØBING"},    // the loaded "Main " in another case
        {"ZÜRICH", "étude"},        // beyond A to Z; without the stored spaces: new
        {"CAFÉ", "ÉTUDE  "},        // the Windows-1252 line decoded; with the spaces: known
        {"New Depot", "Stocktake"}, // both new
        {"NEW DEPOT", "stocktake"}, // learned in this run, now known
        {" Main", "Stocktake"},     // leading space: new
        {"New Depot", "Stocktake"}, // the same entry twice
    };
    for (const auto& [branch, reason] : saves)
        saveAndCompare(branch, reason);

    // The list files got exactly the learned texts, in order.
    EXPECT_EQ(dir.read("Branch.LyS"), loadedBranches + "Main  \r\nNew Depot\r\n Main\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), loadedReasons + fileBytesFromText("AUDIT \r\nétude\r\nStocktake\r\n"));
    EXPECT_EQ(w->MLyS.items[9], w->MLyS.items[6]);
    EXPECT_EQ(w->MLyS.items[0].substr(13, 11), "HEAD OFFICE"); // the line keeps the case as typed
}

TEST_F(KnownTexts, OnlyTheComboBoxsCurrentItemsCount)
{
    load();
    dir.write("Branch.LyS", "Main\r\n"); // written after loading: not known
    saveAndCompare("main", "Audit");
    saveAndCompare("MAIN", "AUDIT");
    // Should a front end ever add an item itself, the index notices.
    w->Text1.items.push_back("Depot");
    saveAndCompare("DEPOT", "Audit");
    EXPECT_EQ(dir.read("Branch.LyS"), "Main\r\nmain\r\n");
}

TEST_F(KnownTexts, LargeVocabularyBeyondSixteenBits)
{
    std::string branches;
    for (int i = 0; i < 70'000; ++i)
        branches += "Branch " + std::to_string(i) + "\r\n";
    dir.write("Branch.LyS", branches);
    load();
    ASSERT_EQ(w->Text1.items.size(), 70'000u);
    saveAndCompare("BRANCH 69999", "Audit"); // the last item, past 65,535
    saveAndCompare("branch 32767", "Audit");
    saveAndCompare("Branch 70000", "Audit"); // new
    EXPECT_EQ(w->Text1.items.size(), 70'001u);
}
