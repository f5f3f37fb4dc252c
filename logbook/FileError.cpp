#include "FileError.h"

#include <system_error>

namespace logbook {

namespace {

std::string describe(FileError::Action action, const std::string& path, int systemError)
{
    const char* verb = action == FileError::Action::Open ? "open"
                     : action == FileError::Action::Read ? "read"
                                                         : "write";
    // system_category gives strerror on POSIX and FormatMessage on Windows.
    std::string reason = std::system_category().message(systemError);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return "Cannot " + std::string(verb) + " file " + path + ":\n" + reason + ".";
}

} // namespace

FileError::FileError(Action action, std::string path, int systemError)
    : std::runtime_error(describe(action, path, systemError))
    , action_(action)
    , path_(std::move(path))
    , systemError_(systemError)
{
}

std::string FileError::reason() const
{
    return std::system_category().message(systemError_);
}

} // namespace logbook
