// Saves entries through the real handlers, as a user pressing Save would,
// and reports each one on stdout only after its Save has returned. The crash
// and two-instance tests run it as a child process.
//
// Usage: save_child DATA_FOLDER TAG COUNT    (COUNT 0: until killed)
// Output, one line per returned Save: entry line TAB branch TAB reason.

#include <FileError.h>
#include <MemoryControls.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Known branches, some wider than the field and some beyond ASCII.
constexpr std::array<const char*, 6> kBranches = {
    "Main", "Zürich", "Head Office", "Île-de-France", "Niederlassung Süd", "Москва",
};
constexpr std::array<const char*, 12> kMonths = {
    "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December",
};

void writeAll(int fd, const std::string& text)
{
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n <= 0)
            std::_Exit(4);
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: save_child DATA_FOLDER TAG COUNT\n");
        return 64;
    }
    const std::string tag = argv[2];
    const long count = std::atol(argv[3]);

    testing_support::MemoryWindow w(argv[1]);
    try {
        w.form.Form_Load();
    } catch (const logbook::FileError& error) {
        std::fprintf(stderr, "start-up failed: %s\n", error.what());
        return 3;
    }
    for (long seq = 0; count == 0 || seq < count; ++seq) {
        const std::string day = (seq % 28 < 9 ? "0" : "") + std::to_string(seq % 28 + 1);
        w.pickDate(day, kMonths[seq % 12], std::to_string(2016 + seq % 5));
        // Every fourth branch is new, so the branch list grows too; every
        // reason is new and unique, so each Save can be found again.
        w.Text1.text = seq % 4 == 0 ? "n" + tag + "." + std::to_string(seq) : kBranches[seq % kBranches.size()];
        w.form.Text1_LostFocus();
        w.Text2.text = tag + "." + std::to_string(seq);
        w.form.Text2_LostFocus();
        const std::string branch = w.Text1.text;
        const std::string reason = w.Text2.text;
        w.form.Command1_Click();
        if (!w.platform.errors.empty()) {
            std::fprintf(stderr, "save failed: %s\n", w.platform.errors[0].c_str());
            return 2;
        }
        // One write per line: a pipe takes it whole or not at all.
        writeAll(STDOUT_FILENO, w.MLyS.items.back() + "\t" + branch + "\t" + reason + "\n");
    }
    return 0;
}
