#include <Examples.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>


using testing_support::kWorkedExample;
using testing_support::MemoryWindow;
using testing_support::TempDir;
using Items = std::vector<std::string>;

TEST(FormLoad, CreatesMissingFilesAndFillsTheListsInFileOrder)
{
    TempDir dir;
    const std::string log = kWorkedExample + "\r\n" + kWorkedExample + " and more\r\nlast";
    dir.write("TOLM.LyS", log);
    dir.write("Reason.LyS", "Audit\r\nAudit\r\n\r\nA reason longer than sixteen");
    MemoryWindow w(dir.str());
    w.form.Form_Load();
    EXPECT_EQ(w.MLyS.items, (Items{kWorkedExample, kWorkedExample + " and more", "last"}));
    EXPECT_EQ(w.Text2.items, (Items{"Audit", "Audit", "", "A reason longer than sixteen"}));
    EXPECT_EQ(dir.read("TOLM.LyS") + "|" + dir.read("Branch.LyS"), log + "|"); // created empty
    EXPECT_TRUE(w.platform.loading.empty()); // a quick start shows no progress
}
