#include "platform/PageBlocks.h"

#include <new>

#include <sys/mman.h>

namespace FileSystem {

void* AllocatePageBlock(size_t bytes) {
    // Filled at once: one call instead of a fault per page as the block fills, which the lists
    // that use these blocks would take anyway.
    void* block = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    return block;
}

void FreePageBlock(void* block, size_t bytes) {
    if (block) ::munmap(block, bytes);
}

}  // namespace FileSystem
