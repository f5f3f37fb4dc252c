// Something other than a file where a data file belongs: a FIFO would block
// the program for good, a device like /dev/zero would never end. Either
// must fail with a message, at once. Each case runs in a child process with
// an alarm, so that a hang fails the test instead of stopping the suite.

#include <FileError.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using testing_support::MemoryWindow;
using testing_support::TempDir;

namespace {

// Runs `body` in a child for at most five seconds; its exit code, or -1
// when the child was stopped by the alarm or any other signal.
int runBounded(const std::function<int()>& body)
{
    pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

enum Result { Failed = 0, NoError = 1, WrongPath = 2 };

struct Intruder {
    const char* what;
    std::function<void(const std::string& path)> make;
};

const Intruder kIntruders[] = {
    {"FIFO", [](const std::string& path) { ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0); }},
    {"/dev/zero", [](const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }},
};

} // namespace

TEST(NotAFile, InPlaceOfADataFileStopsStartUpAtOnce)
{
    for (const Intruder& intruder : kIntruders) {
        for (const char* name : {"TOLM.LyS", "Reason.LyS"}) {
            SCOPED_TRACE(std::string(intruder.what) + " as " + name);
            TempDir dir;
            intruder.make(dir.file(name));
            const int result = runBounded([&] {
                MemoryWindow w(dir.str());
                try {
                    w.form.Form_Load();
                } catch (const logbook::FileError& error) {
                    return error.path() == dir.file(name) ? Failed : WrongPath;
                }
                return NoError;
            });
            EXPECT_EQ(result, Failed) << (result == -1 ? "hung" : "");
        }
    }
}

TEST(NotAFile, AppearingWhileRunningFailsTheSaveAndKeepsTheInputs)
{
    for (const Intruder& intruder : kIntruders) {
        SCOPED_TRACE(intruder.what);
        TempDir dir;
        const int result = runBounded([&] {
            MemoryWindow w(dir.str());
            w.form.Form_Load();
            std::filesystem::remove(dir.file("TOLM.LyS"));
            intruder.make(dir.file("TOLM.LyS"));
            w.pickDate("07", "March", "2016");
            w.Text1.text = "Main";
            w.Text2.text = "Audit";
            w.form.Command1_Click();
            const bool named = w.platform.errors.size() == 1
                            && w.platform.errors[0].find(dir.file("TOLM.LyS")) != std::string::npos;
            return named && w.Text1.text == "Main" && w.MLyS.items.empty() ? Failed : NoError;
        });
        EXPECT_EQ(result, Failed) << (result == -1 ? "hung" : "");
        EXPECT_EQ(std::filesystem::file_size(dir.file("Branch.LyS")), 0u);
    }
}
