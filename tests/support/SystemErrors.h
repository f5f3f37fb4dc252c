#pragma once
// Error codes the tests inject and expect: errno values on POSIX, Win32
// error codes on Windows, where a FileError carries those.

#include <cerrno>
#include <string>
#include <system_error>
#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

#ifdef _WIN32 // opening a folder as a file is refused as such
inline constexpr int kDiskFull = ERROR_DISK_FULL, kIoError = ERROR_WRITE_FAULT, kIsAFolder = ERROR_ACCESS_DENIED;
inline constexpr int kNoLocks = ERROR_NOT_SUPPORTED; // a share that cannot lock
#else
inline constexpr int kDiskFull = ENOSPC, kIoError = EIO, kIsAFolder = EISDIR;
inline constexpr int kNoLocks = ENOLCK;
#endif

// The system's wording of an error as a user sees it quoted, without its
// final period or line end ("No space left on device", "Disk full").
inline std::string systemWording(int error)
{
    std::string text = std::system_category().message(error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    return text;
}

} // namespace testing_support
