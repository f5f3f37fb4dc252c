#include "LineFile.h"
#include "Encoding.h"
#include "Faults.h"
#include "FileError.h"
#include "Utf16.h"

#include <algorithm>
#include <memory>
#include <windows.h>

// On Windows a FileError carries a Win32 error code, and so does a fault
// injected through the seam.

namespace logbook {

namespace {

using faults::Step;
using Action = FileError::Action;

// The single byte locked while appending: far beyond any real data, so the
// lock only keeps two instances from interleaving and never stops a reader.
constexpr ULONGLONG kAppendLockOffset = 0x7FFF'FFFF'0000'0000ULL;

int lastError() { return static_cast<int>(::GetLastError()); }

bool injected(Step step, const std::string& path)
{
    if (int error = faults::check(step, path).error) {
        ::SetLastError(static_cast<DWORD>(error));
        return true;
    }
    return false;
}


HANDLE openFile(const std::string& path, DWORD access, DWORD disposition, Step step = Step::Open)
{
    if (injected(step, path))
        return INVALID_HANDLE_VALUE;
    // Others may read and write meanwhile, as with POSIX files.
    return ::CreateFileW(toWide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool closeFile(HANDLE file, const std::string& path)
{
    BOOL closed = ::CloseHandle(file);
    if (injected(Step::Close, path))
        return false;
    return closed != FALSE;
}

// Closes after a failure, keeping the error code of the failure.
void closeQuietly(HANDLE file)
{
    DWORD saved = ::GetLastError();
    ::CloseHandle(file);
    ::SetLastError(saved);
}

// Flushes the folder's entry of a new file. Windows journals folder changes
// itself, and a folder that cannot be opened for flushing is no failure of
// ours; only a failed flush counts.
bool syncDirectoryOf(const std::string& path)
{
    if (injected(Step::SyncDirectory, path))
        return false;
    std::wstring directory = toWide(path);
    std::size_t slash = directory.find_last_of(L'\\');
    directory.resize(slash == std::wstring::npos ? 0 : slash);
    if (directory.empty() || directory.back() == L':')
        directory += L'\\';
    HANDLE folder = ::CreateFileW(directory.c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return true;
    BOOL flushed = ::FlushFileBuffers(folder);
    DWORD error = ::GetLastError();
    ::CloseHandle(folder);
    ::SetLastError(error);
    return flushed || error == ERROR_INVALID_FUNCTION || error == ERROR_ACCESS_DENIED
        || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER;
}

// Opens for appending, creating the file when missing. `created` tells
// whether this call made it.
HANDLE openForAppend(const std::string& path, DWORD access, bool& created)
{
    created = false;
    HANDLE file = openFile(path, access, OPEN_EXISTING);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_NOT_FOUND)
        return file;
    file = openFile(path, access, CREATE_NEW, Step::Create);
    if (file != INVALID_HANDLE_VALUE) {
        created = true;
        return file;
    }
    if (::GetLastError() == ERROR_FILE_EXISTS) // another instance made it just now
        return openFile(path, access, OPEN_EXISTING);
    return INVALID_HANDLE_VALUE;
}

// Held for the length of one append; where the file system has no locks the
// append goes ahead unlocked.
bool lockForAppend(HANDLE file, const std::string& path)
{
    if (injected(Step::Lock, path))
        return false;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(kAppendLockOffset);
    at.OffsetHigh = static_cast<DWORD>(kAppendLockOffset >> 32);
    return ::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &at) != FALSE;
}

void unlock(HANDLE file)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(kAppendLockOffset);
    at.OffsetHigh = static_cast<DWORD>(kAppendLockOffset >> 32);
    ::UnlockFileEx(file, 0, 1, 0, &at);
}

bool writeAll(HANDLE file, const std::string& path, const char* data, std::size_t size)
{
    while (size > 0) {
        faults::Action fault = faults::check(Step::Write, path);
        if (fault.error) {
            ::SetLastError(static_cast<DWORD>(fault.error));
            return false;
        }
        const std::size_t chunk = fault.limit(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (chunk > 0) {
            // Offset all ones: write at the end of the file, as an append.
            OVERLAPPED atEnd{};
            atEnd.Offset = 0xFFFFFFFF;
            atEnd.OffsetHigh = 0xFFFFFFFF;
            if (!::WriteFile(file, data, static_cast<DWORD>(chunk), &written, &atEnd))
                return false;
        }
        if (written == 0) { // a device that takes nothing is full
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// The separator a new record needs (see separatorAfter). A read that fails
// is a failed save: guessing could glue the new record onto an unended line.
bool separatorBefore(HANDLE file, const std::string& path, LONGLONG size, std::string& separator)
{
    separator.clear();
    if (size == 0)
        return true;
    if (injected(Step::Read, path))
        return false;
    char last = 0;
    DWORD got = 0;
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(size - 1);
    at.OffsetHigh = static_cast<DWORD>(static_cast<ULONGLONG>(size - 1) >> 32);
    if (!::ReadFile(file, &last, 1, &got, &at))
        return false;
    if (got != 1) { // shrunk under our lock: not a file we can trust
        ::SetLastError(ERROR_READ_FAULT);
        return false;
    }
    separator = separatorAfter(last);
    return true;
}

bool truncateTo(HANDLE file, LONGLONG size)
{
    LARGE_INTEGER at;
    at.QuadPart = size;
    return ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
}

} // namespace

void EnsureFile(const std::string& path)
{
    bool created = false;
    HANDLE file = openForAppend(path, FILE_APPEND_DATA, created);
    if (file == INVALID_HANDLE_VALUE)
        throw FileError(Action::Open, path, lastError());
    if (created && !syncDirectoryOf(path)) {
        closeQuietly(file);
        throw FileError(Action::Write, path, lastError());
    }
    if (!closeFile(file, path))
        throw FileError(Action::Write, path, lastError());
}

LineList ReadLines(const std::string& path)
{
    HANDLE file = openFile(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        throw FileError(Action::Open, path, lastError());
    LARGE_INTEGER fileSize{};
    if (injected(Step::Stat, path) || !::GetFileSizeEx(file, &fileSize)) {
        closeQuietly(file);
        throw FileError(Action::Read, path, lastError());
    }
    // The file may grow while we read (another instance saving); read to its
    // end whatever size we were told.
    std::size_t capacity = static_cast<std::size_t>(fileSize.QuadPart) + 1;
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
        DWORD got = 0;
        DWORD want = static_cast<DWORD>(std::min<std::size_t>(capacity - size, 1u << 30));
        if (injected(Step::Read, path) || !::ReadFile(file, bytes.get() + size, want, &got, nullptr)) {
            closeQuietly(file);
            throw FileError(Action::Read, path, lastError());
        }
        if (got == 0)
            break;
        size += got;
    }
    if (!closeFile(file, path))
        throw FileError(Action::Read, path, lastError());
    return LineList(std::move(bytes), size);
}

void AppendLine(const std::string& path, std::string_view text)
{
    bool created = false;
    // Appending plus read access (is the last line ended?) and write access
    // (to take a failed record back).
    HANDLE file = openForAppend(path, GENERIC_READ | FILE_APPEND_DATA | FILE_WRITE_DATA, created);
    if (file == INVALID_HANDLE_VALUE)
        throw FileError(Action::Open, path, lastError());
    const bool locked = lockForAppend(file, path);

    LARGE_INTEGER info{};
    if (injected(Step::Stat, path) || !::GetFileSizeEx(file, &info)) {
        closeQuietly(file);
        throw FileError(Action::Write, path, lastError());
    }
    const LONGLONG sizeBefore = info.QuadPart;

    std::string record;
    if (!separatorBefore(file, path, sizeBefore, record)) {
        int error = lastError();
        closeQuietly(file);
        throw FileError(Action::Read, path, error);
    }
    record += fileBytesFromText(text);
    record += "\r\n";

    bool stored = writeAll(file, path, record.data(), record.size())
               && !injected(Step::Sync, path) && ::FlushFileBuffers(file)
               && (!created || syncDirectoryOf(path));
    if (!stored) {
        // Take back whatever part of the record reached the file, so a
        // failed save leaves no partial or unconfirmed line behind.
        int error = lastError();
        if (!injected(Step::Truncate, path))
            truncateTo(file, sizeBefore);
        ::CloseHandle(file); // closing releases the lock
        throw FileError(Action::Write, path, error);
    }
    if (locked)
        unlock(file);
    // The line is on stable storage now. A failing close cannot undo that,
    // and reporting it would have the user save the entry a second time.
    (void)closeFile(file, path);
}

} // namespace logbook
