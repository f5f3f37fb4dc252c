#include "PageMemory.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <unistd.h>

namespace logbook {

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

std::size_t roundUp(std::size_t value) { return (value + kLargePage - 1) & ~(kLargePage - 1); }

} // namespace

void* allocatePages(std::size_t bytes)
{
    // Blocks under one large page, such as small files, are the heap's
    // business.
    if (bytes < kLargePage)
        return ::operator new(bytes);
    if (bytes > SIZE_MAX - 2 * kLargePage)
        throw std::bad_alloc();
    // Only whole, aligned large pages can be huge: map one more, then trim
    // the block to start on a large page boundary.
    const std::size_t length = roundUp(bytes);
    void* mapped = ::mmap(nullptr, length + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundUp(start);
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    ::munmap(reinterpret_cast<char*>(aligned + length), start + kLargePage - aligned);
    void* block = reinterpret_cast<void*>(aligned);
#ifdef MADV_HUGEPAGE
    // Refused where huge pages are off; small pages serve then.
    ::madvise(block, length, MADV_HUGEPAGE);
#endif
    return block;
}

void freePages(void* block, std::size_t bytes) noexcept
{
    if (bytes < kLargePage)
        ::operator delete(block);
    else
        ::munmap(block, roundUp(bytes));
}

void populatePages(const char* start, std::size_t bytes) noexcept
{
#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22 // Linux 5.14 on; older kernels refuse it, harmlessly
#endif
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(start) & ~(page - 1);
    ::madvise(reinterpret_cast<void*>(first), reinterpret_cast<std::uintptr_t>(start) + bytes - first, MADV_POPULATE_READ);
}

} // namespace logbook
