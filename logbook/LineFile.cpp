#include "LineFile.h"
#include "DataFiles.h"
#include "Encoding.h"
#include "FileError.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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

// Writes all of `data`, carrying on after a write that took only a part;
// `written` counts what reached the file, also when a later write fails.
int appendAll(File& file, std::string_view data, std::uint64_t& written)
{
    while (written < data.size()) {
        std::size_t took = 0;
        if (int error = file.append(data.data() + written, data.size() - written, took))
            return error;
        if (took == 0) // a device that takes nothing is full
            return kDeviceFullError;
        written += took;
    }
    return 0;
}

// Takes back the `written` bytes a failed append left at the end of a file
// that held `sizeBefore`, and makes that durable. Only bytes provably this
// append's own are cut: under the lock, or where the file is exactly that
// much longer; without the lock another instance's line may follow ours,
// and cutting would delete it. The cut gets a sync of its own, so that a
// power cut cannot bring the record back. False when the record, whole or
// in part, may still be there.
bool takeBack(File& file, bool locked, std::uint64_t sizeBefore, std::uint64_t written)
{
    if (written == 0)
        return true;
    std::uint64_t sizeNow = 0;
    if (!locked && (file.size(sizeNow) != 0 || sizeNow != sizeBefore + written))
        return false;
    return file.truncate(sizeBefore) == 0 && file.sync() == 0;
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

// The files whose name this run has made durable with a sync of their
// folder. A file only survives a power cut once its folder was synced after
// it was made. An append syncs the folder also when it is the run's first to
// the file or the file was empty: the file may have been made by a Save or a
// start-up whose folder sync failed or never came, or, where there are no
// locks, by another instance at this very moment.
struct SyncedFolders {
    std::mutex lock;
    std::set<std::string> paths;
};

SyncedFolders& syncedFolders()
{
    static SyncedFolders synced;
    return synced;
}

bool folderSynced(const std::string& path)
{
    SyncedFolders& synced = syncedFolders();
    const std::lock_guard hold(synced.lock);
    return synced.paths.contains(path);
}

int syncFolderOf(FileSystem& files, const std::string& path)
{
    const int error = files.syncFolder(parentDirectory(path));
    SyncedFolders& synced = syncedFolders();
    const std::lock_guard hold(synced.lock);
    if (error == 0)
        synced.paths.insert(path);
    else
        synced.paths.erase(path);
    return error;
}

// "5.0 GB", "250 MB": sizes as a file manager shows them.
std::string sizeText(std::uint64_t bytes)
{
    char text[32];
    if (bytes >= 1'000'000'000)
        std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
    else
        std::snprintf(text, sizeof text, "%llu MB", static_cast<unsigned long long>((bytes + 500'000) / 1'000'000));
    return text;
}

} // namespace

std::uint64_t largestLoadableFile()
{
    // Both toolkits number rows with signed 32-bit integers, and a file of
    // N bytes can hold N lines.
    return std::min<std::uint64_t>(memoryForFiles(), INT32_MAX);
}

void EnsureFile(const std::string& path, FileSystem& files)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::Append, created);
    if (created)
        check(syncFolderOf(files, path), Action::Write, path);
    check(file->close(), Action::Write, path);
}

namespace {

LineList readWhole(const std::string& path, FileSystem& files)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::Read, created);
    std::uint64_t sizeNow = 0;
    check(file->size(sizeNow), Action::Read, path);
    if (sizeNow > largestLoadableFile())
        throw FileError(Action::Read, path,
                        "It is too large to load (" + sizeText(sizeNow) + "); this computer loads files of up to "
                            + sizeText(largestLoadableFile()));
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

struct ReadsAhead {
    std::mutex lock;
    std::vector<std::pair<std::string, std::future<LineList>>> reads;
};

ReadsAhead& readsAhead()
{
    static ReadsAhead running;
    return running;
}

} // namespace

void ReadLinesAhead(const std::string& path)
{
    // The file system first: statics go in reverse order, so it outlives a
    // read still running when the program ends.
    FileSystem& files = platformFileSystem();
    ReadsAhead& running = readsAhead();
    const std::lock_guard hold(running.lock);
    try {
        running.reads.emplace_back(path, std::async(std::launch::async, [path, &files] { return readWhole(path, files); }));
    } catch (const std::system_error&) {
        // No thread to spare: ReadLines reads as usual.
    }
}

LineList ReadLines(const std::string& path, FileSystem& files)
{
    std::future<LineList> early;
    if (&files == &platformFileSystem()) {
        ReadsAhead& running = readsAhead();
        const std::lock_guard hold(running.lock);
        const auto read = std::find_if(running.reads.begin(), running.reads.end(),
                                       [&](const auto& ahead) { return ahead.first == path; });
        if (read != running.reads.end()) {
            early = std::move(read->second);
            running.reads.erase(read);
        }
    }
    if (early.valid()) {
        try {
            return early.get();
        } catch (const std::exception&) {
            // Read again: the failure reported is the one seen now.
        }
    }
    return readWhole(path, files);
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
    std::uint64_t written = 0;
    int error = appendAll(*file, record, written);
    if (error == 0)
        error = file->sync();
    if (error == 0 && (created || sizeBefore == 0 || !folderSynced(path)))
        error = syncFolderOf(files, path);
    if (error != 0) {
        // A failed save leaves no partial or unconfirmed line behind, or
        // says that it may have. Closing the file releases the lock.
        if (!takeBack(*file, locked, sizeBefore, written))
            throw UncertainAppend(Action::Write, path, error);
        throw FileError(Action::Write, path, error);
    }
    if (locked)
        file->unlock();
    // The line is on stable storage now. A failing close cannot undo that,
    // and reporting it would have the user save the entry a second time.
    (void)file->close();
}

} // namespace logbook
