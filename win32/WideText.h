#pragma once
// The window speaks UTF-16 (the W functions); the handlers speak UTF-8.

#include <Utf16.h>

namespace win32ui {

using logbook::toUtf8;
using logbook::toWide;

} // namespace win32ui
