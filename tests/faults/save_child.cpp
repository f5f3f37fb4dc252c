// Saves entries through the real handlers, as a user pressing Save would,
// and prints each entry line once its Save has returned; for the crash and
// durability tests. Usage: save_child DATA_FOLDER TAG COUNT [remove], where
// COUNT 0 saves until killed and "remove" removes the files after start-up.

#include <FileError.h>
#include <MemoryControls.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 4)
        return std::fprintf(stderr, "usage: save_child DATA_FOLDER TAG COUNT [remove]\n"), 64;
    // Known branches, some wider than the field and some beyond ASCII.
    const char* const branches[] = {"Main", "Zürich", "Head Office", "Île-de-France", "Niederlassung Süd", "Москва"};
    const char* const months[] = {"January", "July", "December"};
    testing_support::MemoryWindow w(argv[1]);
    try {
        w.form.Form_Load();
    } catch (const logbook::FileError& error) {
        return std::fprintf(stderr, "start-up failed: %s\n", error.what()), 3;
    }
    for (const char* name : {"/TOLM.LyS", "/Branch.LyS", "/Reason.LyS"}) {
        if (argc > 4)
            std::filesystem::remove(std::string(argv[1]) + name);
    }
    for (long seq = 0, count = std::atol(argv[3]); count == 0 || seq < count; ++seq) {
        w.pickDate(std::to_string(seq % 19 + 10), months[seq % 3], std::to_string(2016 + seq % 5));
        // Every fourth branch is new, so the branch list grows too; every
        // reason is new and unique, so each Save can be found again.
        const std::string reason = argv[2] + ("." + std::to_string(seq));
        w.Text1.text = seq % 4 == 0 ? "n" + reason : branches[seq % 6];
        w.form.Text1_LostFocus();
        w.Text2.text = reason;
        w.form.Command1_Click();
        if (!w.platform.errors.empty())
            return std::fprintf(stderr, "save failed: %s\n", w.platform.errors[0].c_str()), 2;
        // One write per line: a pipe takes it whole or not at all.
        const std::string line = w.MLyS.items.back() + "\n";
        if (::write(STDOUT_FILENO, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            return 4;
    }
    return 0;
}
