#pragma once
// Windows only: its file and window functions take UTF-16, the program's
// text is UTF-8.

#include <string>
#include <string_view>

namespace logbook {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace logbook
