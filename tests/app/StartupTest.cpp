#include <Startup.h>
#include <TempDir.h>

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::TempDir;

TEST(Startup, AnUnwritableDataFileEndsTheProgramWithAMessage)
{
    TempDir dir;
    dir.write("TOLM.LyS", "entry\r\n");
    std::filesystem::create_directory(dir.path() / "Reason.LyS");
    QStringList messages;
    const int status = runTolmarin(*qApp, dir.str(), [&](const QString& m) { messages << m; }, false);
    EXPECT_EQ(status, 1);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "Cannot open file " + QString::fromStdString(dir.file("Reason.LyS")) + ":\nIs a directory.");
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()); // no window was shown
    // Files handled before the failing one stay as they were or were created.
    EXPECT_EQ(dir.read("TOLM.LyS"), "entry\r\n");
    EXPECT_TRUE(dir.exists("Branch.LyS"));
}

TEST(Startup, FirstStartInAnEmptyFolderCreatesThreeEmptyFiles)
{
    TempDir dir;
    QStringList messages;
    EXPECT_EQ(runTolmarin(*qApp, dir.str(), [&](const QString& m) { messages << m; }, false), 0);
    EXPECT_TRUE(messages.isEmpty());
    for (const char* name : {"TOLM.LyS", "Branch.LyS", "Reason.LyS"})
        EXPECT_EQ(dir.read(name), "") << name;
}
