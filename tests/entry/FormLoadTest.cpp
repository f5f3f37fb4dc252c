#include <Examples.h>
#include <FileError.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

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
    EXPECT_TRUE(dir.exists("TOLM.LyS") && !dir.exists("Reason.LyS")); // the last never reached
    // Any other failure at start-up is worded the same way.
    EXPECT_EQ(entry::startupFailureMessage(std::runtime_error("No folder")), "Tolmarin cannot start.\n\nNo folder");
}
