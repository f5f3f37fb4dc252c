#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace logbook {

// A data file that could not be created, opened, read or written. The message
// names the file and the system's reason, ready to show to the user.
class FileError : public std::runtime_error {
public:
    enum class Action { Open, Read, Write };

    FileError(Action action, const std::string& path, int systemError);
    // For a failure the system has no words for.
    FileError(Action action, const std::string& path, std::string_view reason);
};

// An append that failed after some of its record reached the file, and
// could not be taken back for certain: the record, whole or in part, may be
// stored. Saving it again could store it twice.
class UncertainAppend : public FileError {
public:
    using FileError::FileError;
};

} // namespace logbook
