#include "LineList.h"
#include "AllCores.h"
#include "Encoding.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#include <emmintrin.h>
#define TOLMARIN_SSE2 __attribute__((target("sse2")))
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace logbook {

namespace {

bool isLineEnd(const char* data, std::size_t size, std::size_t at)
{
    // Every CR or LF ends a line, except a CR right before an LF, which ends it.
    return data[at] == '\n' || (data[at] == '\r' && (at + 1 == size || data[at + 1] != '\n'));
}

// The line ends of a block of 16 bytes, one bit each, the first byte lowest,
// from the block's CR and LF bits.
inline unsigned lineEndBits16(const char* data, std::size_t size, std::size_t block, unsigned lf, unsigned cr)
{
    const unsigned lfAfter = block + 16 < size && data[block + 16] == '\n';
    return lf | (cr & ~((lf >> 1) | (lfAfter << 15)));
}

// The CR and LF bytes of the block, one compare at a time: on any processor.
struct Block16Plain {
    static constexpr std::size_t kWidth = 16;
    static unsigned bits(const char* data, std::size_t size, std::size_t block)
    {
        unsigned lf = 0, cr = 0;
        for (std::size_t i = 0; i < kWidth; ++i) {
            lf |= static_cast<unsigned>(data[block + i] == '\n') << i;
            cr |= static_cast<unsigned>(data[block + i] == '\r') << i;
        }
        return lineEndBits16(data, size, block, lf, cr);
    }
};

#ifdef TOLMARIN_SSE2
// All 16 at once with SSE2, which every x86-64 processor has, and every one
// that runs Windows 8 or later.
struct Block16Sse2 {
    static constexpr std::size_t kWidth = 16;
    TOLMARIN_SSE2 static unsigned bits(const char* data, std::size_t size, std::size_t block)
    {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + block));
        const auto lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
        const auto cr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
        return lineEndBits16(data, size, block, lf, cr);
    }
};
#endif

#ifdef __SSE2__
using Block16 = Block16Sse2;
#else
using Block16 = Block16Plain;
#endif

// Calls onEnd(at) for each line end in [begin, end), in order, while it
// returns true; `Block` finds those of a whole block at once. False when
// onEnd stopped it.
template<typename Block, typename OnEnd> bool forEachLineEnd(const char* data, std::size_t size, std::size_t begin,
                                                             std::size_t end, OnEnd& onEnd)
{
    std::size_t block = begin;
    for (; end - block >= Block::kWidth; block += Block::kWidth) {
        for (auto bits = Block::bits(data, size, block); bits != 0; bits &= bits - 1) {
            if (!onEnd(block + static_cast<std::size_t>(std::countr_zero(bits))))
                return false;
        }
    }
    for (std::size_t at = block; at < end; ++at) {
        if (isLineEnd(data, size, at) && !onEnd(at))
            return false;
    }
    return true;
}

#if defined(TOLMARIN_SSE2) && !defined(__SSE2__)
// A 32-bit build may not assume SSE2: the processor is asked once, and the
// loop compiled for SSE2 whole, so that the blocks' bits are worked out in it.
template<typename OnEnd> TOLMARIN_SSE2 bool forEachLineEndSse2(const char* data, std::size_t size, std::size_t begin,
                                                                std::size_t end, OnEnd& onEnd)
{
    std::size_t block = begin;
    for (; end - block >= Block16Sse2::kWidth; block += Block16Sse2::kWidth) {
        for (auto bits = Block16Sse2::bits(data, size, block); bits != 0; bits &= bits - 1) {
            if (!onEnd(block + static_cast<std::size_t>(std::countr_zero(bits))))
                return false;
        }
    }
    return forEachLineEnd<Block16Plain>(data, size, block, end, onEnd);
}
const bool hasSse2 = (__builtin_cpu_init(), __builtin_cpu_supports("sse2"));
#endif

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
template<typename OnEnd> TOLMARIN_AVX2 bool forEachLineEndAvx2(const char* data, std::size_t size, std::size_t begin,
                                                                std::size_t end, OnEnd& onEnd)
{
    std::size_t block = begin;
    for (; end - block >= Block32::kWidth; block += Block32::kWidth) {
        for (auto bits = Block32::bits(data, size, block); bits != 0; bits &= bits - 1) {
            if (!onEnd(block + static_cast<std::size_t>(std::countr_zero(bits))))
                return false;
        }
    }
    return forEachLineEnd<Block16>(data, size, block, end, onEnd);
}
const bool hasAvx2 = __builtin_cpu_supports("avx2");
#endif

template<typename OnEnd> void eachLineEnd(const char* data, std::size_t size, std::size_t begin, std::size_t end,
                                          OnEnd onEnd)
{
#ifdef TOLMARIN_AVX2
    if (hasAvx2) {
        forEachLineEndAvx2(data, size, begin, end, onEnd);
        return;
    }
#endif
#if defined(TOLMARIN_SSE2) && !defined(__SSE2__)
    if (hasSse2) {
        forEachLineEndSse2(data, size, begin, end, onEnd);
        return;
    }
#endif
    forEachLineEnd<Block16>(data, size, begin, end, onEnd);
}

// The length of the line from `start` to its line end at `end`, without it.
std::size_t lineLength(const char* data, std::size_t start, std::size_t end)
{
    return end - start - (data[end] == '\n' && end > start && data[end - 1] == '\r');
}

// What one piece holds. Its first line may have begun in an earlier piece:
// that line's length is taken when the pieces are joined.
struct Piece {
    std::size_t begin = 0, end = 0;
    std::size_t ends = 0;
    std::size_t firstEnd = 0, afterLastEnd = 0;
    std::size_t longest = 0;
    // The starts of its lines after line end number indexedAt + 1, and every
    // kIndexStep-th on: blocks of at most kIndexStep lines, also across pieces.
    std::size_t indexedAt = 0;
    std::vector<std::size_t> starts;
};

void indexPiece(const char* data, std::size_t size, Piece& piece)
{
    std::size_t start = piece.begin;
    eachLineEnd(data, size, piece.begin, piece.end, [&](std::size_t at) {
        if (piece.ends == 0)
            piece.firstEnd = at;
        if (piece.ends % kIndexStep == piece.indexedAt)
            piece.starts.push_back(at + 1);
        ++piece.ends;
        // Only a line longer than the longest so far is looked at again.
        if (at - start > piece.longest)
            piece.longest = std::max(piece.longest, lineLength(data, start, at));
        start = at + 1;
        return true;
    });
    piece.afterLastEnd = start;
}

// Where the rows of one block start: `count` lines from `begin`, and the
// last ending at `end`. The bytes may have changed since the index was made:
// line ends past those the block needs are left in its last row, and rows
// whose line end is gone (a file cut short reads as zeros) share the bytes
// left evenly; the log's lines are all of one width, so they come out where
// they were. Either way each row lies in [begin, end), in order.
void decodeBlock(const char* data, std::size_t size, std::size_t begin, std::size_t end, std::size_t count,
                 std::size_t* starts)
{
    starts[0] = begin;
    std::size_t found = 0;
    if (count > 1) {
        eachLineEnd(data, size, begin, end, [&](std::size_t at) {
            starts[++found] = at + 1;
            return found + 1 < count;
        });
    }
    const std::size_t missing = count - found, rest = end - starts[found];
    for (std::size_t k = 1; k < missing; ++k)
        starts[found + k] = starts[found] + rest / missing * k + rest % missing * k / missing;
    starts[count] = end;
}

} // namespace

LineIndex indexLines(const char* data, std::size_t size, unsigned threads)
{
    std::vector<Piece> pieces;
    const std::size_t count = pieceCount(size, threads);
    for (std::size_t i = 0; i < count; ++i) {
        pieces.emplace_back();
        pieces.back().begin = size / count * i / 64 * 64;
        pieces.back().end = i + 1 == count ? size : size / count * (i + 1) / 64 * 64;
        pieces.back().indexedAt = i == 0 ? kIndexStep - 1 : 0; // line 0 is in the index already
    }
    onAllCores<Piece>(pieces, [&](Piece& piece) { indexPiece(data, size, piece); });

    LineIndex index;
    index.entries.push_back({0, 0});
    std::size_t lineStart = 0;
    for (const Piece& piece : pieces) {
        if (piece.ends > 0) {
            index.longest = std::max({index.longest, piece.longest, lineLength(data, lineStart, piece.firstEnd)});
            lineStart = piece.afterLastEnd;
        }
        for (std::size_t k = 0; k < piece.starts.size(); ++k)
            index.entries.push_back({index.lines + 1 + piece.indexedAt + k * kIndexStep, piece.starts[k]});
        index.lines += piece.ends;
    }
    if (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r') {
        ++index.lines;
        index.longest = std::max(index.longest, size - lineStart);
    }
    if (index.entries.back().line == index.lines) // the start of no line: the end
        index.entries.pop_back();
    index.entries.push_back({index.lines, size});
    index.entries.shrink_to_fit();
    return index;
}

std::size_t LineList::indexBytes(const LineIndex& index)
{
    return index.entries.size() * sizeof(LineIndex::Entry) + 2 * (kIndexStep + 1) * sizeof(std::size_t);
}

LineList::LineList(PageBytes bytes, std::size_t size, LineIndex index)
    : bytes_(std::move(bytes))
    , size_(size)
    , index_(std::move(index))
{
    // Taken now, so that reading a row never needs memory.
    if (index_.lines > 0) {
        for (Block& block : blocks_)
            block.starts.resize(kIndexStep + 1);
    }
}

LineList LineList::fromBytes(std::string_view bytes)
{
    PageBytes copy = allocatePageBytes(bytes.size());
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    LineIndex index = indexLines(copy.get(), bytes.size(), std::max(1u, std::thread::hardware_concurrency()));
    return LineList(std::move(copy), bytes.size(), std::move(index));
}

const LineList::Block& LineList::blockOf(std::size_t line) const
{
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (line - blocks_[i].first < blocks_[i].count) {
            lastUsed_ = i;
            return blocks_[i];
        }
    }
    lastUsed_ = 1 - lastUsed_;
    Block& block = blocks_[lastUsed_];
    const auto& entries = index_.entries;
    const auto next = std::upper_bound(entries.begin(), entries.end(), line,
                                       [](std::size_t wanted, const LineIndex::Entry& entry) { return wanted < entry.line; });
    const LineIndex::Entry& from = *(next - 1);
    block.count = 0; // until it is whole
    if (block.starts.size() < next->line - from.line + 1)
        block.starts.resize(next->line - from.line + 1);
    decodeBlock(bytes_.get(), size_, from.offset, next->offset, next->line - from.line, block.starts.data());
    block.first = from.line;
    block.count = next->line - from.line;
    return block;
}

std::string_view LineList::bytesAt(std::size_t index) const
{
    const Block& block = blockOf(index);
    std::size_t begin = block.starts[index - block.first];
    std::size_t end = block.starts[index - block.first + 1];
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
