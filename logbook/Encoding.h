#pragma once
// The data files hold text in the system's code page: UTF-8 on Linux, the
// ANSI code page on Windows. Inside the program text is always UTF-8; these
// functions convert at the file boundary.

#include <string>
#include <string_view>

namespace logbook {

// One stored line as UTF-8. On Linux a line that is not valid UTF-8 is taken
// as Windows-1252, so files carried over from Windows read correctly.
std::string textFromFileBytes(std::string_view bytes);

// UTF-8 text as the bytes to store.
std::string fileBytesFromText(std::string_view utf8);

// The characters of `utf8` that the file encoding cannot store, each once,
// in order of appearance; empty when everything can be stored.
std::string unstorableCharacters(std::string_view utf8);

} // namespace logbook
