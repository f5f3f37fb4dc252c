#pragma once

#include "PageMemory.h"

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

// The line ends of a file's bytes, counted before any memory is taken for
// them; a large file in pieces, one for each of `threads`, which the fill
// shares out the same way.
struct LineCount {
    struct Piece {
        std::size_t begin, end, ends;
    };
    std::vector<Piece> pieces;
    std::size_t lines = 0; // with a last line that has no line end
};
LineCount countLines(const char* data, std::size_t size, unsigned threads);

// A part of the memory set aside for loaded files, given back when the
// lines that hold it go.
struct MemoryShare {
    std::uint64_t bytes = 0;
    ~MemoryShare();
};

// The lines of one data file, kept as the file's own bytes (mapped or
// copied) plus one offset a line, so that a large log costs little more
// memory than its offsets. A line ends at CR LF, at a lone LF (files made on
// Unix) or at a lone CR; a last line without a line end is a line too.
class LineList {
public:
    LineList() = default;
    // Takes the first `size` of `bytes`, whose lines `count` counted.
    LineList(PageBytes bytes, std::size_t size, const LineCount& count);
    static LineList fromBytes(std::string_view bytes);

    // The memory the offsets of `lines` lines in `size` bytes take.
    static std::size_t offsetBytes(std::size_t size, std::size_t lines);

    std::size_t size() const { return lines_; }
    bool empty() const { return lines_ == 0; }

    // The stored bytes of line `index`, without its line end.
    std::string_view bytesAt(std::size_t index) const;
    // Line `index` as UTF-8 text.
    std::string textAt(std::size_t index) const;

    std::size_t byteSize() const { return size_; }
    // The length in bytes of the longest line, found as the lines are split.
    std::size_t longestLine() const { return longest_; }

    // Holds these shares of the memory for loaded files as long as the lines.
    void keep(std::vector<std::unique_ptr<MemoryShare>> shares) { shares_ = std::move(shares); }

private:
    std::size_t startOf(std::size_t index) const
    {
        return wide_ ? reinterpret_cast<const std::uint64_t*>(starts_.get())[index]
                     : reinterpret_cast<const std::uint32_t*>(starts_.get())[index];
    }

    PageBytes bytes_;
    std::size_t size_ = 0;
    std::size_t lines_ = 0;
    // Where each line begins, and one more entry for the end. Files under
    // 4 GiB, all real ones, take 32-bit offsets: half the memory.
    PageBytes starts_;
    bool wide_ = false;
    std::size_t longest_ = 0;
    std::vector<std::unique_ptr<MemoryShare>> shares_;
};

} // namespace logbook
