#include "Report.h"

#include <cstdio>

#include <sys/vfs.h>

namespace {

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

// A figure with `decimals` digits, or `none` where it was not taken.
std::string figure(double value, int decimals, const char* none)
{
    if (std::isnan(value))
        return none;
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

double floorMs(const Result& r, FloorWay way)
{
    for (std::size_t i = 0; i < kFloorWays.size(); ++i) {
        if (kFloorWays[i] == way)
            return r.floorMs[i];
    }
    return NAN;
}

double saveMs(const Result& r) { return r.save ? r.save->medianMs : NAN; }

std::string setName(const DataSetSize& size)
{
    if (size.isHostile())
        return "one line of " + std::to_string(size.singleLineBytes) + " bytes";
    return std::to_string(size.entries) + " / " + std::to_string(size.branches) + " / " + std::to_string(size.reasons);
}

void printTargetLine(const char* what, double value, const char* op, double limit)
{
    const bool met = op[0] == '<' ? value <= limit : value >= limit;
    std::fprintf(stderr, "  %-44s %7.2f %s %5.2f  %s\n", what, value, op, limit, met ? "met" : "NOT MET");
}

} // namespace

void printJson(const Result& r)
{
    std::printf("{\"set\": \"%s\", \"entries\": %zu, \"branches\": %zu, \"reasons\": %zu, \"file_kb\": %ld, "
                "\"read_ms\": %s, \"floor\": \"%s\", \"read_huge_ms\": %s, \"read_map_ms\": %s, "
                "\"old_read_ms\": %s, \"split_mb_s\": %s, \"startup_ms\": %s, \"exec_ms\": %s, "
                "\"naive_startup_ms\": %s, \"rss_growth_kb\": %s, \"rss_anon_growth_kb\": %s, \"index_kb\": %s, "
                "\"paint_top_ms\": %s, \"paint_end_ms\": %s, \"save_ms\": %s}\n",
                r.size.name().c_str(), r.size.entries, r.size.branches, r.size.reasons, r.fileKb,
                figure(r.readMs, 2, "null").c_str(), std::string(floorWayName(r.floorWay)).c_str(),
                figure(floorMs(r, FloorWay::HugeRead), 2, "null").c_str(),
                figure(floorMs(r, FloorWay::Mapping), 2, "null").c_str(),
                figure(floorMs(r, FloorWay::OldRead), 2, "null").c_str(), figure(r.splitMbPerS, 0, "null").c_str(),
                figure(r.startupMs, 2, "null").c_str(), figure(r.execMs, 2, "null").c_str(),
                figure(r.naiveMs, 2, "null").c_str(), figure(r.rssGrowthKb, 0, "null").c_str(),
                figure(r.rssAnonGrowthKb, 0, "null").c_str(), figure(r.indexKb, 1, "null").c_str(),
                figure(r.paintTopMs, 2, "null").c_str(), figure(r.paintEndMs, 2, "null").c_str(),
                figure(saveMs(r), 2, "null").c_str());
    std::fflush(stdout);
}

void printSummary(const std::vector<Result>& results, const Options& options, const std::string& where)
{
    std::fprintf(stderr, "\nData folders in %s, on %s; times are medians of %d runs, save_ms of %d Saves.\n\n",
                 where.c_str(), fileSystemOf(where).c_str(), options.runs, options.saves);
    std::fprintf(stderr, "| entries / branches / reasons | file_kb | read_ms | startup_ms | exec_ms "
                         "| naive_startup_ms | rss_growth_kb | rss_anon_growth_kb | save_ms | split_mb_s |\n");
    std::fprintf(stderr, "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const Result& r : results)
        std::fprintf(stderr, "| %s | %ld | %s | %s | %s | %s | %s | %s | %s | %s |\n", setName(r.size).c_str(), r.fileKb,
                     figure(r.readMs, 1, "-").c_str(), figure(r.startupMs, 1, "-").c_str(),
                     figure(r.execMs, 1, "-").c_str(), figure(r.naiveMs, 1, "-").c_str(),
                     figure(r.rssGrowthKb, 0, "-").c_str(), figure(r.rssAnonGrowthKb, 0, "-").c_str(),
                     figure(saveMs(r), 2, "-").c_str(), figure(r.splitMbPerS, 0, "-").c_str());

    std::fprintf(stderr, "\nThe floor's ways (read_ms is the best of huge and map):\n\n");
    std::fprintf(stderr, "| entries / branches / reasons | read_huge_ms | read_map_ms | old_read_ms |\n");
    std::fprintf(stderr, "|---|---:|---:|---:|\n");
    for (const Result& r : results)
        std::fprintf(stderr, "| %s | %s | %s | %s |\n", setName(r.size).c_str(),
                     figure(floorMs(r, FloorWay::HugeRead), 1, "-").c_str(),
                     figure(floorMs(r, FloorWay::Mapping), 1, "-").c_str(),
                     figure(floorMs(r, FloorWay::OldRead), 1, "-").c_str());

    std::fprintf(stderr, "\nThe index, and a row painted at the top and at the end of the entry list:\n\n");
    std::fprintf(stderr, "| entries / branches / reasons | index_kb | paint_top_ms | paint_end_ms |\n");
    std::fprintf(stderr, "|---|---:|---:|---:|\n");
    for (const Result& r : results)
        std::fprintf(stderr, "| %s | %s | %s | %s |\n", setName(r.size).c_str(), figure(r.indexKb, 1, "-").c_str(),
                     figure(r.paintTopMs, 2, "-").c_str(), figure(r.paintEndMs, 2, "-").c_str());

    std::fprintf(stderr, "\nFirst Save of each folder (builds the known-text index): ");
    for (const Result& r : results)
        std::fprintf(stderr, "%s%s ms", &r == &results.front() ? "" : ", ",
                     figure(r.save ? r.save->firstMs : NAN, 1, "-").c_str());
    std::fprintf(stderr, "\n");

    if (options.smoke)
        return;
    const Result& empty = results.front(); // always the empty log
    for (const Result& r : results) {
        if (r.size.isHostile()) {
            std::fprintf(stderr, "\nTarget for one line of %zu bytes:\n", r.size.singleLineBytes);
            printTargetLine("exec_ms / exec_ms at 0 entries", r.execMs / empty.execMs, "<=", 1.5);
            continue;
        }
        if (r.size.entries < 1'000'000)
            continue;
        std::fprintf(stderr, "\nTargets at %zu entries, %zu branches, %zu reasons:\n", r.size.entries,
                     r.size.branches, r.size.reasons);
        const bool huge = r.size.entries >= 10'000'000;
        printTargetLine("exec_ms / exec_ms at 0 entries", r.execMs / empty.execMs, "<=", huge ? 2 : 1.25);
        if (huge) // within 1 MiB + 0.002 x the file
            printTargetLine("rss_anon_growth_kb / (1024 + 0.002 file_kb)",
                            r.rssAnonGrowthKb / (1024 + 0.002 * static_cast<double>(r.fileKb)), "<=", 1);
        else
            printTargetLine("rss_anon_growth_kb / file_kb", r.rssAnonGrowthKb / static_cast<double>(r.fileKb), "<=", 0.1);
        printTargetLine("paint_end_ms / paint_top_ms", r.paintEndMs / r.paintTopMs, "<=", 1);
        printTargetLine("save_ms / save_ms at 0 entries", saveMs(r) / saveMs(empty), "<=", 1.2);
        if (!huge)
            printTargetLine("naive_startup_ms / startup_ms", r.naiveMs / r.startupMs, ">=", 5);
    }
}
