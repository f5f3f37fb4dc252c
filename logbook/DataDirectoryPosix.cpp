#include "DataFiles.h"

#include <cerrno>
#include <climits>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace logbook {

std::string executableDirectory()
{
    std::string path(PATH_MAX, '\0');
    ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length < 0)
        throw std::system_error(errno, std::system_category(), "Cannot find the program's folder");
    path.resize(static_cast<std::size_t>(length));
    return parentDirectory(path);
}

} // namespace logbook
