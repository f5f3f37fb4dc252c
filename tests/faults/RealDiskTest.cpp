// The faults for real: a tiny tmpfs mounted over the data folder, filled
// until it is full, then remounted read-only. Needs the right to mount
// (root); elsewhere the test skips with a message.

#include <FaultyFileSystem.h>
#include <FileError.h>
#include <MemoryControls.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>

using namespace testing_support;

TEST(RealDisk, AFullAndARemountedReadOnlyDiskFailSavesCleanlyAndTheNextSaveSucceeds)
{
    TempDir dir;
    if (::mount("tolmarin-test", dir.str().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "Cannot mount a tmpfs here (" << std::strerror(errno) << "): the real disk test needs root.";
    const struct Unmount {
        std::string at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{dir.str()};
    const auto remount = [&](unsigned long flags) { return ::mount("", dir.str().c_str(), "", MS_REMOUNT | flags, ""); };
    // 30 bytes left in the log's last page: a write takes them, then the page
    // the rest needs cannot be had. The 30 bytes are taken back.
    const std::string log = std::string(4096 - 30 - 2, 'x') + "\r\n";
    dir.write("TOLM.LyS", log);
    {
        FaultyFileSystem files; // records only
        MemoryWindow w(dir.str(), files);
        w.form.Form_Load();
        for (std::ofstream filler(dir.path() / "filler"); filler.write(log.data(), 4096) && filler.flush();) {
        }
        for (const char* reason : {"No space left on device", "Read-only file system"}) {
            SCOPED_TRACE(reason);
            w.pickDate("07", "March", "2016");
            w.Text1.text = "Zürich";
            w.Text2.text = "Prüfung";
            files.calls.clear();
            w.form.Command1_Click();
            ASSERT_EQ(w.platform.errors.size(), 1u);
            EXPECT_NE(w.platform.errors[0].find(dir.file("TOLM.LyS") + ":\n" + reason + "."), std::string::npos);
            EXPECT_EQ(w.Text2.text, "Prüfung");
            EXPECT_EQ(dir.read("TOLM.LyS"), log);
            EXPECT_EQ(std::count_if(files.calls.begin(), files.calls.end(), [](const Call& c) { return c.step == Step::Append; }),
                      reason[0] == 'N' ? 2 : 0); // on the full disk the kernel took part of the line
            w.platform.errors.clear();
            std::error_code readOnly;
            std::filesystem::remove(dir.path() / "filler", readOnly);
            ASSERT_EQ(remount(MS_RDONLY), 0);
        }
        // A read-only data folder stops start-up too, and changes nothing.
        EXPECT_THROW(MemoryWindow(dir.str()).form.Form_Load(), logbook::FileError);
        ASSERT_EQ(remount(0), 0);
        w.form.Command1_Click();
        EXPECT_EQ(w.platform.errors, std::vector<std::string>{});
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), log + "07 Mar 2016  Zürich           Prüfung" + std::string(23, ' ') + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "Zürich\r\n");
}
