// What a row draws of its item: bounded whatever the item's length, and the
// same for a line loaded from a file and for a text added later.
#include <Encoding.h>
#include <ListItems.h>
#include <ShownText.h>
#include <Text.h>

#include <gtest/gtest.h>

using entry::kShownCharacters;
using logbook::characterCount;

TEST(ShownText, ARowDrawsOnlyWhatItsViewShowsWhateverTheLineLength)
{
    const std::string nul("a\0b", 3); // seen, and not the end of the item; into a field as Save stores it
    EXPECT_EQ(entry::shownText(nul) + entry::chosenText(nul), "a\xEF\xBF\xBD" "ba b");
    for (const std::size_t pairs : {0, 30, 2048, 2049, 2'000'000}) { // "aü": cuts may split a UTF-8 character
        std::string line;
        for (std::size_t i = 0; i < pairs; ++i)
            line += "a\xC3\xBC";
        const std::string shown = entry::shownText(line), more = 2 * pairs > kShownCharacters ? "\xE2\x80\xA6" : "";
        EXPECT_EQ(shown, std::string(logbook::leftCharacters(line, kShownCharacters)) + more) << pairs;
        entry::ListItems items;
        items.appendLines(logbook::LineList::fromBytes(line + "\r\n"));
        items.append(line);
        EXPECT_EQ(items.shown(0), entry::shownText(logbook::textFromFileBytes(line))); // from the start alone
        EXPECT_EQ(items.shown(1) + items.text(1), shown + line); // the whole item stays, for the handlers
        EXPECT_GE(items.widestCells(), characterCount(shown)); // reachable by scrolling
        EXPECT_LE(items.widestCells(), kShownCharacters + 1);
        for (const std::size_t scrolled : {0, 3, 60, 4090, 9000}) {
            const entry::RowSlice slice = entry::visibleSlice(shown, scrolled, 80);
            const std::size_t drawn = characterCount(slice.text);
            EXPECT_LE(slice.first, scrolled); // nothing in view is left out
            EXPECT_GE(slice.first + drawn, std::min(characterCount(shown), scrolled + 80));
            EXPECT_LE(drawn, 80 + 2 * entry::kSliceMargin); // and little beside it
            EXPECT_TRUE(shown.substr(logbook::leftCharacters(shown, slice.first).size()).starts_with(slice.text));
        }
    }
}
