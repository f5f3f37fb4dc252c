#include "LineList.h"
#include "Encoding.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace logbook {

namespace {

constexpr std::size_t kBlock = 16;
// Files from this size on are split on all cores, in pieces of at least this.
constexpr std::size_t kSplitOnAllCoresFrom = 4 << 20;
constexpr std::size_t kSmallestPiece = 2 << 20;

bool isLineEnd(const char* data, std::size_t size, std::size_t at)
{
    // Every CR or LF ends a line, except a CR right before an LF, which ends it.
    return data[at] == '\n' || (data[at] == '\r' && (at + 1 == size || data[at + 1] != '\n'));
}

// One bit for each line end of the block at `block`, the first byte lowest:
// the CR and LF bytes of the whole block are found at once.
unsigned lineEndBits(const char* data, std::size_t size, std::size_t block)
{
#ifdef __SSE2__
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + block));
    const auto lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
    const auto cr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
#else
    unsigned lf = 0, cr = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        lf |= static_cast<unsigned>(data[block + i] == '\n') << i;
        cr |= static_cast<unsigned>(data[block + i] == '\r') << i;
    }
#endif
    const unsigned lfAfter = block + kBlock < size && data[block + kBlock] == '\n';
    return lf | (cr & ~((lf >> 1) | (lfAfter << (kBlock - 1))));
}

// Calls onEnd(at) for each line end in [begin, end), in order.
template<typename OnEnd> void forEachLineEnd(const char* data, std::size_t size, std::size_t begin, std::size_t end,
                                             OnEnd onEnd)
{
    std::size_t block = begin;
    for (; end - block >= kBlock; block += kBlock) {
        for (unsigned bits = lineEndBits(data, size, block); bits != 0; bits &= bits - 1)
            onEnd(block + static_cast<std::size_t>(std::countr_zero(bits)));
    }
    for (std::size_t at = block; at < end; ++at) {
        if (isLineEnd(data, size, at))
            onEnd(at);
    }
}

std::size_t countLineEnds(const char* data, std::size_t size, std::size_t begin, std::size_t end)
{
    std::size_t ends = 0;
    std::size_t block = begin;
    for (; end - block >= kBlock; block += kBlock)
        ends += static_cast<std::size_t>(std::popcount(lineEndBits(data, size, block)));
    for (std::size_t at = block; at < end; ++at)
        ends += isLineEnd(data, size, at);
    return ends;
}

// Runs `work` on each piece, all but the first on threads of their own.
void onAllCores(std::vector<LineCount::Piece>& pieces, const std::function<void(LineCount::Piece&)>& work)
{
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        try {
            helpers.emplace_back(work, std::ref(pieces[i]));
        } catch (const std::system_error&) {
            work(pieces[i]); // no thread to spare
        }
    }
    work(pieces[0]);
    for (std::thread& helper : helpers)
        helper.join();
}

template<typename Offset> void fillStarts(const char* data, std::size_t size, const LineCount& count, char* block)
{
    auto* starts = reinterpret_cast<Offset*>(block);
    starts[0] = 0;
    std::vector<LineCount::Piece> pieces = count.pieces;
    std::vector<Offset*> at;
    for (std::size_t i = 0, before = 1; i < pieces.size(); before += pieces[i++].ends)
        at.push_back(starts + before);
    onAllCores(pieces, [&](LineCount::Piece& piece) {
        Offset* next = at[static_cast<std::size_t>(&piece - pieces.data())];
        forEachLineEnd(data, size, piece.begin, piece.end, [&](std::size_t end) { *next++ = static_cast<Offset>(end + 1); });
    });
    starts[count.lines] = static_cast<Offset>(size); // the end of an unended last line, or again the end
}

} // namespace

LineCount countLines(const char* data, std::size_t size)
{
    LineCount count;
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t pieces = size < kSplitOnAllCoresFrom ? 1 : std::min(cores, size / kSmallestPiece);
    for (std::size_t i = 0; i < pieces; ++i)
        count.pieces.push_back({size / pieces * i / 64 * 64, i + 1 == pieces ? size : size / pieces * (i + 1) / 64 * 64, 0});
    onAllCores(count.pieces, [&](LineCount::Piece& piece) {
        piece.ends = countLineEnds(data, size, piece.begin, piece.end);
    });
    for (const LineCount::Piece& piece : count.pieces)
        count.lines += piece.ends;
    if (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r')
        ++count.lines;
    return count;
}

std::size_t LineList::offsetBytes(std::size_t size, std::size_t lines)
{
    return (lines + 1) * (size > UINT32_MAX ? sizeof(std::uint64_t) : sizeof(std::uint32_t));
}

LineList::LineList(PageBytes bytes, std::size_t size, const LineCount& count)
    : bytes_(std::move(bytes))
    , size_(size)
    , lines_(count.lines)
    , wide_(size > UINT32_MAX)
{
    if (lines_ == 0)
        return;
    starts_ = allocatePageBytes(offsetBytes(size_, lines_));
    if (wide_)
        fillStarts<std::uint64_t>(bytes_.get(), size_, count, starts_.get());
    else
        fillStarts<std::uint32_t>(bytes_.get(), size_, count, starts_.get());
}

LineList LineList::fromBytes(std::string_view bytes)
{
    PageBytes copy = allocatePageBytes(bytes.size());
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    const LineCount count = countLines(copy.get(), bytes.size());
    return LineList(std::move(copy), bytes.size(), count);
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
