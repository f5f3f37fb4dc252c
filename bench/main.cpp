// tolmarin-bench: how start-up and Save scale with the size of the log.
//
// For each data folder size it prints one JSON object on its own line:
//   read_ms           reading the three data files and finding their line ends
//                     (the floor no loader can beat)
//   startup_ms        creating the window HQ, Form_Load, show, first paint done
//   naive_startup_ms  the same with a QListWidget and one addItem per line
//   rss_growth_kb     peak resident memory of a start-up in a fresh process,
//                     above that of the empty log
//   file_kb           size of the three data files
//   save_ms           median of Saves through Command1_Click, each with its
//                     fdatasync; half with a new branch, half with a new reason
// Times are medians of several runs. A summary table with the target ratios
// goes to stderr.

#include "DataSet.h"
#include "NaiveWindow.h"

#include <DataFiles.h>
#include <FileError.h>
#include <HQ.h>
#include <LineListModel.h>
#include <ListBoxView.h>
#include <ClickableLabel.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void check(bool condition, const std::string& what)
{
    if (!condition)
        throw std::runtime_error("check failed: " + what);
}

struct Options {
    bool smoke = false;
    int runs = 5;
    int saves = 200;
    int memoryRuns = 3;
    std::string baseDirectory;
    bool keep = false;
    std::string childStartup; // hidden: one start-up, then print peak RSS
};

// ---- the floor: read every file whole and find its line ends --------------

std::size_t readAndCountLines(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) < 0)
        throw std::runtime_error("cannot read " + path);
    const auto size = static_cast<std::size_t>(info.st_size);
    auto bytes = std::make_unique_for_overwrite<char[]>(size + 1);
    std::size_t got = 0;
    for (ssize_t n; got < size && (n = ::read(fd, bytes.get() + got, size - got)) > 0;)
        got += static_cast<std::size_t>(n);
    ::close(fd);
    std::size_t lines = 0;
    const char* end = bytes.get() + got;
    for (const char* p = bytes.get(); p < end; ++lines) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        p = lf ? static_cast<const char*>(lf) + 1 : end;
    }
    return lines;
}

double timeRead(const DataSet& set)
{
    const auto start = Clock::now();
    std::size_t lines = 0;
    for (auto name : {logbook::kEntryLogName, logbook::kBranchListName, logbook::kReasonListName})
        lines += readAndCountLines(logbook::dataFilePath(set.directory, name));
    const double ms = msSince(start);
    check(lines == set.size.entries + set.size.branches + set.size.reasons, "line count of the floor read");
    return ms;
}

// ---- start-up until the first paint ----------------------------------------

class PaintProbe : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// Shows the window and returns once the list's first paint is over: the
// whole window is painted in the same pass.
void showAndWaitForPaint(QWidget* window, QWidget* list)
{
    PaintProbe probe;
    list->installEventFilter(&probe);
    window->show();
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!probe.painted) {
        QCoreApplication::processEvents();
        if (Clock::now() > deadline)
            throw std::runtime_error("the window was never painted");
    }
    list->removeEventFilter(&probe);
}

void dispose(std::unique_ptr<QWidget> window)
{
    window.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

std::unique_ptr<HQ> openWindow(const DataSet& set)
{
    auto window = std::make_unique<HQ>(set.directory);
    window->load();
    showAndWaitForPaint(window.get(), window->MLyS()->viewport());
    return window;
}

void checkLoaded(HQ& window, const DataSet& set)
{
    check(window.MLyS()->model()->rowCount() == static_cast<int>(set.size.entries), "entries shown");
    check(window.Text1()->count() == static_cast<int>(set.size.branches), "branches loaded");
    check(window.Text2()->count() == static_cast<int>(set.size.reasons), "reasons loaded");
}

double timeStartup(const DataSet& set)
{
    const auto start = Clock::now();
    std::unique_ptr<HQ> window = openWindow(set);
    const double ms = msSince(start);
    checkLoaded(*window, set);
    dispose(std::move(window));
    return ms;
}

double timeNaiveStartup(const DataSet& set)
{
    const auto start = Clock::now();
    auto window = std::make_unique<NaiveWindow>();
    window->load(set.directory);
    showAndWaitForPaint(window.get(), window->list()->viewport());
    const double ms = msSince(start);
    check(window->list()->count() == static_cast<int>(set.size.entries), "entries in the naive list");
    check(window->branches()->count() == static_cast<int>(set.size.branches), "branches in the naive combo");
    dispose(std::move(window));
    return ms;
}

// ---- peak memory of one start-up, each in a fresh process ------------------

long peakRssKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    throw std::runtime_error("no VmHWM in /proc/self/status");
}

long childPeakRssKb(const std::string& directory)
{
    int out[2];
    if (::pipe(out) < 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::execl("/proc/self/exe", "tolmarin-bench", "--child-startup", directory.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.empty())
        throw std::runtime_error("the start-up child for " + directory + " failed");
    return std::stol(text);
}

long medianChildPeakRssKb(const std::string& directory, int runs)
{
    std::vector<double> peaks;
    for (int i = 0; i < runs; ++i)
        peaks.push_back(static_cast<double>(childPeakRssKb(directory)));
    return static_cast<long>(median(peaks));
}

int runChild(const std::string& directory)
{
    auto window = std::make_unique<HQ>(directory);
    window->load();
    showAndWaitForPaint(window.get(), window->MLyS()->viewport());
    std::printf("%ld\n", peakRssKb());
    return 0;
}

// ---- Save ------------------------------------------------------------------

struct SaveResult {
    double medianMs = 0;
    double firstMs = 0;
};

std::size_t fileSize(const std::string& path) { return std::filesystem::file_size(path); }

SaveResult timeSaves(const DataSet& set, int saves)
{
    std::unique_ptr<HQ> window = openWindow(set);
    QStringList errors;
    window->setErrorReporter([&](const QString& message) { errors << message; });
    const std::string logPath = window->form().entryLogPath();
    const std::size_t logBefore = fileSize(logPath);

    // Four kinds in turn: both known (one in a different letter case), a new
    // branch, a new reason, both new. Each of branch and reason is new in
    // half of the saves, and the median falls among the two-file saves.
    const std::string tag = std::to_string(set.size.entries) + "-" + std::to_string(set.size.branches);
    std::vector<double> times;
    int newBranches = 0;
    int newReasons = 0;
    std::string lastLine;
    for (int i = 0; i < saves; ++i) {
        const int kind = i % 4;
        const bool newBranch = kind == 1 || kind == 3;
        const bool newReason = kind == 2 || kind == 3;
        const std::string branch = newBranch ? "NB " + std::to_string(i) + " " + tag
                                             : (i % 8 == 0 ? "HEAD OFFICE" : "Head Office");
        const std::string reason = newReason ? "NR " + std::to_string(i) + " " + tag : "Audit";
        window->Label1()->setText(QStringLiteral("07 Mar 2016"));
        window->Text1()->setEditText(QString::fromStdString(branch));
        window->Text2()->setEditText(QString::fromStdString(reason));

        const auto start = Clock::now();
        window->form().Command1_Click();
        QCoreApplication::processEvents(); // the list's own updates belong to the Save
        times.push_back(msSince(start));

        check(errors.isEmpty(), "Save reported: " + (errors.isEmpty() ? "" : errors.first().toStdString()));
        check(window->Label1()->text() == "DATE", "inputs reset after Save");
        newBranches += newBranch;
        newReasons += newReason;
        lastLine = logbook::composeEntryLine("07 Mar 2016", branch, reason);
    }
    // "Head Office" and "Audit" are new once when the vocabulary starts empty.
    const int learnedKnown = set.size.branches == 0 ? 1 : 0;
    const int learnedAudit = set.size.reasons == 0 ? 1 : 0;
    const int rows = window->MLyS()->model()->rowCount();
    check(rows == static_cast<int>(set.size.entries) + saves, "one new line per Save");
    check(window->MLyS()->model()->index(rows - 1, 0).data().toString().toStdString() == lastLine,
          "the last Save shown last");
    check(window->Text1()->count() == static_cast<int>(set.size.branches) + newBranches + learnedKnown,
          "new branches learned once");
    check(window->Text2()->count() == static_cast<int>(set.size.reasons) + newReasons + learnedAudit,
          "new reasons learned once");
    check(fileSize(logPath) == logBefore + static_cast<std::size_t>(saves) * (logbook::kEntryLineWidth + 2),
          "entry log grown by the saved lines");
    dispose(std::move(window));
    return {median(times), times.front()};
}

// ---- driver ------------------------------------------------------------------

struct Result {
    DataSetSize size;
    double readMs = 0;
    double startupMs = 0;
    double naiveMs = 0;
    long rssGrowthKb = 0;
    long fileKb = 0;
    SaveResult save;
};

std::string fileSystemOf(const std::string& path)
{
    struct statfs info {};
    if (::statfs(path.c_str(), &info) < 0)
        return "unknown";
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0x01021994: return "tmpfs (memory)";
    case 0xEF53: return "ext2/3/4 (disk)";
    case 0x58465342: return "xfs (disk)";
    case 0x9123683E: return "btrfs (disk)";
    case 0x794C7630: return "overlayfs";
    default: {
        char hex[32];
        std::snprintf(hex, sizeof hex, "file system 0x%lx", static_cast<unsigned long>(info.f_type));
        return hex;
    }
    }
}

Result measure(const DataSet& set, const Options& options, long emptyPeakKb)
{
    Result result;
    result.size = set.size;
    result.fileKb = static_cast<long>((set.fileBytes + 1023) / 1024);

    // One unmeasured pass of each, so every file is in the page cache and
    // the fonts are loaded before anything is timed.
    timeRead(set);
    timeStartup(set);

    std::vector<double> reads;
    std::vector<double> startups;
    for (int i = 0; i < options.runs; ++i) { // interleaved, so drift hits both alike
        reads.push_back(timeRead(set));
        startups.push_back(timeStartup(set));
    }
    std::vector<double> naives;
    for (int i = 0; i < options.runs; ++i)
        naives.push_back(timeNaiveStartup(set));
    result.readMs = median(reads);
    result.startupMs = median(startups);
    result.naiveMs = median(naives);
    result.rssGrowthKb = medianChildPeakRssKb(set.directory, options.memoryRuns) - emptyPeakKb;
    result.save = timeSaves(set, options.saves); // last: it makes the files grow
    return result;
}

void printJson(const Result& r)
{
    std::printf("{\"entries\": %zu, \"branches\": %zu, \"reasons\": %zu, \"read_ms\": %.2f, \"startup_ms\": %.2f, "
                "\"naive_startup_ms\": %.2f, \"rss_growth_kb\": %ld, \"file_kb\": %ld, \"save_ms\": %.2f}\n",
                r.size.entries, r.size.branches, r.size.reasons, r.readMs, r.startupMs, r.naiveMs, r.rssGrowthKb,
                r.fileKb, r.save.medianMs);
    std::fflush(stdout);
}

void printSummary(const std::vector<Result>& results, const Options& options, const std::string& where)
{
    std::fprintf(stderr, "\nData folders in %s, on %s; times are medians of %d runs, save_ms of %d Saves.\n\n",
                 where.c_str(), fileSystemOf(where).c_str(), options.runs, options.saves);
    std::fprintf(stderr, "| entries | branches | reasons | file_kb | read_ms | startup_ms | naive_startup_ms "
                         "| rss_growth_kb | save_ms |\n");
    std::fprintf(stderr, "|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Result& r : results)
        std::fprintf(stderr, "| %zu | %zu | %zu | %ld | %.1f | %.1f | %.1f | %ld | %.2f |\n", r.size.entries,
                     r.size.branches, r.size.reasons, r.fileKb, r.readMs, r.startupMs, r.naiveMs, r.rssGrowthKb,
                     r.save.medianMs);
    std::fprintf(stderr, "\nFirst Save of each folder (builds the known-text index): ");
    for (const Result& r : results)
        std::fprintf(stderr, "%s%.1f ms", &r == &results.front() ? "" : ", ", r.save.firstMs);
    std::fprintf(stderr, "\n");

    if (options.smoke)
        return;
    const Result* empty = nullptr;
    for (const Result& r : results)
        if (r.size.entries == 0)
            empty = &r;
    std::fprintf(stderr, "\nTargets at 1,000,000 entries:\n");
    for (const Result& r : results) {
        if (r.size.entries < 1'000'000)
            continue;
        auto line = [](const char* what, double value, const char* op, double limit) {
            const bool met = op[0] == '<' ? value <= limit : value >= limit;
            std::fprintf(stderr, "  %-44s %7.2f %s %5.2f  %s\n", what, value, op, limit, met ? "met" : "NOT MET");
        };
        std::fprintf(stderr, " %zu branches, %zu reasons:\n", r.size.branches, r.size.reasons);
        line("startup_ms / read_ms", r.startupMs / r.readMs, "<=", 1.5);
        line("naive_startup_ms / startup_ms", r.naiveMs / r.startupMs, ">=", 5);
        line("rss_growth_kb / file_kb", static_cast<double>(r.rssGrowthKb) / static_cast<double>(r.fileKb), "<=",
             1.2);
        if (empty)
            line("save_ms / save_ms at 0 entries", r.save.medianMs / empty->save.medianMs, "<=", 1.2);
    }
}

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::runtime_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--smoke") {
            options.smoke = true;
            options.runs = 1;
            options.saves = 8;
            options.memoryRuns = 1;
        } else if (arg == "--runs") {
            options.runs = std::max(1, std::stoi(value()));
        } else if (arg == "--saves") {
            options.saves = std::max(4, std::stoi(value()));
        } else if (arg == "--dir") {
            options.baseDirectory = value();
        } else if (arg == "--keep") {
            options.keep = true;
        } else if (arg == "--child-startup") {
            options.childStartup = value();
        } else {
            throw std::runtime_error("usage: tolmarin-bench [--smoke] [--runs N] [--saves N] [--dir FOLDER] [--keep]");
        }
    }
    return options;
}

std::string makeWorkDirectory(const Options& options)
{
    const std::filesystem::path base =
        options.baseDirectory.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(options.baseDirectory);
    std::filesystem::create_directories(base);
    std::string pattern = (base / "tolmarin-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a folder in " + base.string());
    return pattern;
}

} // namespace

int main(int argc, char** argv)
{
    // Offscreen always, so figures do not depend on a display being there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    QApplication app(argc, argv);
    if (!options.childStartup.empty())
        return runChild(options.childStartup);

    std::vector<DataSetSize> sizes;
    if (options.smoke)
        sizes = {{0, 0, 0}, {1000, 20, 30}, {1000, 1000, 1000}};
    else
        sizes = {{0, 0, 0}, {10'000, 100, 300}, {100'000, 100, 300}, {1'000'000, 100, 300},
                 {1'000'000, 100'000, 100'000}};

    const std::string work = makeWorkDirectory(options);
    int status = 0;
    try {
        std::vector<Result> results;
        long emptyPeakKb = 0;
        for (const DataSetSize& size : sizes) {
            const std::string name = "e" + std::to_string(size.entries) + "-b" + std::to_string(size.branches)
                                   + "-r" + std::to_string(size.reasons);
            const DataSet set = createDataSet(work + "/" + name, size);
            if (results.empty()) // the first size is the empty log
                emptyPeakKb = medianChildPeakRssKb(set.directory, options.memoryRuns);
            results.push_back(measure(set, options, emptyPeakKb));
            printJson(results.back());
        }
        printSummary(results, options, work);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tolmarin-bench: %s\n", error.what());
        status = 1;
    }
    if (!options.keep) {
        std::error_code ignored;
        std::filesystem::remove_all(work, ignored);
    }
    return status;
}
