#pragma once
// The data files hold text in the system's code page: the program writes
// UTF-8 on Linux, the ANSI code page on Windows. Inside the program text is
// always UTF-8; these functions convert at the file boundary.

#include <string>
#include <string_view>

namespace logbook {

// One stored line as UTF-8. A line that is valid UTF-8 is taken as such on
// both systems, so files carried over from Linux read correctly on Windows;
// any other line is in a code page: Windows-1252 on Linux, so files carried
// over from Windows read correctly, the ANSI code page on Windows.
std::string textFromFileBytes(std::string_view bytes);

// UTF-8 text as the bytes to store.
std::string fileBytesFromText(std::string_view utf8);

// The characters of `utf8` that the file encoding cannot store, each once,
// in order of appearance; empty when everything can be stored.
std::string unstorableCharacters(std::string_view utf8);

} // namespace logbook
