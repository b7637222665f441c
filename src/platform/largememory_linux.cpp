// SPDX-License-Identifier: MIT
#include "largememory.h"

#include <cstdint>
#include <sys/mman.h>

namespace {

constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;

} // namespace

void preferHugePages(void* data, std::size_t size)
{
    // Only the huge pages wholly inside the block: the rest of an edge page may belong to another.
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (address + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (address + size) & ~(kHugePage - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
