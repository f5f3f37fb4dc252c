#pragma once
// The three operations on a data file. Each opens the file, does its work and
// closes it again before returning, so no file ever stays open. Failures throw
// FileError naming the file and the system's reason.

#include "FileSystem.h"
#include "LineList.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <string_view>

namespace logbook {

// Creates the file empty when it is missing, leaves it unchanged otherwise.
// Opens it for appending, so a file that may not be written fails here.
void EnsureFile(const std::string& path, FileSystem& files = platformFileSystem());

// The largest file ReadLines takes: on Linux the physical memory, since a
// mapped file must fit in it while its lines are found; on Windows, which
// copies it, a share of the memory.
std::uint64_t largestLoadableFile();

// The most lines a file may have. Both toolkits number rows with signed
// 32-bit integers; the rest up to 2^31-1 leaves room for a run's Saves.
inline constexpr std::size_t kMostLines = 2'000'000'000;
// Refuses the file at `path` when its `lines` are more than kMostLines, with
// the FileError that ReadLines throws.
void checkLineCount(const std::string& path, std::size_t lines);

// All lines of the file, each without its line end. A file larger than
// largestLoadableFile() is refused before any of it is read; one with more
// than kMostLines lines, or whose index (and where the file is copied its
// bytes) would take more than the memory set aside for the three loaded
// files together (memoryForFiles), once its lines are counted.
LineList ReadLines(const std::string& path, FileSystem& files = platformFileSystem());

// Told about every 50 ms while a read goes on, how many of the file's bytes
// are in; false gives it up.
using ReadWait = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// What ReadLines throws when its wait gave it up.
struct ReadAbandoned : std::exception {
    const char* what() const noexcept override { return "The read was given up"; }
};

// The same, read on a thread of its own (or taken from the read ahead) while
// this thread waits with `wait`. A read given up runs on by itself; `files`
// must outlive it.
LineList ReadLines(const std::string& path, FileSystem& files, const ReadWait& wait);

// Starts reading the file on a thread of its own, so that the reading overlaps
// what the program does meanwhile (the toolkit's own start). The next
// ReadLines of that path on the same file system takes the result; if this
// early read failed, that ReadLines reads again and reports what it finds.
// A read nobody takes never holds up the program's end.
void ReadLinesAhead(const std::string& path, FileSystem& files = platformFileSystem());

// How a Save waits while other programs hold its files' append locks. They
// hold one for a write and a sync; one held much longer is a stuck program or
// a stale lock on a network share, and rather than freeze the window, Save
// then fails and says so. One deadline serves all the files of a Save.
class LockWait {
public:
    explicit LockWait(std::chrono::steady_clock::duration most = std::chrono::seconds(5));
    virtual ~LockWait() = default;
    bool over() const;
    // Lets `interval` pass before the lock is tried again.
    virtual void pause(std::chrono::milliseconds interval);

private:
    std::chrono::steady_clock::time_point deadline_;
};

// Appends `text` and CR LF in one write and flushes it to stable storage
// before returning. If the file's last line lacks a line end, that line is
// ended first so the two records never run together (a last line ended by a
// lone CR gets its LF). Waits while another program holds the file's append
// lock, until `wait` is over (five seconds of its own), then fails. A failure throws FileError when
// the file is left as it was, durably: no partial line stays behind; and
// UncertainAppend when the record, whole or in part, may be stored (it could
// not be taken back, or it went without the lock, so that cutting it could
// cut another instance's line). Once the write began, running out of memory
// never throws std::bad_alloc for a record that may be stored.
void AppendLine(const std::string& path, std::string_view text, FileSystem& files, LockWait& wait);
void AppendLine(const std::string& path, std::string_view text, FileSystem& files = platformFileSystem());

} // namespace logbook
