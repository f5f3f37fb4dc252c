#pragma once
// Saves through the real window, timed from the click until the list has
// taken the new line.

#include "DataSet.h"

#include <vector>

struct SaveResult {
    double medianMs = 0;
    double firstMs = 0; // the first Save builds the known-text index
};

// `saves` Saves into each folder, going to all folders in turn so that the
// disk's ups and downs over time fall on every size alike. Of the Saves,
// half add a new branch and half a new reason: the median Save writes two
// files.
std::vector<SaveResult> timeSaves(const std::vector<DataSet>& sets, int saves);
