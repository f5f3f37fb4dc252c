#include "DataFiles.h"
#include "Text.h"

namespace logbook {

std::string dataFilePath(std::string_view directory, std::string_view fixedName)
{
    std::string path(directory);
    if (!path.empty() && path.back() == kPathSeparator)
        path.pop_back();
    path += fixedName;
    return path;
}

std::string parentDirectory(std::string_view path)
{
    std::size_t slash = path.find_last_of(kPathSeparator);
    if (slash == std::string_view::npos)
        return ".";
    // A root keeps its separator: "/", and "C:\" on Windows.
    if (slash == 0 || (kPathSeparator == '\\' && path[slash - 1] == ':'))
        return std::string(path.substr(0, slash + 1));
    return std::string(path.substr(0, slash));
}

std::string composeEntryLine(std::string_view date, std::string_view branch, std::string_view reason)
{
    return fitToWidth(date, kDateWidth) + "  " + fitToWidth(branch, kBranchWidth) + " "
         + fitToWidth(reason, kReasonWidth);
}

} // namespace logbook
