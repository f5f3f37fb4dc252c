#include "DataFiles.h"
#include "Utf16.h"

#include <system_error>
#include <windows.h>

namespace logbook {

std::string executableDirectory()
{
    // The path may be longer than MAX_PATH; grow until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(),
                                    "Cannot find the program's folder");
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    // A program in a drive's root keeps its backslash ("C:\"); the fixed
    // names are joined without doubling it.
    return parentDirectory(toUtf8(path));
}

} // namespace logbook
