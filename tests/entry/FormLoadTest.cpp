#include <Examples.h>
#include <FileError.h>
#include <HQForm.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

using testing_support::kWorkedExample;
using testing_support::MemoryWindow;
using testing_support::TempDir;
using Items = std::vector<std::string>;

TEST(FormLoad, FirstStartCreatesThreeEmptyFiles)
{
    TempDir dir;
    MemoryWindow w(dir.str());
    w.form.Form_Load();
    for (const char* name : {"TOLM.LyS", "Branch.LyS", "Reason.LyS"}) {
        ASSERT_TRUE(dir.exists(name)) << name;
        EXPECT_EQ(dir.read(name), "") << name;
    }
    EXPECT_TRUE(w.MLyS.items.empty());
    EXPECT_TRUE(w.Text1.items.empty());
    EXPECT_TRUE(w.Text2.items.empty());
}

TEST(FormLoad, FillsTheListsInFileOrderAndTouchesNothingElse)
{
    TempDir dir;
    const std::string log = kWorkedExample + "\r\n" + kWorkedExample + " and more\r\n" + kWorkedExample;
    dir.write("TOLM.LyS", log);
    dir.write("Branch.LyS", "Main\r\nMain\r\nA branch longer than sixteen\r\n");
    dir.write("Reason.LyS", "\r\n");
    MemoryWindow w(dir.str());
    w.Text1.text = "typed";
    w.form.Form_Load();
    EXPECT_EQ(w.MLyS.items, (Items{kWorkedExample, kWorkedExample + " and more", kWorkedExample}));
    EXPECT_EQ(w.Text1.items, (Items{"Main", "Main", "A branch longer than sixteen"}));
    EXPECT_EQ(w.Text2.items, Items{""});
    EXPECT_EQ(w.Text1.text, "typed");
    EXPECT_EQ(w.Label1.text, "DATE");
    EXPECT_TRUE(w.CLyS.items.empty());
    EXPECT_FALSE(w.CLyS.visible);
    EXPECT_EQ(dir.read("TOLM.LyS"), log);
}

TEST(FormLoad, AFailingFileStopsLoadingAndIsWordedForTheUser)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "Branch.LyS");
    MemoryWindow w(dir.str());
    try {
        w.form.Form_Load();
        FAIL() << "no error";
    } catch (const logbook::FileError& error) {
        EXPECT_NE(std::string(error.what()).find(dir.file("Branch.LyS")), std::string::npos);
        EXPECT_EQ(entry::startupFailureMessage(error), std::string("Tolmarin cannot start.\n\n") + error.what());
    }
    EXPECT_TRUE(dir.exists("TOLM.LyS"));
    EXPECT_FALSE(dir.exists("Reason.LyS")); // never reached
    // Any other failure at start-up is worded the same way.
    EXPECT_EQ(entry::startupFailureMessage(std::runtime_error("No folder")), "Tolmarin cannot start.\n\nNo folder");
}
