#pragma once
// The three operations on a data file. Each opens the file, does its work and
// closes it again before returning, so no file ever stays open. Failures throw
// FileError naming the file and the system's reason.

#include "FileSystem.h"
#include "LineList.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace logbook {

// Creates the file empty when it is missing, leaves it unchanged otherwise.
// Opens it for appending, so a file that may not be written fails here.
void EnsureFile(const std::string& path, FileSystem& files = platformFileSystem());

// The largest file ReadLines takes.
std::uint64_t largestLoadableFile();

// All lines of the file, each without its line end. A file larger than
// largestLoadableFile() is refused before any of it is read.
LineList ReadLines(const std::string& path, FileSystem& files = platformFileSystem());

// Starts reading the file on a thread of its own, so that the reading overlaps
// what the program does meanwhile (the toolkit's own start). The next
// ReadLines of that path on the platform's file system takes the result; if
// this early read failed, that ReadLines reads again and reports what it finds.
void ReadLinesAhead(const std::string& path);

// Appends `text` and CR LF in one write and flushes it to stable storage
// before returning. If the file's last line lacks a line end, that line is
// ended first so the two records never run together (a last line ended by a
// lone CR gets its LF). Waits a few seconds at most while another program
// holds the file's append lock, then fails. A failure throws FileError when
// the file is left as it was, durably: no partial line stays behind; and
// UncertainAppend when the record, whole or in part, may be stored (it could
// not be taken back, or without the lock it was not provably its own).
void AppendLine(const std::string& path, std::string_view text, FileSystem& files = platformFileSystem());

} // namespace logbook
