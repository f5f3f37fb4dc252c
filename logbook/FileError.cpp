#include "FileError.h"
#include "Encoding.h"

#include <system_error>

namespace logbook {

namespace {

std::string describe(FileError::Action action, const std::string& path, int systemError)
{
    const char* verb = action == FileError::Action::Open ? "open"
                     : action == FileError::Action::Read ? "read"
                                                         : "write";
    // system_category gives strerror on POSIX and FormatMessage on Windows,
    // in the system's code page; the message is UTF-8 like all other text.
    std::string reason = textFromFileBytes(std::system_category().message(systemError));
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return "Cannot " + std::string(verb) + " file " + path + ":\n" + reason + ".";
}

} // namespace

FileError::FileError(Action action, const std::string& path, int systemError)
    : std::runtime_error(describe(action, path, systemError))
{
}

} // namespace logbook
