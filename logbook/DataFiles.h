#pragma once
// Where the data files live and what an entry line looks like.

#include <cstddef>
#include <string>
#include <string_view>

namespace logbook {

// The fixed names, each starting with the platform's path separator.
#ifdef _WIN32
inline constexpr std::string_view kEntryLogName = "\\TOLM.LyS";
inline constexpr std::string_view kBranchListName = "\\Branch.LyS";
inline constexpr std::string_view kReasonListName = "\\Reason.LyS";
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr std::string_view kEntryLogName = "/TOLM.LyS";
inline constexpr std::string_view kBranchListName = "/Branch.LyS";
inline constexpr std::string_view kReasonListName = "/Reason.LyS";
inline constexpr char kPathSeparator = '/';
#endif

// Field widths of an entry line.
inline constexpr std::size_t kDateWidth = 11;
inline constexpr std::size_t kBranchWidth = 16;
inline constexpr std::size_t kReasonWidth = 30;
inline constexpr std::size_t kEntryLineWidth = kDateWidth + 2 + kBranchWidth + 1 + kReasonWidth;

// The folder that holds the running executable, never the current folder.
std::string executableDirectory();

// `directory` followed by a fixed name, without a doubled separator when the
// directory is a root such as "/".
std::string dataFilePath(std::string_view directory, std::string_view fixedName);

// The folder part of a file path.
std::string parentDirectory(std::string_view path);

// The 60-character entry line: date, two spaces, branch filled to 16, one
// space, reason filled to 30. Over-long fields are cut, so the line always
// has exactly 60 characters.
std::string composeEntryLine(std::string_view date, std::string_view branch, std::string_view reason);

} // namespace logbook
