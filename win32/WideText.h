#pragma once
// The window speaks UTF-16 (the W functions); the handlers speak UTF-8.

#include <string>
#include <string_view>

namespace win32ui {

std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace win32ui
