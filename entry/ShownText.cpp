#include "ShownText.h"

#include <Encoding.h>
#include <Text.h>

#include <algorithm>

namespace entry {

namespace {

// No character takes more than four bytes in UTF-8 or in a code page.
constexpr std::size_t kBytesUsed = 4 * (kShownCharacters + 1);

} // namespace

std::string shownText(std::string_view text)
{
    const std::string_view start = logbook::leftCharacters(text, kShownCharacters);
    std::string shown;
    shown.reserve(start.size() + 3);
    for (char c : start) {
        if (c == '\0')
            shown += "\xEF\xBF\xBD";
        else
            shown += c;
    }
    if (start.size() < text.size())
        shown += "\xE2\x80\xA6";
    return shown;
}

std::string chosenText(std::string_view text)
{
    return logbook::replaceControlCharacters(logbook::leftCharacters(text, kShownCharacters));
}

std::string startOfLine(std::string_view fileBytes)
{
    if (fileBytes.size() <= kBytesUsed)
        return logbook::textFromFileBytes(fileBytes);
    // Cut before a UTF-8 character that would be split, so that the start
    // of a UTF-8 line is not taken for Windows-1252.
    std::size_t cut = kBytesUsed;
    while (cut > kBytesUsed - 3 && (static_cast<unsigned char>(fileBytes[cut]) & 0xC0) == 0x80)
        --cut;
    // One more character than is shown, so that "…" still says there is more.
    return logbook::textFromFileBytes(fileBytes.substr(0, cut));
}

RowSlice visibleSlice(std::string_view shown, std::size_t scrolledCells, std::size_t visibleCells)
{
    const std::size_t first = scrolledCells > kSliceMargin ? scrolledCells - kSliceMargin : 0;
    const std::string_view skipped = logbook::leftCharacters(shown, first);
    if (skipped.size() == shown.size())
        return {first, {}};
    const std::string_view rest = shown.substr(skipped.size());
    return {first, logbook::leftCharacters(rest, scrolledCells - first + visibleCells + kSliceMargin)};
}

} // namespace entry
