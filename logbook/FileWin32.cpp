#include "FileSystem.h"
#include "Utf16.h"

#include <algorithm>
#include <new>
#include <windows.h>

namespace logbook {

const int kDeviceFullError = ERROR_DISK_FULL;
const int kLockHeldError = ERROR_LOCK_VIOLATION;

namespace {

// The single byte locked while appending: far beyond any real data, so the
// lock only keeps two instances from interleaving and never stops a reader.
constexpr ULONGLONG kAppendLockOffset = 0x7FFF'FFFF'0000'0000ULL;
// ReadFile and WriteFile take a DWORD count; stay well below it.
constexpr std::size_t kLargestTransfer = std::size_t(1) << 30;

int lastError() { return static_cast<int>(::GetLastError()); }

OVERLAPPED at(ULONGLONG offset)
{
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return position;
}

class Win32File final : public File {
public:
    explicit Win32File(HANDLE handle)
        : handle_(handle)
    {
    }
    ~Win32File() override
    {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle_);
    }

    int size(std::uint64_t& bytes) override
    {
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(handle_, &size))
            return lastError();
        bytes = static_cast<std::uint64_t>(size.QuadPart);
        return 0;
    }
    int readAt(std::uint64_t offset, char* buffer, std::size_t most, std::size_t& got) override
    {
        OVERLAPPED position = at(offset);
        const int error = transfer(got, [&](DWORD& done) {
            return ::ReadFile(handle_, buffer, limited(most), &done, &position);
        });
        // At or past the end Windows fails the read; POSIX reads nothing.
        return error == ERROR_HANDLE_EOF ? 0 : error;
    }
    // A mapping would keep the file in use for the whole run, so that it
    // could not be renamed or deleted meanwhile: Windows reads it instead.
    int map(std::uint64_t, PageBytes&) override { return ERROR_NOT_SUPPORTED; }
    int append(const char* data, std::size_t size, std::size_t& written) override
    {
        // Offset all ones: write at the end of the file, as an append.
        OVERLAPPED atEnd = at(~0ULL);
        return transfer(written, [&](DWORD& done) {
            return ::WriteFile(handle_, data, limited(size), &done, &atEnd);
        });
    }
    int sync() override { return ::FlushFileBuffers(handle_) ? 0 : lastError(); }
    int truncate(std::uint64_t size) override
    {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(size);
        return ::SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle_) ? 0 : lastError();
    }
    int tryLock() override
    {
        OVERLAPPED position = at(kAppendLockOffset);
        const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY;
        return ::LockFileEx(handle_, flags, 0, 1, 0, &position) ? 0 : lastError();
    }
    void unlock() override
    {
        OVERLAPPED position = at(kAppendLockOffset);
        ::UnlockFileEx(handle_, 0, 1, 0, &position);
    }
    int close() override
    {
        const BOOL closed = ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed ? 0 : lastError();
    }

private:
    static DWORD limited(std::size_t bytes) { return static_cast<DWORD>(std::min(bytes, kLargestTransfer)); }

    template<typename Call> static int transfer(std::size_t& done, Call call)
    {
        DWORD count = 0;
        if (!call(count))
            return lastError();
        done = count;
        return 0;
    }

    HANDLE handle_;
};

HANDLE openHandle(const std::wstring& path, DWORD access, DWORD disposition)
{
    // Others may read and write meanwhile, as with POSIX files.
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Win32FileSystem final : public FileSystem {
public:
    int open(const std::string& path, Access access, std::unique_ptr<File>& file, bool& created) override
    {
        // Appends need read access to see whether the last line is ended and
        // write access to take a failed record back.
        const DWORD rights = access == Access::Read     ? GENERIC_READ
                           : access == Access::Append ? FILE_APPEND_DATA
                                                      : GENERIC_READ | FILE_APPEND_DATA | FILE_WRITE_DATA;
        const std::wstring wide = toWide(path);
        created = false;
        HANDLE handle = openHandle(wide, rights, OPEN_EXISTING);
        if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_NOT_FOUND && access != Access::Read) {
            handle = openHandle(wide, rights, CREATE_NEW);
            created = handle != INVALID_HANDLE_VALUE;
            if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_FILE_EXISTS) // another instance made it
                handle = openHandle(wide, rights, OPEN_EXISTING);
        }
        if (handle == INVALID_HANDLE_VALUE)
            return lastError();
        auto opened = std::make_unique<Win32File>(handle);
        // Only a file on a disk can be a data file, as on POSIX: a pipe or a
        // device in its place would block the program or never end.
        if (::GetFileType(handle) != FILE_TYPE_DISK)
            return ERROR_INVALID_PARAMETER;
        file = std::move(opened);
        return 0;
    }

    // Windows journals folder changes itself; the flush asks for more where
    // the file system offers it. A folder that cannot be opened or flushed
    // (no right to write it, a file system without the call) is no failure.
    int syncFolder(const std::string& folder) override
    {
        // Called after an append's data is written: memory running out is a
        // failed sync, which the append takes back, never an exception.
        std::wstring wide;
        try {
            wide = toWide(folder);
        } catch (const std::bad_alloc&) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return 0;
        const int error = ::FlushFileBuffers(handle) ? 0 : lastError();
        ::CloseHandle(handle);
        const bool unsupported = error == ERROR_INVALID_FUNCTION || error == ERROR_ACCESS_DENIED
                              || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER;
        return unsupported ? 0 : error;
    }
};

} // namespace

std::uint64_t physicalMemory()
{
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    return ::GlobalMemoryStatusEx(&memory) ? memory.ullTotalPhys : UINT64_MAX;
}

std::uint64_t memoryForFiles()
{
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (!::GlobalMemoryStatusEx(&memory))
        return UINT64_MAX; // unknown: only the row limit applies
    // The lists keep a UTF-16 copy of each line beside the file's bytes,
    // and a 32-bit process's address space is small and gets cut up.
    return std::min(memory.ullTotalPhys, memory.ullTotalVirtual) / 8;
}

FileSystem& platformFileSystem()
{
    // Never destroyed: a read ahead still running when the program ends
    // goes on using it until the system ends its thread.
    static Win32FileSystem& files = *new Win32FileSystem;
    return files;
}

} // namespace logbook
