// The same faults for real: a tiny tmpfs mounted over the data folder and
// filled until it is full, and a read-only mount. Needs the right to mount
// (root); elsewhere the tests skip with a message.

#include "FaultSeam.h"

#include <FileError.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <unistd.h>

using logbook::FileError;
using logbook::faults::Step;
using testing_support::FaultSeam;
using testing_support::MemoryWindow;
using testing_support::TempDir;
using Items = std::vector<std::string>;

namespace {

const std::string kEntry = "07 Mar 2016  Zürich           Prüfung" + std::string(23, ' ');
constexpr std::size_t kPage = 4096;

class RealDisk : public ::testing::Test {
protected:
    TempDir base;
    std::string dir = base.file("data");
    bool mounted = false;

    // A tmpfs of its own over `dir`; false with the reason when not permitted.
    bool mountTmpfs(const std::string& options, std::string& whyNot)
    {
        std::filesystem::create_directory(dir);
        if (::mount("tolmarin-test", dir.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            whyNot = std::strerror(errno);
            return false;
        }
        mounted = true;
        return true;
    }
    void remount(bool readOnly)
    {
        unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
        ASSERT_EQ(::mount("tolmarin-test", dir.c_str(), "tmpfs", flags, nullptr), 0) << std::strerror(errno);
    }
    void TearDown() override
    {
        if (mounted)
            ::umount2(dir.c_str(), MNT_DETACH);
    }

    std::string path(const std::string& name) const { return dir + "/" + name; }
    std::string read(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }

    // Writes a filler file until the file system refuses more.
    void fillUp()
    {
        int fd = ::open(path("filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        const std::string block(kPage, 'f');
        for (;;) {
            ssize_t n = ::write(fd, block.data(), block.size());
            if (n < 0) {
                EXPECT_EQ(errno, ENOSPC);
                break;
            }
        }
        ::close(fd);
    }
    void makeRoom() { std::filesystem::remove(path("filler")); }

    static void enter(MemoryWindow& w)
    {
        w.pickDate("07", "March", "2016");
        w.Text1.text = "Zürich";
        w.Text2.text = "Prüfung";
    }
};

#define MOUNT_OR_SKIP(options)                                                                         \
    do {                                                                                           \
        std::string whyNot;                                                                        \
        if (!mountTmpfs(options, whyNot))                                                          \
            GTEST_SKIP() << "Cannot mount a tmpfs here (" << whyNot                                \
                         << "): the real full-disk and read-only tests need root.";               \
    } while (false)

TEST_F(RealDisk, FullDiskAtSaveKeepsTheInputsAndTheNextSaveSucceeds)
{
    MOUNT_OR_SKIP("size=64k");
    MemoryWindow w(dir);
    w.form.Form_Load();
    fillUp();

    enter(w);
    w.form.Command1_Click();
    ASSERT_EQ(w.platform.errors.size(), 1u);
    EXPECT_NE(w.platform.errors[0].find(path("TOLM.LyS")), std::string::npos) << w.platform.errors[0];
    EXPECT_NE(w.platform.errors[0].find("No space left on device"), std::string::npos) << w.platform.errors[0];
    EXPECT_EQ(read("TOLM.LyS"), "");
    EXPECT_TRUE(w.MLyS.items.empty());
    EXPECT_EQ(w.Label1.text, "07 Mar 2016");
    EXPECT_EQ(w.Text1.text, "Zürich");
    EXPECT_EQ(w.Text2.text, "Prüfung");

    makeRoom();
    w.platform.errors.clear();
    w.form.Command1_Click();
    EXPECT_TRUE(w.platform.errors.empty());
    EXPECT_EQ(read("TOLM.LyS"), kEntry + "\r\n");
    EXPECT_EQ(read("Branch.LyS"), "Zürich\r\n");
    EXPECT_EQ(read("Reason.LyS"), "Prüfung\r\n");
}

TEST_F(RealDisk, LineCrossingIntoAPageThatCannotBeHadIsTakenBack)
{
    MOUNT_OR_SKIP("size=64k");
    // 30 bytes left in the log's last page: the line's first 30 bytes fit,
    // the rest needs a page the full disk does not have.
    std::string log;
    while (log.size() + 62 <= kPage - 30 - 36)
        log += "01 Jan 2020  Main             Audit" + std::string(25, ' ') + "\r\n";
    log += std::string(kPage - 30 - log.size() - 2, 'x') + "\r\n";
    ASSERT_EQ(log.size(), kPage - 30);
    write("TOLM.LyS", log);
    MemoryWindow w(dir);
    w.form.Form_Load();
    fillUp();

    enter(w);
    {
        FaultSeam seam; // records only
        w.form.Command1_Click();
        // The kernel took part of the line, then refused the rest.
        EXPECT_EQ(seam.count(Step::Write, path("TOLM.LyS")), 2u);
    }
    ASSERT_EQ(w.platform.errors.size(), 1u);
    EXPECT_NE(w.platform.errors[0].find("No space left on device"), std::string::npos) << w.platform.errors[0];
    EXPECT_EQ(read("TOLM.LyS"), log); // the 30 bytes are gone again
    EXPECT_EQ(w.Text2.text, "Prüfung");

    makeRoom();
    w.platform.errors.clear();
    w.form.Command1_Click();
    EXPECT_TRUE(w.platform.errors.empty());
    EXPECT_EQ(read("TOLM.LyS"), log + kEntry + "\r\n");
}

TEST_F(RealDisk, FullDiskAtTheBranchListKeepsTheEntry)
{
    MOUNT_OR_SKIP("size=64k");
    write("TOLM.LyS", "01 Jan 2020  Main             Audit" + std::string(25, ' ') + "\r\n");
    MemoryWindow w(dir);
    w.form.Form_Load(); // the empty list files own no page yet
    fillUp();

    enter(w);
    w.form.Command1_Click();
    ASSERT_EQ(w.platform.errors.size(), 1u);
    const std::string& message = w.platform.errors[0];
    EXPECT_NE(message.find("The entry was saved."), std::string::npos) << message;
    EXPECT_NE(message.find("branch list"), std::string::npos) << message;
    EXPECT_NE(message.find(path("Branch.LyS")), std::string::npos) << message;
    EXPECT_NE(message.find(path("Reason.LyS")), std::string::npos) << message;
    EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
    EXPECT_EQ(w.MLyS.items.back(), kEntry);
    EXPECT_TRUE(read("TOLM.LyS").ends_with(kEntry + "\r\n"));
    EXPECT_EQ(read("Branch.LyS"), "");
    EXPECT_EQ(read("Reason.LyS"), "");
    EXPECT_TRUE(w.Text1.items.empty());

    makeRoom();
    w.platform.errors.clear();
    enter(w);
    w.form.Command1_Click();
    EXPECT_TRUE(w.platform.errors.empty());
    EXPECT_EQ(read("Branch.LyS"), "Zürich\r\n");
    EXPECT_EQ(read("Reason.LyS"), "Prüfung\r\n");
}

TEST_F(RealDisk, NoRoomForANewFileAtStartUp)
{
    // Room for the folder and one file only.
    MOUNT_OR_SKIP("size=64k,nr_inodes=2");
    write("TOLM.LyS", "entry\r\n");
    MemoryWindow w(dir);
    try {
        w.form.Form_Load();
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path("Branch.LyS"));
        EXPECT_EQ(error.systemError(), ENOSPC);
        EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos);
    }
    EXPECT_EQ(read("TOLM.LyS"), "entry\r\n");
    EXPECT_FALSE(std::filesystem::exists(path("Branch.LyS")));
    EXPECT_FALSE(std::filesystem::exists(path("Reason.LyS")));
}

TEST_F(RealDisk, ReadOnlyFolderStopsStartUpAndChangesNothing)
{
    MOUNT_OR_SKIP("size=64k");
    write("TOLM.LyS", "entry\r\n");
    write("Branch.LyS", "Main\r\n");
    remount(true);
    MemoryWindow w(dir);
    try {
        w.form.Form_Load();
        FAIL() << "no error";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), path("TOLM.LyS"));
        EXPECT_EQ(error.systemError(), EROFS);
        EXPECT_NE(std::string(error.what()).find("Read-only file system"), std::string::npos);
    }
    EXPECT_TRUE(w.MLyS.items.empty());
    EXPECT_EQ(read("TOLM.LyS"), "entry\r\n");
    EXPECT_EQ(read("Branch.LyS"), "Main\r\n");
    EXPECT_FALSE(std::filesystem::exists(path("Reason.LyS")));

    // A first start on read-only media cannot create the files either.
    remount(false);
    std::filesystem::remove(path("TOLM.LyS"));
    remount(true);
    MemoryWindow first(dir);
    EXPECT_THROW(first.form.Form_Load(), FileError);
    EXPECT_FALSE(std::filesystem::exists(path("TOLM.LyS")));
}

TEST_F(RealDisk, FolderTurnedReadOnlyWhileRunning)
{
    MOUNT_OR_SKIP("size=64k");
    MemoryWindow w(dir);
    w.form.Form_Load();
    remount(true);

    enter(w);
    w.form.Command1_Click();
    ASSERT_EQ(w.platform.errors.size(), 1u);
    EXPECT_NE(w.platform.errors[0].find(path("TOLM.LyS")), std::string::npos) << w.platform.errors[0];
    EXPECT_NE(w.platform.errors[0].find("Read-only file system"), std::string::npos) << w.platform.errors[0];
    EXPECT_EQ(read("TOLM.LyS"), "");
    EXPECT_EQ(w.Text1.text, "Zürich");

    remount(false);
    w.platform.errors.clear();
    w.form.Command1_Click();
    EXPECT_TRUE(w.platform.errors.empty());
    EXPECT_EQ(read("TOLM.LyS"), kEntry + "\r\n");
}

} // namespace
