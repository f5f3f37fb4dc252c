#pragma once
// Work on a large file split in pieces, one a core: the line split and,
// where a file is copied into memory, its read.

#include <algorithm>
#include <cstddef>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace logbook {

// Files from this size on are split in pieces of at least kSmallestPiece.
constexpr std::size_t kSplitInPiecesFrom = 4 << 20;
constexpr std::size_t kSmallestPiece = 2 << 20;

inline std::size_t pieceCount(std::size_t size, unsigned threads)
{
    return size < kSplitInPiecesFrom ? 1 : std::clamp<std::size_t>(size / kSmallestPiece, 1, threads);
}

// Runs `work` on each piece, all but the first on threads of their own; the
// first failure is passed on once all are done.
template<typename Piece> void onAllCores(std::vector<Piece>& pieces, const std::function<void(Piece&)>& work)
{
    std::vector<std::exception_ptr> failures(pieces.size());
    const auto run = [&](std::size_t i) {
        try {
            work(pieces[i]);
        } catch (...) {
            failures[i] = std::current_exception();
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        try {
            helpers.emplace_back(run, i);
        } catch (const std::system_error&) {
            run(i); // no thread to spare
        }
    }
    run(0);
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace logbook
