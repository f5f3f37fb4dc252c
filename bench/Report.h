#pragma once
// The figures: one JSON object a line on standard output, then a table and
// the target ratios on standard error.

#include "DataSet.h"
#include "Floor.h"
#include "Options.h"
#include "Saves.h"

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

// NaN where a figure was not taken.
struct Result {
    DataSetSize size;
    long fileKb = 0;
    double readMs = NAN; // the best way in floorMs but the old one
    FloorWay floorWay = FloorWay::Mapping;
    std::array<double, kFloorWays.size()> floorMs{NAN, NAN, NAN}; // in the order of kFloorWays
    double splitMbPerS = NAN;
    double startupMs = NAN;
    double execMs = NAN;
    double naiveMs = NAN;
    double peakKb = NAN;
    double rssGrowthKb = NAN;
    double anonKb = NAN;
    double rssAnonGrowthKb = NAN;
    double indexKb = NAN;
    double paintTopMs = NAN;
    double paintEndMs = NAN;
    std::optional<SaveResult> save;
    std::vector<std::string> failures; // "JOB: what went wrong"
};

void printJson(const Result& result);
void printSummary(const std::vector<Result>& results, const Options& options, const std::string& where);
