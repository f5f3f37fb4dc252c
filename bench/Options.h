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
    // The Windows benchmark: the tolmarin.exe to start, when not the build's own.
    std::string program;
    // The empty log first: memory growth, Save and exec_ms are measured against it.
    std::vector<DataSetSize> sizes;
};

// Throws std::runtime_error with the usage on a bad command line. Without
// --sizes, the folders are `fullSizes`, or `smokeSizes` with --smoke.
Options parseOptions(int argc, char** argv,
                     const char* fullSizes = "10000,100000,1000000,1000000:100000:100000,10000000,hostile",
                     const char* smokeSizes = "1000:20:30,1000:1000:1000,hostile:100000");
