#include <Encoding.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

using logbook::fileBytesFromText;
using testing_support::MemoryWindow;
using testing_support::TempDir;

// A branch or reason is learned unless an item equals it upper-cased by the locale; nothing is trimmed.
TEST(KnownTexts, LearnedUnlessAnItemMatchesInAnyCase)
{
    TempDir dir; // duplicates, case variants, spaces, letters beyond A to Z, Windows-1252, a UTF-8 byte-order mark
    const std::string branches = "\xEF\xBB\xBFZ\xC3\xBCrich\r\n"
                               + fileBytesFromText("Head Office\r\nhead office\r\nMain\r\nMain \r\n") + "Caf\xE9\r\n";
    const std::string reasons = fileBytesFromText("Audit\r\nærøskøbing\r\nÉtude  \r\n");
    dir.write("Branch.LyS", branches);
    dir.write("Reason.LyS", reasons);
    MemoryWindow w(dir.str());
    w.form.Form_Load();
    dir.write("Branch.LyS", branches + "Depot\r\n"); // after loading: not an item, so not known

    const struct {
        const char *branch, *reason;
        bool newBranch, newReason;
    } saves[] = {
        {"HEAD OFFICE", "audit", false, false},
        {"Main", "AUDIT ", false, true},     // a trailing space makes it new
        {"main ", "ÆRØSKØBING", false, false}, // the loaded "Main " in another case
        {"ZÜRICH", "étude", false, true},    // the stored spaces count; the mark is no part of a text
        {"CAFÉ", "ÉTUDE  ", false, false},   // the Windows-1252 line decoded
        {"Depot", "audit ", true, false},    // learned in this run, now known
        {"DEPOT", "Stocktake", false, true},
        {" Main", "Stocktake", true, false}, // a leading space too
    };
    for (const auto& save : saves) {
        SCOPED_TRACE(std::string(save.branch) + "|" + save.reason);
        const std::size_t branchCount = w.Text1.items.size(), reasonCount = w.Text2.items.size();
        w.save("07 Mar 2016", save.branch, save.reason);
        EXPECT_EQ(w.Text1.items.size(), branchCount + save.newBranch);
        EXPECT_EQ(w.Text2.items.size(), reasonCount + save.newReason);
    }
    EXPECT_EQ(dir.read("Branch.LyS"), branches + "Depot\r\nDepot\r\n Main\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), reasons + fileBytesFromText("AUDIT \r\nétude\r\nStocktake\r\n"));

    w.Text1.items.push_back("Harbour"); // should a front end ever add an item itself
    w.save("07 Mar 2016", "HARBOUR", "Audit");
    EXPECT_EQ(w.Text1.items.back(), "Harbour");
}
