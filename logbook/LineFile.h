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

// The largest file ReadLines takes: on Linux the address space, since a
// file is mapped; on Windows, which copies it, a share of the memory.
std::uint64_t largestLoadableFile();

// The most lines a file may have. Both toolkits number rows with signed
// 32-bit integers; the rest up to 2^31-1 leaves room for a run's Saves.
inline constexpr std::size_t kMostLines = 2'000'000'000;

// All lines of the file, each without its line end. A file larger than
// largestLoadableFile() is refused before any of it is read; one with more
// than kMostLines lines, or whose offsets (4 bytes a line, and where the
// file is copied its bytes) would take more than the memory set aside for
// the three loaded files together (memoryForFiles), before they are stored.
LineList ReadLines(const std::string& path, FileSystem& files = platformFileSystem());

// Starts reading the file on a thread of its own, so that the reading overlaps
// what the program does meanwhile (the toolkit's own start). The next
// ReadLines of that path on the same file system takes the result; if this
// early read failed, that ReadLines reads again and reports what it finds.
// A read nobody takes never holds up the program's end.
void ReadLinesAhead(const std::string& path, FileSystem& files = platformFileSystem());

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
