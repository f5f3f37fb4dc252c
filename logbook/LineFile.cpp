#include "LineFile.h"
#include "DataFiles.h"
#include "Encoding.h"
#include "FileError.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace logbook {

namespace {

using Action = FileError::Action;

void check(int error, Action action, const std::string& path)
{
    if (error != 0)
        throw FileError(action, path, error);
}

std::unique_ptr<File> openFile(FileSystem& files, const std::string& path, Access access, bool& created)
{
    std::unique_ptr<File> file;
    created = false;
    check(files.open(path, access, file, created), Action::Open, path);
    return file;
}

// Writes all of `data`, carrying on after a write that took only a part.
int appendAll(File& file, std::string_view data)
{
    while (!data.empty()) {
        std::size_t written = 0;
        if (int error = file.append(data.data(), data.size(), written))
            return error;
        if (written == 0) // a device that takes nothing is full
            return kDeviceFullError;
        data.remove_prefix(written);
    }
    return 0;
}

// The separator a new record needs (see separatorAfter). A read that fails
// is a failed save: guessing could glue the new record onto an unended line.
std::string_view separatorBefore(File& file, const std::string& path, std::uint64_t size)
{
    if (size == 0)
        return {};
    char last = 0;
    std::size_t got = 0;
    check(file.readAt(size - 1, &last, 1, got), Action::Read, path);
    if (got != 1) // shrunk under our lock: not a file we can trust
        throw FileError(Action::Read, path, kFileShrankError);
    return separatorAfter(last);
}

// Another instance holds the append lock for one write and sync. A lock held
// much longer is a stuck program or a stale lock on a network share: rather
// than freeze the window, Save then fails and says so.
constexpr auto kLockWait = std::chrono::seconds(5);
constexpr auto kLockRetryInterval = std::chrono::milliseconds(50);

// Whether the append lock was taken; where the file system has no locks the
// append goes ahead unlocked.
bool lockForAppend(File& file, const std::string& path)
{
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        const int error = file.tryLock();
        if (error != kLockHeldError)
            return error == 0;
        if (std::chrono::steady_clock::now() >= deadline)
            throw FileError(Action::Write, path, "It is locked by another program");
        std::this_thread::sleep_for(kLockRetryInterval);
    }
}

} // namespace

void EnsureFile(const std::string& path, FileSystem& files)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::Append, created);
    if (created)
        check(files.syncFolder(parentDirectory(path)), Action::Write, path);
    check(file->close(), Action::Write, path);
}

LineList ReadLines(const std::string& path, FileSystem& files)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::Read, created);
    std::uint64_t sizeNow = 0;
    check(file->size(sizeNow), Action::Read, path);
    // The file may grow while we read (another instance saving); read to its
    // end whatever size we were told.
    std::size_t capacity = static_cast<std::size_t>(sizeNow) + 1;
    PageBytes bytes = allocatePageBytes(capacity);
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) {
            std::size_t grown = capacity * 2;
            PageBytes bigger = allocatePageBytes(grown);
            std::copy(bytes.get(), bytes.get() + size, bigger.get());
            bytes = std::move(bigger);
            capacity = grown;
        }
        std::size_t got = 0;
        check(file->read(bytes.get() + size, capacity - size, got), Action::Read, path);
        if (got == 0)
            break;
        size += got;
    }
    check(file->close(), Action::Read, path);
    return LineList(std::move(bytes), size);
}

void AppendLine(const std::string& path, std::string_view text, FileSystem& files)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::ReadAppend, created);
    const bool locked = lockForAppend(*file, path);
    std::uint64_t sizeBefore = 0;
    check(file->size(sizeBefore), Action::Write, path);

    std::string record(separatorBefore(*file, path, sizeBefore));
    record += fileBytesFromText(text);
    record += "\r\n";

    // A failed sync is final, never retried: the system may already have
    // dropped the unwritten data, so a second sync could report success for
    // lost data.
    int error = appendAll(*file, record);
    if (error == 0)
        error = file->sync();
    if (error == 0 && created)
        error = files.syncFolder(parentDirectory(path));
    if (error != 0) {
        // Take back whatever part of the record reached the file, so a
        // failed save leaves no partial or unconfirmed line behind. Closing
        // the file releases the lock.
        (void)file->truncate(sizeBefore);
        throw FileError(Action::Write, path, error);
    }
    if (locked)
        file->unlock();
    // The line is on stable storage now. A failing close cannot undo that,
    // and reporting it would have the user save the entry a second time.
    (void)file->close();
}

} // namespace logbook
