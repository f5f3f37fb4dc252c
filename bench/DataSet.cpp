#include "DataSet.h"

#include <DataFiles.h>
#include <FileSystem.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Everyday words first, so that small vocabularies read naturally.
constexpr std::array<const char*, 12> kBranchWords = {"Head Office", "Main", "Zürich", "Malmö",
                                                      "Kraków", "North", "South", "Harbour",
                                                      "Airport", "Old Town", "Depot", "Annex"};
constexpr std::array<const char*, 12> kReasonWords = {"Audit", "Überprüfung", "Training", "Meeting",
                                                      "Inventory", "Repairs", "Handover", "Review",
                                                      "Visit", "Stocktake", "Interview", "Café"};

std::vector<std::string> vocabulary(const std::array<const char*, 12>& words, std::size_t count,
                                    const char* prefix)
{
    std::vector<std::string> items;
    items.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (i < words.size()) {
            items.emplace_back(words[i]);
        } else {
            char text[32];
            std::snprintf(text, sizeof text, "%s %06zu", prefix, i);
            items.emplace_back(text);
        }
    }
    return items;
}

std::size_t writeFile(const std::string& path, const std::string& bytes)
{
    // Synced, so that write-back of the new files does not run into the
    // measurements. Through the program's own file calls, which both
    // systems have.
    std::filesystem::remove(path);
    std::unique_ptr<logbook::File> file;
    bool created = false;
    bool written = logbook::platformFileSystem().open(path, logbook::Access::Append, file, created) == 0;
    for (std::size_t done = 0; written && done < bytes.size();) {
        std::size_t took = 0;
        written = file->append(bytes.data() + done, bytes.size() - done, took) == 0 && took > 0;
        done += took;
    }
    if (!written || file->sync() != 0 || file->close() != 0)
        throw std::runtime_error("cannot write " + path);
    return bytes.size();
}

std::string linesOf(const std::vector<std::string>& items)
{
    std::string bytes;
    for (const std::string& item : items)
        bytes += item + "\r\n";
    return bytes;
}

} // namespace

std::string DataSetSize::name() const
{
    // Appended piece by piece: GCC 12 warns, wrongly, of a huge memcpy in
    // a literal + std::to_string(...) at -O2 and above.
    std::string name = isHostile() ? "hostile-" : "e";
    if (isHostile())
        return name += std::to_string(singleLineBytes);
    name += std::to_string(entries);
    name += "-b";
    name += std::to_string(branches);
    name += "-r";
    return name += std::to_string(reasons);
}

DataSet createDataSet(const std::string& directory, DataSetSize size)
{
    std::filesystem::create_directories(directory);
    DataSet set{directory, size, vocabulary(kBranchWords, size.branches, "Branch"),
                vocabulary(kReasonWords, size.reasons, "Reason"), 0};

    std::string log;
    if (size.isHostile()) {
        const std::string entry = logbook::composeEntryLine("07 Mar 2016", "Main", "Audit");
        log.reserve(size.singleLineBytes + entry.size());
        while (log.size() < size.singleLineBytes)
            log += entry;
        log.resize(size.singleLineBytes);
    } else {
        std::mt19937 random(static_cast<unsigned>(size.entries * 31 + size.branches));
        log.reserve(size.entries * (logbook::kEntryLineWidth + 4));
        for (std::size_t i = 0; i < size.entries; ++i) {
            char date[16];
            std::snprintf(date, sizeof date, "%02u %s %u", static_cast<unsigned>(random() % 28 + 1),
                          kMonths[random() % 12], static_cast<unsigned>(2016 + random() % 5));
            // A log may hold texts that are no longer (or never were) in the lists.
            const std::string branch = set.branches.empty() ? "Main" : set.branches[random() % set.branches.size()];
            const std::string reason = set.reasons.empty() ? "Audit" : set.reasons[random() % set.reasons.size()];
            log += logbook::composeEntryLine(date, branch, reason);
            log += "\r\n";
        }
    }
    set.fileBytes += writeFile(logbook::dataFilePath(directory, logbook::kEntryLogName), log);
    set.fileBytes += writeFile(logbook::dataFilePath(directory, logbook::kBranchListName), linesOf(set.branches));
    set.fileBytes += writeFile(logbook::dataFilePath(directory, logbook::kReasonListName), linesOf(set.reasons));
    return set;
}
