// tolmarin-bench: how start-up and Save scale with the size of the log.
//
// For each data folder it prints one JSON object on its own line
// (docs/performance.md says what each key means) and then a table
// with the target ratios on stderr. The parts: Options (the command line),
// DataSet (the folders), Floor (the floor for start-up and the line split),
// FreshProcess (figures taken in new processes, the real program's among
// them), Window (the window in this process), Saves and Report.

#include "DataSet.h"
#include "Floor.h"
#include "FreshProcess.h"
#include "Measure.h"
#include "Options.h"
#include "Report.h"
#include "Saves.h"

#include <QApplication>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include <sys/stat.h>

namespace {

// Runs one job of a run. A job that fails once (the window over a hostile
// log crashing, say) is not tried again for that folder, and its figure
// stays out; the failure is reported and spoils the exit status, not the
// other figures.
class Jobs {
public:
    explicit Jobs(Result& result)
        : result_(result)
    {
    }

    template<typename Job> void run(const std::string& name, std::vector<double>& figures, Job job)
    {
        if (failed_.count(name))
            return;
        try {
            figures.push_back(job());
        } catch (const std::exception& error) {
            failed_.insert(name);
            result_.failures.push_back(name + ": " + error.what());
        }
    }

private:
    Result& result_;
    std::set<std::string> failed_;
};

double medianOrNone(const std::vector<double>& figures) { return figures.empty() ? NAN : median(figures); }

Result measure(const DataSet& set, const Options& options, const std::string& warmDirectory)
{
    Result result;
    result.size = set.size;
    result.fileKb = static_cast<long>((set.fileBytes + 1023) / 1024);

    // Brings every file into the page cache, and the program's copy.
    runInChild("old", set, warmDirectory);
    Jobs jobs(result);
    std::vector<double> ignored;
    jobs.run("exec", ignored, [&] { return timeExec(set); });
    const bool hugePages = hugePagesOffered();
    std::vector<std::vector<double>> floors(kFloorWays.size());
    std::vector<double> startups;
    std::vector<double> execs;
    std::vector<double> naives;
    std::vector<double> peaks;
    std::vector<double> anons;
    std::vector<double> paintTops, paintEnds;
    for (int i = 0; i < options.runs; ++i) { // interleaved, so drift hits all alike
        for (std::size_t way = 0; way < kFloorWays.size(); ++way) {
            const std::string name(floorWayName(kFloorWays[way]));
            if (kFloorWays[way] != FloorWay::HugeRead || hugePages)
                jobs.run(name, floors[way], [&] { return runInChild(name, set, warmDirectory).ms; });
        }
        jobs.run("startup", startups, [&] {
            const RunResult startup = runInChild("startup", set, warmDirectory);
            peaks.push_back(static_cast<double>(startup.peakKb));
            anons.push_back(static_cast<double>(startup.anonKb));
            paintTops.push_back(startup.paint.topMs);
            paintEnds.push_back(startup.paint.endMs);
            return startup.ms;
        });
        jobs.run("exec", execs, [&] { return timeExec(set); });
        // The plain list widget is not made for a line of many megabytes, nor
        // for ten million items (gigabytes of them).
        if (!set.size.isHostile() && set.size.entries <= 1'000'000)
            jobs.run("naive", naives, [&] { return runInChild("naive", set, warmDirectory).ms; });
    }
    for (std::size_t way = 0; way < kFloorWays.size(); ++way) {
        result.floorMs[way] = medianOrNone(floors[way]);
        if (kFloorWays[way] != FloorWay::OldRead && !(result.floorMs[way] >= result.readMs)) {
            result.readMs = result.floorMs[way];
            result.floorWay = kFloorWays[way];
        }
    }
    std::vector<double> split;
    jobs.run("split", split, [&] { return splitMegabytesPerSecond(set, options.runs, result.indexKb); });
    result.splitMbPerS = medianOrNone(split);
    result.startupMs = medianOrNone(startups);
    result.execMs = medianOrNone(execs);
    result.naiveMs = medianOrNone(naives);
    result.peakKb = medianOrNone(peaks);
    result.anonKb = medianOrNone(anons);
    result.paintTopMs = medianOrNone(paintTops);
    result.paintEndMs = medianOrNone(paintEnds);
    return result;
}

std::string makeWorkDirectory(const Options& options)
{
    const std::filesystem::path base = options.baseDirectory.empty() ? std::filesystem::temp_directory_path()
                                                                     : std::filesystem::path(options.baseDirectory);
    std::filesystem::create_directories(base);
    std::string pattern = (base / "tolmarin-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a folder in " + base.string());
    return pattern;
}

} // namespace

int main(int argc, char** argv)
{
    // Offscreen always, so figures do not depend on a display being there;
    // the program started for exec_ms inherits it.
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

    int status = 0;
    try {
        const std::string warm = work + "/warm-up";
        std::filesystem::create_directories(warm);
        std::vector<DataSet> sets;
        std::vector<Result> results;
        for (const DataSetSize& size : options.sizes) {
            sets.push_back(createDataSet(work + "/" + size.name(), size));
            placeProgram(sets.back());
            results.push_back(measure(sets.back(), options, warm));
            results.back().rssGrowthKb = results.back().peakKb - results.front().peakKb;
            results.back().rssAnonGrowthKb = results.back().anonKb - results.front().anonKb;
        }
        // Last: Saves make the files grow. The hostile log is there for
        // start-up alone.
        std::vector<DataSet> saved;
        for (const DataSet& set : sets) {
            if (!set.size.isHostile())
                saved.push_back(set);
        }
        const std::vector<SaveResult> saves = timeSaves(saved, options.saves);
        for (std::size_t i = 0, s = 0; i < results.size(); ++i) {
            if (!results[i].size.isHostile())
                results[i].save = saves[s++];
            printJson(results[i]);
        }
        printSummary(results, options, work);
        for (const Result& result : results) {
            for (const std::string& failure : result.failures) {
                std::fprintf(stderr, "tolmarin-bench: %s, %s\n", result.size.name().c_str(), failure.c_str());
                status = 1;
            }
        }
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
