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
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace logbook {

namespace {

// Files from this size on are split in pieces, one a core, of at least this.
constexpr std::size_t kSplitInPiecesFrom = 4 << 20;
constexpr std::size_t kSmallestPiece = 2 << 20;

bool isLineEnd(const char* data, std::size_t size, std::size_t at)
{
    // Every CR or LF ends a line, except a CR right before an LF, which ends it.
    return data[at] == '\n' || (data[at] == '\r' && (at + 1 == size || data[at + 1] != '\n'));
}

// The line ends of a block of 16 bytes, one bit each, the first byte lowest:
// the CR and LF bytes of the whole block are found at once.
struct Block16 {
    static constexpr std::size_t kWidth = 16;
    static unsigned bits(const char* data, std::size_t size, std::size_t block)
    {
#ifdef __SSE2__
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + block));
        const auto lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
        const auto cr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
#else
        unsigned lf = 0, cr = 0;
        for (std::size_t i = 0; i < kWidth; ++i) {
            lf |= static_cast<unsigned>(data[block + i] == '\n') << i;
            cr |= static_cast<unsigned>(data[block + i] == '\r') << i;
        }
#endif
        const unsigned lfAfter = block + kWidth < size && data[block + kWidth] == '\n';
        return lf | (cr & ~((lf >> 1) | (lfAfter << (kWidth - 1))));
    }
};

// Calls onEnd(at) for each line end in [begin, end), in order; `Block`
// finds those of a whole block at once.
template<typename Block, typename OnEnd> void forEachLineEnd(const char* data, std::size_t size, std::size_t begin,
                                                             std::size_t end, OnEnd onEnd)
{
    std::size_t block = begin;
    for (; end - block >= Block::kWidth; block += Block::kWidth) {
        for (auto bits = Block::bits(data, size, block); bits != 0; bits &= bits - 1)
            onEnd(block + static_cast<std::size_t>(std::countr_zero(bits)));
    }
    for (std::size_t at = block; at < end; ++at) {
        if (isLineEnd(data, size, at))
            onEnd(at);
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
// Twice the width where the processor has AVX2, as most from 2013 on do.
#define TOLMARIN_AVX2 __attribute__((target("avx2")))
struct Block32 {
    static constexpr std::size_t kWidth = 32;
    TOLMARIN_AVX2 static std::uint32_t bits(const char* data, std::size_t size, std::size_t block)
    {
        const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + block));
        const auto lf = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n'))));
        const auto cr = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r'))));
        const std::uint32_t lfAfter = block + kWidth < size && data[block + kWidth] == '\n';
        return lf | (cr & ~((lf >> 1) | (lfAfter << (kWidth - 1))));
    }
};
// Whole blocks of 32, then the rest as on any processor: compiled for AVX2
// whole, so that the blocks' bits are worked out in the loop.
template<typename OnEnd> TOLMARIN_AVX2 void forEachLineEndAvx2(const char* data, std::size_t size, std::size_t begin,
                                                                std::size_t end, OnEnd onEnd)
{
    std::size_t block = begin;
    for (; end - block >= Block32::kWidth; block += Block32::kWidth) {
        for (auto bits = Block32::bits(data, size, block); bits != 0; bits &= bits - 1)
            onEnd(block + static_cast<std::size_t>(std::countr_zero(bits)));
    }
    forEachLineEnd<Block16>(data, size, block, end, onEnd);
}
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

template<typename OnEnd> void eachLineEnd(const char* data, std::size_t size, std::size_t begin, std::size_t end,
                                          OnEnd onEnd)
{
#ifdef TOLMARIN_AVX2
    if (hasAvx2)
        return forEachLineEndAvx2(data, size, begin, end, onEnd);
#endif
    forEachLineEnd<Block16>(data, size, begin, end, onEnd);
}

std::size_t countLineEnds(const char* data, std::size_t size, std::size_t begin, std::size_t end)
{
    std::size_t ends = 0;
    eachLineEnd(data, size, begin, end, [&](std::size_t) { ++ends; });
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
        eachLineEnd(data, size, piece.begin, piece.end, [&](std::size_t end) { *next++ = static_cast<Offset>(end + 1); });
    });
    starts[count.lines] = static_cast<Offset>(size); // the end of an unended last line, or again the end
}

} // namespace

LineCount countLines(const char* data, std::size_t size, unsigned threads)
{
    LineCount count;
    const std::size_t pieces = size < kSplitInPiecesFrom ? 1 : std::clamp<std::size_t>(size / kSmallestPiece, 1, threads);
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
    // From the offsets: a line is looked at only when its line and line end
    // are longer than the longest so far.
    for (std::size_t i = 0; i < lines_; ++i) {
        if (startOf(i + 1) - startOf(i) > longest_)
            longest_ = std::max(longest_, bytesAt(i).size());
    }
}

LineList LineList::fromBytes(std::string_view bytes)
{
    PageBytes copy = allocatePageBytes(bytes.size());
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    const LineCount count = countLines(copy.get(), bytes.size(), std::max(1u, std::thread::hardware_concurrency()));
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
