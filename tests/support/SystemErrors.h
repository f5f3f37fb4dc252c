#pragma once
// Error codes the tests inject and expect: errno values on POSIX, Win32
// error codes on Windows, where a FileError carries those.

#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace testing_support {

#ifdef _WIN32
inline constexpr int kDiskFull = ERROR_DISK_FULL;
inline constexpr int kIoError = ERROR_WRITE_FAULT;
inline constexpr int kReadOnlyMedia = ERROR_WRITE_PROTECT;
inline constexpr int kNoSuchFile = ERROR_FILE_NOT_FOUND;
// Opening a folder as a file is refused as such on Windows.
inline constexpr int kIsAFolder = ERROR_ACCESS_DENIED;
#else
inline constexpr int kDiskFull = ENOSPC;
inline constexpr int kIoError = EIO;
inline constexpr int kReadOnlyMedia = EROFS;
inline constexpr int kNoSuchFile = ENOENT;
inline constexpr int kIsAFolder = EISDIR;
#endif

// The system's wording of an error without its final period or line end,
// as a user sees it quoted ("No space left on device", "Disk full").
inline std::string systemWording(int error)
{
    std::string text = std::system_category().message(error);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.'))
        text.pop_back();
    return text;
}

} // namespace testing_support
