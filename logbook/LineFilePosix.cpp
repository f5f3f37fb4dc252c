#include "LineFile.h"
#include "DataFiles.h"
#include "Encoding.h"
#include "Faults.h"
#include "FileError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logbook {

namespace {

using faults::Step;
using Action = FileError::Action;

// Each wrapper first asks the fault seam, then makes the real call.
bool injected(Step step, const std::string& path)
{
    if (int error = faults::check(step, path).error) {
        errno = error;
        return true;
    }
    return false;
}

int openFile(const std::string& path, int flags, Step step = Step::Open)
{
    if (injected(step, path))
        return -1;
    int fd;
    do {
        // O_NONBLOCK: a FIFO in a data file's place must not block the open.
        // Regular files ignore it.
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int closeFile(int fd, const std::string& path)
{
    int rc = ::close(fd);
    if (injected(Step::Close, path))
        return -1;
    // After EINTR the descriptor is gone on Linux; do not close it twice.
    return rc < 0 && errno != EINTR ? -1 : 0;
}

// Closes after a failure, keeping the errno of the failure.
void closeQuietly(int fd)
{
    int saved = errno;
    ::close(fd);
    errno = saved;
}

// Only a regular file can be a data file: a FIFO or a device in its place
// would block the program or never reach its end.
bool statRegularFile(int fd, const std::string& path, struct stat& info)
{
    if (injected(Step::Stat, path) || ::fstat(fd, &info) < 0)
        return false;
    if (!S_ISREG(info.st_mode)) {
        errno = EINVAL;
        return false;
    }
    return true;
}

// fsync of the folder, so a newly created file survives a power cut.
bool syncDirectoryOf(const std::string& path)
{
    std::string directory = parentDirectory(path);
    if (injected(Step::SyncDirectory, path))
        return false;
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int rc = ::fsync(fd);
    closeQuietly(fd);
    // Some file systems cannot sync a folder; that is no failure of ours.
    return rc == 0 || errno == EINVAL || errno == EROFS;
}

// Opens for appending, creating the file when missing. `created` tells
// whether this call made it.
int openForAppend(const std::string& path, int access, bool& created)
{
    created = false;
    int fd = openFile(path, access | O_APPEND);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    fd = openFile(path, access | O_APPEND | O_CREAT | O_EXCL, Step::Create);
    if (fd >= 0) {
        created = true;
        return fd;
    }
    if (errno == EEXIST) // another instance made it just now
        return openFile(path, access | O_APPEND);
    return -1;
}

// An advisory lock for the length of one append, so two instances (also on
// other machines sharing the folder) never interleave. Where the file system
// has no locks the append goes ahead unlocked.
void lockForAppend(int fd, const std::string& path)
{
    if (injected(Step::Lock, path))
        return;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    while (::fcntl(fd, F_SETLKW, &lock) < 0 && errno == EINTR) {
    }
}

bool writeAll(int fd, const std::string& path, const char* data, std::size_t size)
{
    while (size > 0) {
        faults::Action fault = faults::check(Step::Write, path);
        if (fault.error) {
            errno = fault.error;
            return false;
        }
        const std::size_t chunk = fault.limit(size);
        ssize_t written = chunk == 0 ? 0 : ::write(fd, data, chunk);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0) { // a device that takes nothing is full
            errno = ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// The separator a new record needs (see separatorAfter). A read that fails
// is a failed save: guessing could glue the new record onto an unended line.
bool separatorBefore(int fd, const std::string& path, off_t size, std::string& separator)
{
    separator.clear();
    if (size == 0)
        return true;
    if (injected(Step::Read, path))
        return false;
    char last = 0;
    ssize_t got;
    do {
        got = ::pread(fd, &last, 1, size - 1);
    } while (got < 0 && errno == EINTR);
    if (got != 1) {
        if (got == 0)
            errno = EIO; // shrunk under our lock: not a file we can trust
        return false;
    }
    separator = separatorAfter(last);
    return true;
}

// Cuts the file back to `size` after a failed append.
void takeBack(int fd, const std::string& path, off_t size)
{
    if (injected(Step::Truncate, path))
        return;
    while (::ftruncate(fd, size) < 0 && errno == EINTR) {
    }
}

} // namespace

void EnsureFile(const std::string& path)
{
    bool created = false;
    int fd = openForAppend(path, O_WRONLY, created);
    if (fd < 0)
        throw FileError(Action::Open, path, errno);
    struct stat info {};
    if (!statRegularFile(fd, path, info)) {
        closeQuietly(fd);
        throw FileError(Action::Open, path, errno);
    }
    if (created && !syncDirectoryOf(path)) {
        closeQuietly(fd);
        throw FileError(Action::Write, path, errno);
    }
    if (closeFile(fd, path) < 0)
        throw FileError(Action::Write, path, errno);
}

LineList ReadLines(const std::string& path)
{
    int fd = openFile(path, O_RDONLY);
    if (fd < 0)
        throw FileError(Action::Open, path, errno);
    struct stat info {};
    if (!statRegularFile(fd, path, info)) {
        closeQuietly(fd);
        throw FileError(Action::Read, path, errno);
    }
    // The file may grow while we read (another instance saving); read to its
    // end whatever size fstat gave.
    std::size_t capacity = static_cast<std::size_t>(info.st_size) + 1;
    auto bytes = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) {
            std::size_t grown = capacity * 2;
            auto bigger = std::make_unique_for_overwrite<char[]>(grown);
            std::copy(bytes.get(), bytes.get() + size, bigger.get());
            bytes = std::move(bigger);
            capacity = grown;
        }
        if (injected(Step::Read, path)) {
            closeQuietly(fd);
            throw FileError(Action::Read, path, errno);
        }
        ssize_t got = ::read(fd, bytes.get() + size, capacity - size);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            closeQuietly(fd);
            throw FileError(Action::Read, path, errno);
        }
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    if (closeFile(fd, path) < 0)
        throw FileError(Action::Read, path, errno);
    return LineList(std::move(bytes), size);
}

void AppendLine(const std::string& path, std::string_view text)
{
    bool created = false;
    // Read access too, to see whether the last line has its line end.
    int fd = openForAppend(path, O_RDWR, created);
    if (fd < 0)
        throw FileError(Action::Open, path, errno);
    lockForAppend(fd, path);

    struct stat info {};
    if (!statRegularFile(fd, path, info)) {
        closeQuietly(fd);
        throw FileError(Action::Write, path, errno);
    }
    const off_t sizeBefore = info.st_size;

    std::string record;
    if (!separatorBefore(fd, path, sizeBefore, record)) {
        closeQuietly(fd);
        throw FileError(Action::Read, path, errno);
    }
    record += fileBytesFromText(text);
    record += "\r\n";

    // A failed fdatasync is final: the kernel may already have dropped the
    // dirty pages, so a second call could report success for lost data.
    bool stored = writeAll(fd, path, record.data(), record.size())
               && !injected(Step::Sync, path) && ::fdatasync(fd) == 0
               && (!created || syncDirectoryOf(path));
    if (!stored) {
        // Take back whatever part of the record reached the file, so a
        // failed save leaves no partial or unconfirmed line behind.
        int error = errno;
        takeBack(fd, path, sizeBefore);
        ::close(fd);
        throw FileError(Action::Write, path, error);
    }
    // The line is on stable storage now. A failing close cannot undo that,
    // and reporting it would have the user save the entry a second time.
    (void)closeFile(fd, path);
}

} // namespace logbook
