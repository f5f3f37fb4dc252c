#pragma once
// The few calls the data files need from the operating system, implemented
// once per platform (FilePosix.cpp, FileWin32.cpp). LineFile.cpp builds
// EnsureFile, ReadLines and AppendLine on them; tests wrap them to make any
// call fail. Every call returns 0 or the system's error code: errno on POSIX,
// a Win32 error code on Windows.

#include "PageMemory.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace logbook {

// One open data file. Destroying it closes it, ignoring any error.
class File {
public:
    virtual ~File() = default;

    virtual int size(std::uint64_t& bytes) = 0;
    // One read at `offset`; `got` is 0 at or past the end of the file.
    virtual int readAt(std::uint64_t offset, char* buffer, std::size_t most, std::size_t& got) = 0;
    // The first `size` bytes of the file, mapped read-only, so that nothing
    // is copied; they stay readable after the file is closed. From
    // kPopulatedInSteps on their pages are read in as they are first read.
    // Where the system cannot map, it fails and the caller reads instead.
    virtual int map(std::uint64_t size, PageBytes& bytes) = 0;
    // One write at the end of the file, which may take fewer bytes than given.
    virtual int append(const char* data, std::size_t size, std::size_t& written) = 0;
    // Flushes the file's data to stable storage.
    virtual int sync() = 0;
    virtual int truncate(std::uint64_t size) = 0;
    // Takes the lock that keeps two appends to one file apart, without
    // waiting: kLockHeldError while another program holds it.
    virtual int tryLock() = 0;
    virtual void unlock() = 0;
    virtual int close() = 0;
};

enum class Access {
    Read,       // existing files only
    Append,     // created when missing
    ReadAppend, // created when missing; the last byte can be read and a failed append taken back
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Opens a regular file; anything else in its place is refused. `created`
    // tells whether this call made the file.
    virtual int open(const std::string& path, Access access, std::unique_ptr<File>& file, bool& created) = 0;
    // Flushes the folder's entries, so that a file made in it survives a power
    // cut. Comes after an append's write, so it reports every failure, memory
    // running out included, as an error and never throws.
    virtual int syncFolder(const std::string& folder) = 0;
};

// The operating system's own files.
FileSystem& platformFileSystem();

// The computer's physical memory; UINT64_MAX where it cannot be told.
std::uint64_t physicalMemory();

// The memory the loaded data files may take together: a share of the
// physical memory, and on Windows of what the process can address.
std::uint64_t memoryForFiles();

// The size from which a mapped file's pages are read in by steps.
inline constexpr std::uint64_t kPopulatedInSteps = 64 << 20;

// The system's codes for the failures the shared code tells apart: a write
// that takes no byte, and a lock that another program holds.
extern const int kDeviceFullError;
extern const int kLockHeldError;

} // namespace logbook
