#include "LineList.h"
#include "Encoding.h"

#include <cstring>

namespace logbook {

namespace {

// Where each line begins, plus the end of the data.
template<typename Offset> void findLineStarts(const char* data, std::size_t size, std::vector<Offset>& starts)
{
    const char* end = data + size;
    starts.reserve(size / 48 + 2);
    starts.push_back(0);
    const char* p = data;
    while (p < end) {
        const auto* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* segmentEnd = lf ? lf : end;
        // A lone CR ends a line as well; CR LF counts once.
        for (const char* cr = static_cast<const char*>(std::memchr(p, '\r', segmentEnd - p)); cr;
             cr = static_cast<const char*>(std::memchr(cr + 1, '\r', segmentEnd - cr - 1))) {
            if (cr + 1 == lf)
                break;
            starts.push_back(static_cast<Offset>(cr + 1 - data));
            if (cr + 1 >= segmentEnd)
                break;
        }
        if (!lf)
            break;
        p = lf + 1;
        starts.push_back(static_cast<Offset>(p - data));
    }
    if (starts.back() != size)
        starts.push_back(static_cast<Offset>(size));
}

} // namespace

LineList::LineList(std::unique_ptr<char[]> bytes, std::size_t size)
    : bytes_(std::move(bytes))
    , size_(size)
{
    if (size_ == 0)
        return;
    if (size_ <= UINT32_MAX)
        findLineStarts(bytes_.get(), size_, starts32_);
    else
        findLineStarts(bytes_.get(), size_, starts64_);
}

LineList LineList::fromBytes(std::string_view bytes)
{
    auto copy = std::make_unique_for_overwrite<char[]>(bytes.size());
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    return LineList(std::move(copy), bytes.size());
}

std::string_view LineList::bytesAt(std::size_t index) const
{
    std::size_t begin = startOf(index);
    std::size_t end = startOf(index + 1);
    const char* data = bytes_.get();
    if (end > begin && data[end - 1] == '\n')
        --end;
    if (end > begin && data[end - 1] == '\r')
        --end;
    return {data + begin, end - begin};
}

std::string LineList::textAt(std::size_t index) const
{
    return textFromFileBytes(bytesAt(index));
}

} // namespace logbook
