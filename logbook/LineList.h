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

// The lines of one data file, kept as the file's own bytes plus one offset a
// line, so that a large log costs little more memory than its size on disk.
// A line ends at CR LF, at a lone LF (files made on Unix) or at a lone CR; a
// last line without a line end is a line too.
class LineList {
public:
    LineList() = default;
    // Takes the first `size` of `bytes` and finds its lines.
    LineList(PageBytes bytes, std::size_t size);
    static LineList fromBytes(std::string_view bytes);

    std::size_t size() const
    {
        const std::size_t starts = starts32_.empty() ? starts64_.size() : starts32_.size();
        return starts == 0 ? 0 : starts - 1;
    }
    bool empty() const { return size() == 0; }

    // The stored bytes of line `index`, without its line end.
    std::string_view bytesAt(std::size_t index) const;
    // Line `index` as UTF-8 text.
    std::string textAt(std::size_t index) const;

    std::size_t byteSize() const { return size_; }

private:
    std::size_t startOf(std::size_t index) const
    {
        return starts32_.empty() ? starts64_[index] : starts32_[index];
    }

    PageBytes bytes_;
    std::size_t size_ = 0;
    // starts[i] is where line i begins; one more entry marks the end. Files
    // under 4 GiB, all real ones, take 32-bit offsets: half the memory.
    std::vector<std::uint32_t, PageAllocator<std::uint32_t>> starts32_;
    std::vector<std::uint64_t, PageAllocator<std::uint64_t>> starts64_;
};

} // namespace logbook
