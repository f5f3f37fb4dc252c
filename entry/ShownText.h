#pragma once
// How a row of a list or drop-down list shows its item, the same in every
// front end. Only a bounded part of an item is ever decoded or laid out, so a
// row costs the same whatever the length of its line; the line itself stays
// as stored.

#include <cstddef>
#include <string>
#include <string_view>

namespace entry {

// A row shows at most this many characters of its item, then "…". Entry
// lines have 60; longer lines come only from other programs.
inline constexpr std::size_t kShownCharacters = 4096;
// Characters drawn beyond each edge of what can be seen, so that a row drawn
// in pieces has no gaps at its ends.
inline constexpr std::size_t kSliceMargin = 4;

// The item as its row shows it: at most kShownCharacters characters, "…"
// after them when the item has more, and every NUL as U+FFFD (a NUL would end
// the text in the Windows controls, and show as nothing in Qt's).
std::string shownText(std::string_view text);

// What an editable combo box puts into its field when the item is chosen: at
// most kShownCharacters characters, control characters as spaces, just as
// Save would store them.
std::string chosenText(std::string_view text);

// A stored line as text, decoded from no more than the bytes that the two
// texts above can use.
std::string startOfLine(std::string_view fileBytes);

// The part of a row's shown text to draw when `scrolledCells` character
// cells are scrolled out of view at its left and `visibleCells` fit in the
// row: from the character `first` on, with kSliceMargin to spare at each end.
// The list draws it `first` cells into the row; in a fixed-pitch font every
// character is one cell.
struct RowSlice {
    std::size_t first;
    std::string_view text;
};
RowSlice visibleSlice(std::string_view shown, std::size_t scrolledCells, std::size_t visibleCells);

} // namespace entry
