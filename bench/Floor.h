#pragma once
// The floor for start-up: the cheapest way this machine has to make the
// three data files' bytes available and find every line end, with nothing
// else. Each way is timed in a fresh process, so memory comes new from the
// system; read_ms is the best of them.

#include "DataSet.h"

#include <array>
#include <string_view>

enum class FloorWay {
    HugeRead, // one read into a 2 MiB-aligned buffer advised to take huge pages
    Mapping,  // a private file mapping, populated when made
    OldRead,  // the former floor: one read into new[] memory, memchr for each LF
};
constexpr std::array<FloorWay, 3> kFloorWays = {FloorWay::HugeRead, FloorWay::Mapping, FloorWay::OldRead};

std::string_view floorWayName(FloorWay way);

// Whether transparent huge pages are on for memory that asks for them.
bool hugePagesOffered();

// Milliseconds for the three files of `set`; checks the line count.
double timeFloor(FloorWay way, const DataSet& set);

// The program's own line split (LineList) over bytes already in memory;
// `indexKb` gets the memory the three lists take beside the bytes.
double splitMegabytesPerSecond(const DataSet& set, int runs, double& indexKb);
