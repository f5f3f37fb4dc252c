#pragma once

#include <stdexcept>
#include <string>

namespace logbook {

// A data file that could not be created, opened, read or written. The message
// names the file and the system's reason, ready to show to the user.
class FileError : public std::runtime_error {
public:
    enum class Action { Open, Read, Write };

    FileError(Action action, const std::string& path, int systemError);
};

} // namespace logbook
