#include "PageMemory.h"

#include <new>

namespace logbook {

// Large pages on Windows need a privilege that users do not hold: the heap
// serves every block.
void* allocatePages(std::size_t bytes) { return ::operator new(bytes); }

void freePages(void* block, std::size_t) noexcept { ::operator delete(block); }

// Files are read, never mapped, on Windows.
void populatePages(const char*, std::size_t) noexcept {}

} // namespace logbook
