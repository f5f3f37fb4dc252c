#include "LineList.h"
#include "Encoding.h"

#include <bit>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace logbook {

namespace {

constexpr std::size_t kBlock = 16;

// One bit for each CR or LF byte of a block, the first byte lowest.
unsigned lineEndBits(const char* block)
{
#ifdef __SSE2__
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')),
                                      _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')));
    return static_cast<unsigned>(_mm_movemask_epi8(ends));
#else
    unsigned bits = 0;
    for (std::size_t i = 0; i < kBlock; ++i)
        bits |= static_cast<unsigned>(block[i] == '\n' || block[i] == '\r') << i;
    return bits;
#endif
}

// Where each line begins, plus the end of the data, in one pass: the CR and
// LF bytes of a whole block are found at once and then told apart. Every CR
// or LF ends a line, except a CR right before an LF, which ends it.
template<typename Starts> void findLineStarts(const char* data, std::size_t size, Starts& starts)
{
    using Offset = typename Starts::value_type;
    starts.reserve(size / 48 + 2); // entry lines take 62 bytes
    starts.push_back(0);
    const auto addEnds = [&](std::size_t block, unsigned bits) {
        for (; bits != 0; bits &= bits - 1) {
            const std::size_t at = block + static_cast<std::size_t>(std::countr_zero(bits));
            if (data[at] == '\r' && at + 1 < size && data[at + 1] == '\n')
                continue;
            starts.push_back(static_cast<Offset>(at + 1));
        }
    };
    std::size_t block = 0;
    for (; size - block >= kBlock; block += kBlock)
        addEnds(block, lineEndBits(data + block));
    // The last bytes, padded with bytes that end nothing.
    char tail[kBlock] = {};
    std::memcpy(tail, data + block, size - block);
    addEnds(block, lineEndBits(tail));
    if (starts.back() != size)
        starts.push_back(static_cast<Offset>(size));
}

} // namespace

LineList::LineList(PageBytes bytes, std::size_t size)
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
    PageBytes copy = allocatePageBytes(bytes.size());
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
