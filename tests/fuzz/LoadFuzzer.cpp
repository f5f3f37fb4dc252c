// Hostile data files: the input, split at the mark FF FE (never in UTF-8),
// becomes the entry log, the branch list and the reason list (a missing part,
// a missing file); Form_Load loads them and one entry is saved on top.
// Nothing may crash, hang or trip a sanitizer, and what the program promises
// about any file is checked on the way.

#include <LineFile.h>
#include <MemoryControls.h>
#include <TempDir.h>
#include <Text.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// The plainest reading of the line rules: CR LF, LF and CR each end a line;
// bytes after the last line end are a line too.
static std::vector<std::string_view> referenceLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            lines.push_back(bytes.substr(begin, i - begin));
            i += bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
            begin = i + 1;
        }
    }
    if (begin < bytes.size())
        lines.push_back(bytes.substr(begin));
    return lines;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const testing_support::TempDir dir;
    const char* const names[] = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};
    std::vector<std::string_view> parts;
    for (std::size_t begin = 0, mark = 0; mark != std::string_view::npos; begin = mark + 2) {
        mark = parts.size() < 2 ? input.find("\xFF\xFE", begin) : std::string_view::npos;
        parts.push_back(input.substr(begin, mark == std::string_view::npos ? mark : mark - begin));
    }
    for (std::size_t i = 0; i < 3; ++i) {
        std::filesystem::remove(dir.path() / names[i]);
        if (i < parts.size())
            dir.write(names[i], std::string(parts[i]));
    }

    testing_support::MemoryWindow w(dir.str());
    w.form.Form_Load(); // any content loads; a FileError here is a finding
    const std::vector<std::string_view> expected = referenceLines(parts[0]);
    FUZZ_CHECK(w.MLyS.items.size() == expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        FUZZ_CHECK(logbook::isValidUtf8(w.MLyS.items[i]));
        // A byte-order mark that starts a line is no part of its text.
        FUZZ_CHECK(w.MLyS.items[i] == logbook::withoutByteOrderMark(expected[i]) || !logbook::isValidUtf8(expected[i]));
    }

    // Save on top of whatever was there: the old bytes stay as they were and
    // the new entry is one whole line of its own.
    const std::string logBefore = dir.read(names[0]);
    w.pickDate("29", "February", "2020");
    w.Text1.text = w.Text1.items.empty() ? "Main" : w.Text1.items.front();
    w.Text2.text = w.Text2.items.empty() ? "Audit" : w.Text2.items.back();
    w.form.Text1_LostFocus(), w.form.Text2_LostFocus();
    if (w.Text1.text.empty() || w.Text2.text.empty())
        return 0; // a Save would be ignored
    w.form.Command1_Click();
    const std::string entry = w.MLyS.items.back() + "\r\n", logAfter = dir.read(names[0]);
    FUZZ_CHECK(w.platform.errors.empty() && w.MLyS.items.size() == expected.size() + 1);
    FUZZ_CHECK(logbook::characterCount(entry) == 62 && logAfter.starts_with(logBefore) && logAfter.ends_with(entry));
    const logbook::LineList reread = logbook::ReadLines(dir.file(names[0]));
    FUZZ_CHECK(reread.size() == expected.size() + 1 && reread.bytesAt(reread.size() - 1) == w.MLyS.items.back());
    return 0;
}
