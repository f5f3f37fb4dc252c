#include "ListItems.h"
#include "ShownText.h"

#include <Text.h>

#include <algorithm>

namespace entry {

std::string ListItems::text(std::size_t index) const
{
    return index < loaded_.size() ? loaded_.textAt(index) : added_[index - loaded_.size()];
}

std::string_view ListItems::bytes(std::size_t index) const
{
    return index < loaded_.size() ? loaded_.bytesAt(index) : std::string_view(added_[index - loaded_.size()]);
}

std::string ListItems::startOf(std::size_t index) const
{
    if (index < loaded_.size())
        return startOfLine(loaded_.bytesAt(index));
    return std::string(logbook::leftCharacters(added_[index - loaded_.size()], kShownCharacters + 1));
}

std::string ListItems::shown(std::size_t index) const { return shownText(startOf(index)); }

std::string ListItems::chosen(std::size_t index) const { return chosenText(startOf(index)); }

void ListItems::widenTo(std::size_t bytes)
{
    widestCells_ = std::max(widestCells_, std::min(bytes, kShownCharacters + 1));
}

void ListItems::reserveOne()
{
    if (added_.size() == added_.capacity())
        added_.reserve(std::max<std::size_t>(16, added_.capacity() * 2));
}

void ListItems::append(std::string text)
{
    const std::size_t bytes = text.size();
    added_.push_back(std::move(text));
    widenTo(bytes);
}

void ListItems::appendLines(logbook::LineList lines)
{
    if (size() > 0) { // not the start-up case: keep it simple
        for (std::size_t i = 0; i < lines.size(); ++i)
            append(lines.textAt(i));
        return;
    }
    widenTo(lines.longestLine());
    loaded_ = std::move(lines);
}

void ListItems::removeLast()
{
    if (!added_.empty())
        added_.pop_back();
}

void ListItems::clear()
{
    loaded_ = {};
    added_.clear();
    widestCells_ = 0;
}

} // namespace entry
