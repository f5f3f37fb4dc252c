#include "LineFile.h"
#include "AllCores.h"
#include "DataFiles.h"
#include "Encoding.h"
#include "FileError.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <map>
#include <new>
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
// that held `sizeBefore`, and makes that durable. Only under the lock are
// they provably this append's own: without it another instance may append
// between any check of the size and the cut, and the cut would delete its
// saved line. The cut gets a sync of its own, so that a power cut cannot
// bring the record back. False when the record, whole or in part, may still
// be there.
bool takeBack(File& file, bool locked, std::uint64_t sizeBefore, std::uint64_t written)
{
    if (written == 0)
        return true;
    return locked && file.truncate(sizeBefore) == 0 && file.sync() == 0;
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
        throw FileError(Action::Write, path, "Another program changed it during the Save");
    return separatorAfter(last);
}

constexpr auto kLockRetryInterval = std::chrono::milliseconds(50);

// Whether the append lock was taken; where the file system has no locks the
// append goes ahead unlocked.
bool lockForAppend(File& file, const std::string& path, LockWait& wait)
{
    for (;;) {
        const int error = file.tryLock();
        if (error != kLockHeldError)
            return error == 0;
        if (wait.over())
            throw FileError(Action::Write, path, "It is locked by another program");
        wait.pause(kLockRetryInterval);
    }
}

// What this run knows of each file it appends to, made before an append's
// write and only set after it: nothing there allocates.
// - Whether its name is durable: a file only survives a power cut once its
//   folder was synced after it was made. An append syncs the folder also
//   when it is the run's first to the file or the file was empty: the file
//   may have been made by a Save or a start-up whose folder sync failed or
//   never came, or, where there are no locks, by another instance just now.
// - Whether its end is in doubt: an append that may be stored may also be
//   lost in part. A failed sync can leave its pages clean in the cache and
//   never written, and a later sync make only the larger size durable, over
//   zeros or stale bytes; the next append then ends that line first,
//   whatever the last byte in the cache says.
struct FileState {
    std::atomic<bool> folderSynced{false};
    std::atomic<bool> endInDoubt{false};
};

FileState& fileState(const std::string& path)
{
    static std::mutex lock;
    static std::map<std::string, FileState> states; // nodes stay where they are
    const std::lock_guard hold(lock);
    return states.try_emplace(path).first->second;
}

int syncFolder(FileSystem& files, const std::string& folder, std::atomic<bool>& synced)
{
    const int error = files.syncFolder(folder);
    synced = error == 0;
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
#ifdef _WIN32
    // Read into memory: the bytes must fit in it.
    return std::min<std::uint64_t>(memoryForFiles(), INT32_MAX);
#else
    // Mapped, so a file costs no memory of its own beside its small index,
    // which the memory share bounds. Its pages must still fit in
    // the memory while the lines are found: a larger file would be read from
    // the disk page by page, and opening it take minutes.
    return physicalMemory();
#endif
}

void checkLineCount(const std::string& path, std::size_t lines)
{
    if (lines > kMostLines)
        throw FileError(Action::Read, path,
                        "It has too many lines to load (" + std::to_string(lines)
                            + "); this program loads files of up to " + std::to_string(kMostLines) + " lines");
}

// The memory the loaded files take in all, beside what a mapping costs:
// their indexes, and where they are copied their bytes. All three files are
// read at the same time, so they share one budget; past it a file is
// refused, since on Linux memory taken past what there is does not fail but
// has the system end the program.
namespace {
std::atomic<std::uint64_t> memoryInUse{0};
} // namespace

MemoryShare::~MemoryShare()
{
    memoryInUse -= bytes;
}

namespace {

std::unique_ptr<MemoryShare> takeMemory(std::uint64_t bytes, const std::string& path)
{
    const std::uint64_t budget = memoryForFiles();
    std::uint64_t inUse = memoryInUse.load();
    do {
        if (bytes > budget || inUse > budget - bytes)
            throw FileError(Action::Read, path, "There is not enough memory to load it");
    } while (!memoryInUse.compare_exchange_weak(inUse, inUse + bytes));
    return std::unique_ptr<MemoryShare>(new MemoryShare{bytes});
}

// How far a read is, in bytes of the file.
struct ReadProgress {
    std::atomic<std::uint64_t> done{0}, total{0};
};

// Reads go in steps of this, so that how far they are can be told.
constexpr std::size_t kReadStep = 16 << 20;

// Reads the first `sizeNow` bytes of a large file in pieces, one a core:
// memory new to the process costs more to touch first than to copy into,
// and the cores share that. Returns how much of it was there: a file cut
// short while we read ends where the first piece found its end.
std::size_t readInPieces(File& file, const std::string& path, char* bytes, std::size_t sizeNow, unsigned threads,
                         ReadProgress& progress)
{
    struct Piece {
        std::size_t begin, end, got = 0;
    };
    std::vector<Piece> pieces;
    const std::size_t count = pieceCount(sizeNow, threads);
    for (std::size_t i = 0; i < count; ++i)
        pieces.push_back({sizeNow / count * i, i + 1 == count ? sizeNow : sizeNow / count * (i + 1)});
    onAllCores<Piece>(pieces, [&](Piece& piece) {
        for (std::size_t got = 1; got > 0 && piece.begin + piece.got < piece.end;) {
            const std::size_t at = piece.begin + piece.got;
            check(file.readAt(at, bytes + at, std::min(piece.end - at, kReadStep), got), Action::Read, path);
            piece.got += got;
            progress.done += got;
        }
    });
    for (const Piece& piece : pieces) {
        if (piece.begin + piece.got < piece.end)
            return piece.begin + piece.got;
    }
    return sizeNow;
}

// The file's bytes, copied into memory of its own, read to its end whatever
// size we were told: the file may grow while we read (another instance
// saving).
PageBytes copyWhole(File& file, const std::string& path, std::uint64_t sizeNow, std::size_t& size,
                    std::vector<std::unique_ptr<MemoryShare>>& shares, ReadProgress& progress, unsigned threads)
{
    std::size_t capacity = static_cast<std::size_t>(sizeNow) + 1;
    shares.push_back(takeMemory(capacity, path));
    PageBytes bytes = allocatePageBytes(capacity);
    if (pieceCount(capacity - 1, threads) > 1) {
        size = readInPieces(file, path, bytes.get(), capacity - 1, threads, progress);
        if (size < capacity - 1)
            return bytes;
    }
    for (;;) {
        if (size == capacity) {
            shares.push_back(takeMemory(capacity, path));
            PageBytes bigger = allocatePageBytes(capacity * 2);
            std::copy(bytes.get(), bytes.get() + size, bigger.get());
            bytes = std::move(bigger);
            capacity *= 2;
        }
        std::size_t got = 0;
        check(file.readAt(size, bytes.get() + size, std::min(capacity - size, kReadStep), got), Action::Read, path);
        if (got == 0)
            return bytes;
        size += got;
        progress.done = size;
    }
}

// Reads a large mapping's pages in a step at a time.
void populate(const char* bytes, std::size_t size, ReadProgress& progress)
{
    if (size < kPopulatedInSteps)
        return;
    for (std::size_t done = 0; done < size;) {
        const std::size_t step = std::min(size - done, kReadStep);
        populatePages(bytes + done, step);
        done += step;
        progress.done = done;
    }
}

// `threads`: how many may split the lines of a large file.
LineList readWhole(const std::string& path, FileSystem& files, unsigned threads, ReadProgress& progress)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::Read, created);
    std::uint64_t sizeNow = 0;
    check(file->size(sizeNow), Action::Read, path);
    if (sizeNow > largestLoadableFile())
        throw FileError(Action::Read, path,
                        "It is too large to load (" + sizeText(sizeNow) + "); this computer loads files of up to "
                            + sizeText(largestLoadableFile()));
    progress.total = sizeNow;
    std::vector<std::unique_ptr<MemoryShare>> shares;
    PageBytes bytes;
    std::size_t size = 0;
    // Mapped where the system can: nothing is copied. Where it cannot, the
    // file is read, and a read that fails says why.
    if (sizeNow > 0 && file->map(sizeNow, bytes) == 0) {
        size = static_cast<std::size_t>(sizeNow);
        populate(bytes.get(), size, progress);
    } else {
        bytes = copyWhole(*file, path, sizeNow, size, shares, progress, threads);
    }
    check(file->close(), Action::Read, path);

    LineIndex index = indexLines(bytes.get(), size, threads);
    checkLineCount(path, index.lines);
    shares.push_back(takeMemory(LineList::indexBytes(index), path));
    LineList lines(std::move(bytes), size, std::move(index));
    lines.keep(std::move(shares));
    return lines;
}

// A read on a thread of its own. The thread is joined, not detached: with
// the MinGW threads library under Wine, a wait for the future of a detached
// thread now and then never woke (about once in thousands of loads), which
// joined threads were never seen to do.
struct Reading {
    std::thread thread;
    std::future<LineList> result;
    std::shared_ptr<ReadProgress> progress = std::make_shared<ReadProgress>();

    Reading() = default;
    Reading(Reading&&) = default;
    Reading& operator=(Reading&&) = default;
    // Only a read left behind (its window closed, or the wait failed, as the
    // program ends) is let go.
    ~Reading()
    {
        if (thread.joinable())
            thread.detach();
    }
};

// Reads started early, until ReadLines takes their result. Never
// destroyed: a read that nobody takes (start-up failed on another file) must
// not hold up the program's end, however long it blocks; the system ends its
// thread with the program.
struct ReadsAhead {
    std::mutex lock;
    struct Read {
        std::string path;
        FileSystem* files;
        Reading reading;
    };
    std::vector<Read> reads;
};

ReadsAhead& readsAhead()
{
    static ReadsAhead& running = *new ReadsAhead;
    return running;
}

// Starts reading the file on a thread of its own; false when there is no
// thread to spare.
bool startRead(const std::string& path, FileSystem& files, unsigned threads, Reading& reading)
{
    try {
        std::promise<LineList> promise;
        reading.result = promise.get_future();
        reading.thread = std::thread([path, &files, threads, progress = reading.progress,
                                      promise = std::move(promise)]() mutable {
            try {
                promise.set_value(readWhole(path, files, threads, *progress));
            } catch (...) {
                promise.set_exception(std::current_exception());
            }
        });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

LineList waitFor(Reading& reading, const ReadWait& wait)
{
    while (wait && reading.result.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        if (!wait(reading.progress->done, reading.progress->total))
            throw ReadAbandoned();
    }
    reading.thread.join();
    return reading.result.get();
}

} // namespace

void ReadLinesAhead(const std::string& path, FileSystem& files)
{
    ReadsAhead& running = readsAhead();
    const std::lock_guard hold(running.lock);
    Reading reading;
    // Beside the toolkit's start, on all cores all the same: a large log's
    // one pass then ends sooner than the toolkit's start is held up by it.
    // With no thread to spare, ReadLines reads as usual.
    if (startRead(path, files, std::max(1u, std::thread::hardware_concurrency()), reading))
        running.reads.push_back({path, &files, std::move(reading)});
}

LineList ReadLines(const std::string& path, FileSystem& files)
{
    return ReadLines(path, files, ReadWait());
}

LineList ReadLines(const std::string& path, FileSystem& files, const ReadWait& wait)
{
    Reading early;
    {
        ReadsAhead& running = readsAhead();
        const std::lock_guard hold(running.lock);
        const auto read = std::find_if(running.reads.begin(), running.reads.end(),
                                       [&](const auto& ahead) { return ahead.path == path && ahead.files == &files; });
        if (read != running.reads.end()) {
            early = std::move(read->reading);
            running.reads.erase(read);
        }
    }
    if (early.result.valid()) {
        try {
            return waitFor(early, wait);
        } catch (const ReadAbandoned&) {
            throw;
        } catch (const std::exception&) {
            // Read again: the failure reported is the one seen now.
        }
    }
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    Reading reading;
    if (wait && startRead(path, files, threads, reading))
        return waitFor(reading, wait);
    return readWhole(path, files, threads, *reading.progress);
}

void EnsureFile(const std::string& path, FileSystem& files)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::Append, created);
    if (created)
        check(syncFolder(files, parentDirectory(path), fileState(path).folderSynced), Action::Write, path);
    check(file->close(), Action::Write, path);
}

LockWait::LockWait(std::chrono::steady_clock::duration most)
    : deadline_(std::chrono::steady_clock::now() + most)
{
}

bool LockWait::over() const
{
    return std::chrono::steady_clock::now() >= deadline_;
}

void LockWait::pause(std::chrono::milliseconds interval)
{
    std::this_thread::sleep_for(interval);
}

void AppendLine(const std::string& path, std::string_view text, FileSystem& files)
{
    LockWait wait;
    AppendLine(path, text, files, wait);
}

void AppendLine(const std::string& path, std::string_view text, FileSystem& files, LockWait& wait)
{
    bool created = false;
    std::unique_ptr<File> file = openFile(files, path, Access::ReadAppend, created);
    FileState& state = fileState(path);
    if (created) // a new name, not yet on disk
        state.folderSynced = false;
    const bool locked = lockForAppend(*file, path, wait);
    std::uint64_t sizeBefore = 0;
    check(file->size(sizeBefore), Action::Write, path);

    std::string record(separatorBefore(*file, path, sizeBefore));
    if (record.empty() && sizeBefore > 0 && state.endInDoubt)
        record = "\r\n";
    record += fileBytesFromText(text);
    record += "\r\n";
    // All that the rest needs is made before the write: once the record may
    // be on disk, memory running out must not make it a Save that failed,
    // which the user would repeat.
    const std::string folder = parentDirectory(path);
    const UncertainAppend uncertainWithoutReason(Action::Write, path, "There is not enough memory to tell why");

    // A failed sync is final, never retried: the system may already have
    // dropped the unwritten data, so a second sync could report success for
    // lost data.
    std::uint64_t written = 0;
    int error = appendAll(*file, record, written);
    if (error == 0)
        error = file->sync();
    if (error == 0 && (created || sizeBefore == 0 || !state.folderSynced))
        error = syncFolder(files, folder, state.folderSynced);
    if (error != 0) {
        // A failed save leaves no partial or unconfirmed line behind, or
        // says that it may have. Closing the file releases the lock.
        if (!takeBack(*file, locked, sizeBefore, written)) {
            state.endInDoubt = true;
            try {
                throw UncertainAppend(Action::Write, path, error);
            } catch (const std::bad_alloc&) {
                throw uncertainWithoutReason;
            }
        }
        throw FileError(Action::Write, path, error); // or bad_alloc: either way nothing is stored
    }
    state.endInDoubt = false;
    if (locked)
        file->unlock();
    // The line is on stable storage now. A failing close cannot undo that,
    // and reporting it would have the user save the entry a second time.
    (void)file->close();
}

} // namespace logbook
