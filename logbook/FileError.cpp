#include "FileError.h"
#include "Encoding.h"

#include <system_error>

namespace logbook {

namespace {

std::string describe(FileError::Action action, const std::string& path, std::string_view reason)
{
    const char* verb = action == FileError::Action::Open ? "open"
                     : action == FileError::Action::Read ? "read"
                                                         : "write";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.remove_suffix(1);
    return "Cannot " + std::string(verb) + " file " + path + ":\n" + std::string(reason) + ".";
}

} // namespace

FileError::FileError(Action action, const std::string& path, int systemError)
    // system_category gives strerror on POSIX and FormatMessage on Windows,
    // in the system's code page; the message is UTF-8 like all other text.
    : FileError(action, path, textFromFileBytes(std::system_category().message(systemError)))
{
}

FileError::FileError(Action action, const std::string& path, std::string_view reason)
    : std::runtime_error(describe(action, path, reason))
{
}

} // namespace logbook
