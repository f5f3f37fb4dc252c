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
// Times are medians of several runs. Reading and start-up are timed in fresh
// processes, as a user starts the program: memory comes new from the system
// and nothing of an earlier run is reused. Each such process first opens one
// window on an empty folder, so that loading fonts and styles, which does
// not depend on the log, is not timed. A summary table with the target
// ratios goes to stderr.

#include "DataSet.h"
#include "NaiveWindow.h"

#include <DataFiles.h>
#include <FileError.h>
#include <HQ.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <array>
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
    std::string baseDirectory;
    bool keep = false;
    std::vector<DataSetSize> sizes;
};

// "1000000" or "1000000:100000:100000" (entries, branches, reasons).
DataSetSize parseSize(const std::string& text)
{
    DataSetSize size;
    const int fields = std::sscanf(text.c_str(), "%zu:%zu:%zu", &size.entries, &size.branches, &size.reasons);
    if (fields == 1) {
        size.branches = size.entries == 0 ? 0 : 100;
        size.reasons = size.entries == 0 ? 0 : 300;
    } else if (fields != 3) {
        throw std::runtime_error("not a size: " + text);
    }
    return size;
}

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

using qtui::HQ;

// One of the window's controls, by its name.
template<typename Widget> Widget* part(const HQ& window, const char* name)
{
    auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
    check(widget != nullptr, std::string("the window has ") + name);
    return widget;
}

std::unique_ptr<HQ> openWindow(const DataSet& set)
{
    auto window = std::make_unique<HQ>(set.directory);
    window->load();
    showAndWaitForPaint(window.get(), part<QListView>(*window, "MLyS")->viewport());
    return window;
}

void checkLoaded(const HQ& window, const DataSet& set)
{
    check(part<QListView>(window, "MLyS")->model()->rowCount() == static_cast<int>(set.size.entries), "entries shown");
    check(part<QComboBox>(window, "Text1")->count() == static_cast<int>(set.size.branches), "branches loaded");
    check(part<QComboBox>(window, "Text2")->count() == static_cast<int>(set.size.reasons), "reasons loaded");
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

// ---- one measured run in a fresh process ------------------------------------

long peakRssKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    throw std::runtime_error("no VmHWM in /proc/self/status");
}

struct RunResult {
    double ms = 0;
    long peakKb = 0;
};

enum class Kind { Read, Startup, Naive };
constexpr std::array<const char*, 3> kKindNames = {"read", "startup", "naive"};

// Runs `tolmarin-bench --child KIND ...` and reads back its two figures.
RunResult runInChild(Kind kind, const DataSet& set, const std::string& warmDirectory)
{
    const std::vector<std::string> args = {"tolmarin-bench", "--child", kKindNames[static_cast<int>(kind)],
                                           set.directory, warmDirectory, std::to_string(set.size.entries),
                                           std::to_string(set.size.branches), std::to_string(set.size.reasons)};
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

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
        ::execv("/proc/self/exe", argv.data());
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
    RunResult result;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0
        || std::sscanf(text.c_str(), "%lf %ld", &result.ms, &result.peakKb) != 2)
        throw std::runtime_error(std::string("the ") + kKindNames[static_cast<int>(kind)] + " run on "
                                 + set.directory + " failed");
    return result;
}

int runChild(int argc, char** argv)
{
    // --child KIND DIR WARMDIR ENTRIES BRANCHES REASONS
    if (argc != 8)
        return 2;
    const std::string kind = argv[2];
    DataSet set;
    set.directory = argv[3];
    const std::string warm = argv[4];
    set.size = {std::stoul(argv[5]), std::stoul(argv[6]), std::stoul(argv[7])};
    try {
        if (kind == "read") {
            const double ms = timeRead(set);
            std::printf("%.4f %ld\n", ms, peakRssKb());
            return 0;
        }
        QApplication app(argc, argv);
        DataSet empty;
        empty.directory = warm;
        const bool naive = kind == "naive";
        naive ? timeNaiveStartup(empty) : timeStartup(empty);
        const double ms = naive ? timeNaiveStartup(set) : timeStartup(set);
        std::printf("%.4f %ld\n", ms, peakRssKb());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tolmarin-bench: %s\n", error.what());
        return 1;
    }
}

// ---- Save ------------------------------------------------------------------

struct SaveResult {
    double medianMs = 0;
    double firstMs = 0;
};

std::size_t fileSize(const std::string& path) { return std::filesystem::file_size(path); }

// One window taking Saves, with what it takes to check them afterwards.
class SaveSession {
public:
    explicit SaveSession(const DataSet& set)
        : set_(set)
        , window_(openWindow(set))
        , logPath_(logbook::dataFilePath(set.directory, logbook::kEntryLogName))
        , logBefore_(fileSize(logPath_))
        , tag_(std::to_string(set.size.entries) + "-" + std::to_string(set.size.branches))
    {
        window_->setErrorReporter([this](const QString& message) { errors_ << message; });
    }

    // Four kinds in turn: both known (one in a different letter case), a new
    // branch, a new reason, both new. Each of branch and reason is new in
    // half of the saves, and the median falls among the two-file saves.
    void save(int i)
    {
        const int kind = i % 4;
        const bool newBranch = kind == 1 || kind == 3;
        const bool newReason = kind == 2 || kind == 3;
        const std::string branch = newBranch ? "NB " + std::to_string(i) + " " + tag_
                                             : (i % 8 == 0 ? "HEAD OFFICE" : "Head Office");
        const std::string reason = newReason ? "NR " + std::to_string(i) + " " + tag_ : "Audit";
        part<QLabel>(*window_, "Label1")->setText(QStringLiteral("07 Mar 2016"));
        part<QComboBox>(*window_, "Text1")->setEditText(QString::fromStdString(branch));
        part<QComboBox>(*window_, "Text2")->setEditText(QString::fromStdString(reason));
        QPushButton* save = part<QPushButton>(*window_, "Command1");
        QCoreApplication::processEvents(); // repaints for the typing are not the Save's

        const auto start = Clock::now();
        save->click();
        QCoreApplication::processEvents(); // the list's own updates belong to the Save
        times_.push_back(msSince(start));

        check(errors_.isEmpty(), "Save reported: " + (errors_.isEmpty() ? "" : errors_.first().toStdString()));
        check(part<QLabel>(*window_, "Label1")->text() == "DATE", "inputs reset after Save");
        newBranches_ += newBranch;
        newReasons_ += newReason;
        lastLine_ = logbook::composeEntryLine("07 Mar 2016", branch, reason);
    }

    SaveResult finish()
    {
        // "Head Office" and "Audit" are new once when the vocabulary starts empty.
        const int learnedKnown = set_.size.branches == 0 ? 1 : 0;
        const int learnedAudit = set_.size.reasons == 0 ? 1 : 0;
        const int saves = static_cast<int>(times_.size());
        const QAbstractItemModel* entries = part<QListView>(*window_, "MLyS")->model();
        const int rows = entries->rowCount();
        check(rows == static_cast<int>(set_.size.entries) + saves, "one new line per Save");
        check(entries->index(rows - 1, 0).data().toString().toStdString() == lastLine_,
              "the last Save shown last");
        const int branches = part<QComboBox>(*window_, "Text1")->count();
        const int reasons = part<QComboBox>(*window_, "Text2")->count();
        check(branches == static_cast<int>(set_.size.branches) + newBranches_ + learnedKnown,
              "new branches learned once");
        check(reasons == static_cast<int>(set_.size.reasons) + newReasons_ + learnedAudit,
              "new reasons learned once");
        check(fileSize(logPath_) == logBefore_ + static_cast<std::size_t>(saves) * (logbook::kEntryLineWidth + 2),
              "entry log grown by the saved lines");
        dispose(std::move(window_));
        return {median(times_), times_.front()};
    }

private:
    const DataSet& set_;
    std::unique_ptr<HQ> window_;
    std::string logPath_;
    std::size_t logBefore_;
    std::string tag_;
    QStringList errors_;
    std::vector<double> times_;
    int newBranches_ = 0;
    int newReasons_ = 0;
    std::string lastLine_;
};

// Saves go to all folders in turn, so that the disk's ups and downs over
// time fall on every size alike.
std::vector<SaveResult> timeSaves(const std::vector<DataSet>& sets, int saves)
{
    std::vector<std::unique_ptr<SaveSession>> sessions;
    for (const DataSet& set : sets)
        sessions.push_back(std::make_unique<SaveSession>(set));
    for (int i = 0; i < saves; ++i) {
        for (auto& session : sessions)
            session->save(i);
    }
    std::vector<SaveResult> results;
    for (auto& session : sessions)
        results.push_back(session->finish());
    return results;
}

// ---- driver ------------------------------------------------------------------

struct Result {
    DataSetSize size;
    double readMs = 0;
    double startupMs = 0;
    double naiveMs = 0;
    long peakKb = 0;
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

Result measure(const DataSet& set, const Options& options, const std::string& warmDirectory, long emptyPeakKb)
{
    Result result;
    result.size = set.size;
    result.fileKb = static_cast<long>((set.fileBytes + 1023) / 1024);

    runInChild(Kind::Read, set, warmDirectory); // brings every file into the page cache
    std::vector<double> reads;
    std::vector<double> startups;
    std::vector<double> naives;
    std::vector<double> peaks;
    for (int i = 0; i < options.runs; ++i) { // interleaved, so drift hits all alike
        reads.push_back(runInChild(Kind::Read, set, warmDirectory).ms);
        const RunResult startup = runInChild(Kind::Startup, set, warmDirectory);
        startups.push_back(startup.ms);
        peaks.push_back(static_cast<double>(startup.peakKb));
        naives.push_back(runInChild(Kind::Naive, set, warmDirectory).ms);
    }
    result.readMs = median(reads);
    result.startupMs = median(startups);
    result.naiveMs = median(naives);
    result.peakKb = static_cast<long>(median(peaks));
    result.rssGrowthKb = emptyPeakKb < 0 ? 0 : result.peakKb - emptyPeakKb;
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
        } else if (arg == "--runs") {
            options.runs = std::max(1, std::stoi(value()));
        } else if (arg == "--saves") {
            options.saves = std::max(4, std::stoi(value()));
        } else if (arg == "--dir") {
            options.baseDirectory = value();
        } else if (arg == "--sizes") {
            std::string list = value();
            options.sizes.clear();
            for (std::size_t start = 0; start <= list.size();) {
                const std::size_t comma = std::min(list.find(',', start), list.size());
                options.sizes.push_back(parseSize(list.substr(start, comma - start)));
                start = comma + 1;
            }
        } else if (arg == "--keep") {
            options.keep = true;
        } else {
            throw std::runtime_error("usage: tolmarin-bench [--smoke] [--runs N] [--saves N] [--dir FOLDER] [--keep]\n"
                                     "                      [--sizes ENTRIES[:BRANCHES:REASONS],...]");
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
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);

    Options options;
    std::string work;
    try {
        options = parseOptions(argc, argv);
        work = makeWorkDirectory(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const std::string runtime = work + "/runtime";
        ::mkdir(runtime.c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", runtime.c_str());
    }
    QApplication app(argc, argv);

    std::vector<DataSetSize> sizes = options.sizes;
    if (sizes.empty() && options.smoke)
        sizes = {{0, 0, 0}, {1000, 20, 30}, {1000, 1000, 1000}};
    else if (sizes.empty())
        sizes = {{0, 0, 0}, {10'000, 100, 300}, {100'000, 100, 300}, {1'000'000, 100, 300},
                 {1'000'000, 100'000, 100'000}};
    // The empty log comes first: memory growth and Save are measured against it.
    std::erase_if(sizes, [](const DataSetSize& size) { return size.entries + size.branches + size.reasons == 0; });
    sizes.insert(sizes.begin(), DataSetSize{});

    int status = 0;
    try {
        const std::string warm = work + "/warm-up";
        std::filesystem::create_directories(warm);
        std::vector<DataSet> sets;
        std::vector<Result> results;
        long emptyPeakKb = -1;
        for (const DataSetSize& size : sizes) {
            const std::string name = "e" + std::to_string(size.entries) + "-b" + std::to_string(size.branches)
                                   + "-r" + std::to_string(size.reasons);
            sets.push_back(createDataSet(work + "/" + name, size));
            results.push_back(measure(sets.back(), options, warm, emptyPeakKb));
            if (size.entries + size.branches + size.reasons == 0)
                emptyPeakKb = results.back().peakKb;
        }
        // Last: Saves make the files grow.
        const std::vector<SaveResult> saves = timeSaves(sets, options.saves);
        for (std::size_t i = 0; i < results.size(); ++i) {
            results[i].save = saves[i];
            printJson(results[i]);
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
