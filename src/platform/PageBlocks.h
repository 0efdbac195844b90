#pragma once
// Blocks of memory taken from the system page by page and given back the moment they are
// freed. The allocator of the C library keeps small and medium blocks for reuse (per thread),
// so a large list freed piece by piece would not make the process any smaller.

#include <cstddef>

namespace FileSystem {

// bytes is a multiple of the page size. Throws std::bad_alloc when no memory is to be had.
void* AllocatePageBlock(size_t bytes);
void FreePageBlock(void* block, size_t bytes);

}  // namespace FileSystem
