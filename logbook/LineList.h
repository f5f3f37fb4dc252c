#pragma once

#include "PageMemory.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace logbook {

// What an append must write before a new record, given the file's last byte,
// so that the record starts a line of its own: nothing after LF; LF after a
// lone CR, which makes it CR LF (the reading stays the same, and a record cut
// off between its CR and LF is mended); CR LF after anything else.
inline std::string_view separatorAfter(char lastByte)
{
    return lastByte == '\n' ? "" : lastByte == '\r' ? "\n" : "\r\n";
}

// Every this many lines the index keeps where one starts: a row is found by
// going over at most this many lines.
inline constexpr std::size_t kIndexStep = 4096;

// What one pass over a file's bytes finds: how many lines, where some of
// them start, and the longest. A large file is gone over in pieces, one for
// each of `threads`.
struct LineIndex {
    struct Entry {
        std::size_t line, offset;
    };
    // Line 0 at offset 0, then at most kIndexStep lines apart, and last the
    // line count at the end of the bytes.
    std::vector<Entry> entries;
    std::size_t lines = 0; // with a last line that has no line end
    std::size_t longest = 0;
};
LineIndex indexLines(const char* data, std::size_t size, unsigned threads);

// A part of the memory set aside for loaded files, given back when the
// lines that hold it go.
struct MemoryShare {
    std::uint64_t bytes = 0;
    ~MemoryShare();
};

// The lines of one data file, kept as the file's own bytes (mapped or
// copied) plus a sparse index, so that a large log costs hardly any memory
// beyond its bytes. A line ends at CR LF, at a lone LF (files made on Unix)
// or at a lone CR; a last line without a line end is a line too.
//
// Another program may change a mapped file after the index was made: a row is
// then read from the bytes as they are now, but always inside them, in order,
// and the row count stays. Not for two threads at once: reading a row keeps
// the rows around it.
class LineList {
public:
    LineList() = default;
    // Takes the first `size` of `bytes`, whose lines `index` found.
    LineList(PageBytes bytes, std::size_t size, LineIndex index);
    static LineList fromBytes(std::string_view bytes);

    // The memory a list made from `index` takes beside the bytes.
    static std::size_t indexBytes(const LineIndex& index);

    std::size_t size() const { return index_.lines; }
    bool empty() const { return index_.lines == 0; }

    // The stored bytes of line `index`, without its line end.
    std::string_view bytesAt(std::size_t index) const;
    // Line `index` as UTF-8 text.
    std::string textAt(std::size_t index) const;

    std::size_t byteSize() const { return size_; }
    // The length in bytes of the longest line, found as the lines were counted.
    std::size_t longestLine() const { return index_.longest; }

    // Holds these shares of the memory for loaded files as long as the lines.
    void keep(std::vector<std::unique_ptr<MemoryShare>> shares) { shares_ = std::move(shares); }

private:
    // Where each line between two index entries starts, and where the last ends.
    struct Block {
        std::size_t first = 0, count = 0;
        std::vector<std::size_t> starts;
    };
    const Block& blockOf(std::size_t line) const;

    PageBytes bytes_;
    std::size_t size_ = 0;
    LineIndex index_;
    // Two, so that a page of rows across a block boundary, or a view that
    // goes between the end and somewhere else, decodes each block once.
    mutable std::array<Block, 2> blocks_;
    mutable std::size_t lastUsed_ = 0;
    std::vector<std::unique_ptr<MemoryShare>> shares_;
};

} // namespace logbook
