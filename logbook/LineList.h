#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace logbook {

// The lines of one data file, kept as the file's own bytes plus one offset a
// line, so that a large log costs little more memory than its size on disk.
// A line ends at CR LF, at a lone LF (files made on Unix) or at a lone CR; a
// last line without a line end is a line too.
class LineList {
public:
    LineList() = default;
    LineList(std::unique_ptr<char[]> bytes, std::size_t size);
    static LineList fromBytes(std::string_view bytes);

    std::size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }
    bool empty() const { return size() == 0; }

    // The stored bytes of line `index`, without its line end.
    std::string_view bytesAt(std::size_t index) const;
    // Line `index` as UTF-8 text.
    std::string textAt(std::size_t index) const;

    std::size_t byteSize() const { return size_; }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_ = 0;
    // starts_[i] is where line i begins; one more entry marks the end.
    std::vector<std::size_t> starts_;
};

} // namespace logbook
