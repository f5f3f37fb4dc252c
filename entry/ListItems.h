#pragma once

#include <LineList.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace entry {

// The items of a list box or combo box, as both front ends keep them. Lines
// loaded from a file stay in the file's own bytes, so a log of a million
// entries costs little more memory than the file itself; a row decodes only
// the start of its line (see ShownText.h).
class ListItems {
public:
    std::size_t size() const { return loaded_.size() + added_.size(); }

    // The whole item, as the handlers read it back.
    std::string text(std::size_t index) const;
    // The item as its row shows it, and as a combo box's field takes it.
    std::string shown(std::size_t index) const;
    std::string chosen(std::size_t index) const;
    // The item's bytes as kept (a loaded line's are the file's own), for a
    // quick look at an ASCII start before anything is decoded.
    std::string_view bytes(std::size_t index) const;
    // At least as many character cells as any row shows, found from the
    // items' lengths in bytes (no character takes more cells than bytes)
    // without decoding one.
    std::size_t widestCells() const { return widestCells_; }

    // Makes room for one more item, so that the append after it cannot fail:
    // a model can then tell its views of the row only once it is sure.
    void reserveOne();
    void append(std::string text);
    void appendLines(logbook::LineList lines);
    void removeLast();
    void clear();

private:
    std::string startOf(std::size_t index) const;
    void widenTo(std::size_t bytes);

    logbook::LineList loaded_;
    std::vector<std::string> added_;
    std::size_t widestCells_ = 0;
};

} // namespace entry
