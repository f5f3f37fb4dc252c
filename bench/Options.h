#pragma once
// The command line: which data folders to measure and how often.

#include "DataSet.h"

#include <string>
#include <vector>

struct Options {
    bool smoke = false;
    int runs = 5;
    int saves = 200;
    std::string baseDirectory;
    bool keep = false;
    // The empty log first: memory growth, Save and exec_ms are measured against it.
    std::vector<DataSetSize> sizes;
};

// Throws std::runtime_error with the usage on a bad command line.
Options parseOptions(int argc, char** argv);
