// Hostile data files: the input's bytes become the three data files, which
// are loaded with Form_Load into in-memory controls; then one entry is saved
// on top. Nothing may crash, hang or trip a sanitizer, and the few things
// the program promises about any file are checked on the way.
//
// The input is split at the two-byte mark FF FE (never part of UTF-8) into
// the entry log, the branch list and the reason list; a file without a part
// does not exist before the load.

#include <FileError.h>
#include <LineFile.h>
#include <LineList.h>
#include <MemoryControls.h>
#include <Text.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

#define FUZZ_CHECK(condition)                                                                       \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);     \
            std::abort();                                                                           \
        }                                                                                           \
    } while (false)

const char* const kNames[] = {"TOLM.LyS", "Branch.LyS", "Reason.LyS"};

// The plainest reading of the line rules: CR LF, LF and CR each end a line;
// bytes after the last line end are a line too.
std::vector<std::string_view> referenceLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            lines.push_back(bytes.substr(begin, i - begin));
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                ++i;
            begin = i + 1;
        }
    }
    if (begin < bytes.size())
        lines.push_back(bytes.substr(begin));
    return lines;
}

void checkLineList(std::string_view bytes)
{
    const logbook::LineList list = logbook::LineList::fromBytes(bytes);
    const std::vector<std::string_view> expected = referenceLines(bytes);
    FUZZ_CHECK(list.size() == expected.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        FUZZ_CHECK(list.bytesAt(i) == expected[i]);
        const std::string text = list.textAt(i);
        FUZZ_CHECK(logbook::isValidUtf8(text));
        if (logbook::isValidUtf8(expected[i]))
            FUZZ_CHECK(text == expected[i]);
    }
}

std::string scratchFolder()
{
    // tmpfs where there is one: the Saves' fdatasync costs nothing there.
    std::filesystem::path base = std::filesystem::exists("/dev/shm") ? "/dev/shm"
                                                                      : std::filesystem::temp_directory_path();
    std::string pattern = (base / "tolmarin-fuzz-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    return pattern;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(static_cast<std::size_t>(in.tellg()), '\0');
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkLineList(input);

    std::vector<std::string_view> parts;
    for (std::size_t begin = 0;;) {
        std::size_t mark = parts.size() < 2 ? input.find("\xFF\xFE", begin) : std::string_view::npos;
        parts.push_back(input.substr(begin, mark == std::string_view::npos ? std::string_view::npos : mark - begin));
        if (mark == std::string_view::npos)
            break;
        begin = mark + 2;
    }

    static const std::string folder = scratchFolder();
    static const bool removeAtExit = [] {
        std::atexit([] { std::filesystem::remove_all(folder); });
        return true;
    }();
    (void)removeAtExit;
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string path = folder + "/" + kNames[i];
        std::filesystem::remove(path);
        if (i < parts.size())
            std::ofstream(path, std::ios::binary).write(parts[i].data(), static_cast<std::streamsize>(parts[i].size()));
    }

    testing_support::MemoryWindow w(folder);
    w.form.Form_Load(); // any content loads; a FileError here is a finding
    FUZZ_CHECK(w.MLyS.items.size() == (parts.empty() ? 0 : referenceLines(parts[0]).size()));
    for (const std::string& item : w.MLyS.items)
        FUZZ_CHECK(logbook::isValidUtf8(item));

    // Save on top of whatever was there: the old bytes stay as they were and
    // the new entry is one whole line of its own.
    const std::string logBefore = readAll(w.form.entryLogPath());
    const std::size_t linesBefore = w.MLyS.items.size();
    w.pickDate("29", "February", "2020");
    w.Text1.text = w.Text1.items.empty() ? "Main" : w.Text1.items.front();
    w.form.Text1_LostFocus();
    w.Text2.text = w.Text2.items.empty() ? "Audit" : w.Text2.items.back();
    w.form.Text2_LostFocus();
    const bool saves = !w.Text1.text.empty() && !w.Text2.text.empty(); // else silently ignored
    w.form.Command1_Click();
    if (saves) {
        FUZZ_CHECK(w.platform.errors.empty());
        FUZZ_CHECK(w.MLyS.items.size() == linesBefore + 1);
        const std::string& entry = w.MLyS.items.back();
        FUZZ_CHECK(logbook::characterCount(entry) == 60);
        const std::string logAfter = readAll(w.form.entryLogPath());
        FUZZ_CHECK(logAfter.starts_with(logBefore));
        FUZZ_CHECK(logAfter.ends_with(entry + "\r\n"));
        const logbook::LineList reread = logbook::ReadLines(w.form.entryLogPath());
        FUZZ_CHECK(reread.size() == linesBefore + 1);
        FUZZ_CHECK(reread.bytesAt(reread.size() - 1) == entry);
    }
    return 0;
}
