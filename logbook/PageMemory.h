#pragma once
// Memory for a loaded file's bytes, taken straight from
// the system. Where the system offers 2 MiB pages the blocks use them, so
// that a 60 MB log costs about 30 page faults instead of 15,000.

#include <cstddef>
#include <memory>

namespace logbook {

// At least `bytes` of uninitialised memory; throws std::bad_alloc.
void* allocatePages(std::size_t bytes);
// Gives back a block from allocatePages(bytes).
void freePages(void* block, std::size_t bytes) noexcept;

// Reads the pages of a part of a mapped file in from the page cache or the
// disk, so that a large mapping can be populated a step at a time; where the
// system cannot, its pages come in as they are first read.
void populatePages(const char* start, std::size_t bytes) noexcept;

// Blocks of loaded bytes: memory from allocatePages, or a file's mapping,
// each given back in its own way.
struct PagesDeleter {
    std::size_t bytes = 0;
    void (*release)(void* block, std::size_t bytes) noexcept = freePages;
    void operator()(char* block) const noexcept { release(block, bytes); }
};
using PageBytes = std::unique_ptr<char[], PagesDeleter>;

inline PageBytes allocatePageBytes(std::size_t bytes)
{
    return PageBytes(static_cast<char*>(allocatePages(bytes)), PagesDeleter{bytes});
}

// Lets a std::vector keep its elements in such memory.
template<typename T> struct PageAllocator {
    using value_type = T;
    PageAllocator() = default;
    template<typename U> PageAllocator(const PageAllocator<U>&) noexcept {}
    T* allocate(std::size_t count) { return static_cast<T*>(allocatePages(count * sizeof(T))); }
    void deallocate(T* block, std::size_t count) noexcept { freePages(block, count * sizeof(T)); }
    template<typename U> bool operator==(const PageAllocator<U>&) const noexcept { return true; }
};

} // namespace logbook
