#pragma once
// UTF-8 text helpers. Every length here counts Unicode characters (code
// points), never bytes, and no cut ever splits a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace logbook {

// Number of characters in valid UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// The first `count` characters of valid UTF-8 text (all of it if shorter).
std::string_view leftCharacters(std::string_view utf8, std::size_t count);

// Cuts or fills with spaces to exactly `width` characters.
std::string fitToWidth(std::string_view utf8, std::size_t width);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool isValidUtf8(std::string_view bytes);

// The bytes without a leading UTF-8 byte-order mark: text editors put one
// at the start of a file, and it is never part of the text.
std::string_view withoutByteOrderMark(std::string_view bytes);

// Windows-1252 bytes as UTF-8; the five unassigned bytes map to the C1
// controls of the same value, as Windows itself does.
std::string windows1252ToUtf8(std::string_view bytes);

// Replaces every control character (C0, DEL and C1) by a space, so that
// pasted text can never carry a line break into a data file.
std::string replaceControlCharacters(std::string_view utf8);

} // namespace logbook
