#pragma once
// Figures taken in fresh processes, the way a user starts the program:
// memory comes new from the system and nothing of an earlier run is reused.

#include "DataSet.h"
#include "Window.h"

#include <string>

struct RunResult {
    double ms = 0;
    long peakKb = 0; // VmHWM of the process
    long anonKb = 0; // RssAnon at the end: memory of its own, not a file's pages
    PaintTimes paint; // the startup job's
};

// Runs this program again as `tolmarin-bench --child JOB ...` for one figure
// over `set`. JOB is a floor way ("huge", "map", "old"), "startup" or
// "naive". The window jobs first open one window on `warmDirectory`, an
// empty folder, so that loading fonts and styles, which does not depend on
// the log, is not timed.
RunResult runInChild(const std::string& job, const DataSet& set, const std::string& warmDirectory);

// The child's side of runInChild; returns the exit status.
int runChild(int argc, char** argv);

// Puts a copy of the real program into the data folder, where it finds its
// data files.
void placeProgram(const DataSet& set);

// Milliseconds from starting that copy as a new process until its window's
// first paint is done, as it reports through TOLMARIN_FIRST_PAINT_FD.
double timeExec(const DataSet& set);
