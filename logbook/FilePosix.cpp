#include "FileSystem.h"
#include "TruncationGuard.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace logbook {

const int kDeviceFullError = ENOSPC;
const int kLockHeldError = EAGAIN;

namespace {

void unmapGuarded(void* start, std::size_t length) noexcept
{
    unguardMapping(start);
    ::munmap(start, length);
}

// Runs a read or write call again while a signal interrupts it.
template<typename Call> int retried(std::size_t& done, Call call)
{
    for (;;) {
        const ssize_t n = call();
        if (n >= 0) {
            done = static_cast<std::size_t>(n);
            return 0;
        }
        if (errno != EINTR)
            return errno;
    }
}

class PosixFile final : public File {
public:
    explicit PosixFile(int fd)
        : fd_(fd)
    {
    }
    ~PosixFile() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int size(std::uint64_t& bytes) override
    {
        struct stat info {};
        if (::fstat(fd_, &info) < 0)
            return errno;
        bytes = static_cast<std::uint64_t>(info.st_size);
        return 0;
    }
    int readAt(std::uint64_t offset, char* buffer, std::size_t most, std::size_t& got) override
    {
        return retried(got, [&] { return ::pread(fd_, buffer, most, static_cast<off_t>(offset)); });
    }
    int map(std::uint64_t size, PageBytes& bytes) override
    {
        if (size == 0 || size > SIZE_MAX)
            return EINVAL;
        // Populated: the pages are found in the page cache at once rather
        // than one fault at a time as the lines are split; a large file by
        // the reader, a step at a time, so that it can tell how far it is.
        // Shared, though never written: only a shared mapping takes the page
        // cache's large blocks whole (2 MiB at a time), where a private one
        // is set up, and then first touched, 4 KiB at a time.
        const int populate = size < kPopulatedInSteps ? MAP_POPULATE : 0;
        void* start = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_SHARED | populate, fd_, 0);
        if (start == MAP_FAILED)
            return errno;
        if (!guardMapping(start, static_cast<std::size_t>(size))) {
            ::munmap(start, static_cast<std::size_t>(size));
            return ENOMEM;
        }
        bytes = PageBytes(static_cast<char*>(start), PagesDeleter{static_cast<std::size_t>(size), unmapGuarded});
        return 0;
    }
    int append(const char* data, std::size_t size, std::size_t& written) override
    {
        return retried(written, [&] { return ::write(fd_, data, size); });
    }
    int sync() override { return ::fdatasync(fd_) == 0 ? 0 : errno; }
    int truncate(std::uint64_t size) override
    {
        while (::ftruncate(fd_, static_cast<off_t>(size)) < 0) {
            if (errno != EINTR)
                return errno;
        }
        return 0;
    }
    // An advisory lock on the whole file, so two instances (also on other
    // machines sharing the folder) never interleave.
    int tryLock() override
    {
        const int error = lockWhole(F_WRLCK, F_SETLK);
        return error == EACCES ? kLockHeldError : error; // systems differ in which they report
    }
    void unlock() override { lockWhole(F_UNLCK, F_SETLK); }
    int close() override
    {
        const int rc = ::close(fd_);
        fd_ = -1;
        // After EINTR the descriptor is gone on Linux; it is not closed twice.
        return rc < 0 && errno != EINTR ? errno : 0;
    }

private:
    int lockWhole(short type, int command)
    {
        struct flock whole {};
        whole.l_type = type;
        whole.l_whence = SEEK_SET;
        while (::fcntl(fd_, command, &whole) < 0) {
            if (errno != EINTR)
                return errno;
        }
        return 0;
    }

    int fd_;
};

int openDescriptor(const std::string& path, int flags)
{
    int fd;
    do {
        // O_NONBLOCK: a FIFO in a data file's place must not block the open.
        // Regular files ignore it.
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

class PosixFileSystem final : public FileSystem {
public:
    int open(const std::string& path, Access access, std::unique_ptr<File>& file, bool& created) override
    {
        const int flags = access == Access::Read ? O_RDONLY : (access == Access::Append ? O_WRONLY : O_RDWR) | O_APPEND;
        created = false;
        int fd = openDescriptor(path, flags);
        if (fd < 0 && errno == ENOENT && access != Access::Read) {
            fd = openDescriptor(path, flags | O_CREAT | O_EXCL);
            created = fd >= 0;
            if (fd < 0 && errno == EEXIST) // another instance made it just now
                fd = openDescriptor(path, flags);
        }
        if (fd < 0)
            return errno;
        auto opened = std::make_unique<PosixFile>(fd);
        // Only a regular file can be a data file: a FIFO or a device in its
        // place would block the program or never reach its end.
        struct stat info {};
        if (::fstat(fd, &info) < 0)
            return errno;
        if (!S_ISREG(info.st_mode))
            return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        file = std::move(opened);
        return 0;
    }

    int syncFolder(const std::string& folder) override
    {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return errno;
        const int error = ::fsync(fd) == 0 ? 0 : errno;
        ::close(fd);
        // Some file systems cannot sync a folder; that is no failure of ours.
        return error == EINVAL || error == EROFS ? 0 : error;
    }
};

} // namespace

std::uint64_t physicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t memoryForFiles()
{
    const std::uint64_t memory = physicalMemory();
    return memory == UINT64_MAX ? memory : memory / 8; // unknown: only the row limit applies
}

FileSystem& platformFileSystem()
{
    // Never destroyed: a read ahead still running when the program ends
    // goes on using it until the system ends its thread.
    static PosixFileSystem& files = *new PosixFileSystem;
    return files;
}

} // namespace logbook
