// SPDX-License-Identifier: MIT
// Linked only into the programs that hold large texts (the editor and the benchmarks): replacing
// the global allocator is a whole-program decision, not one a library user should inherit.
#include "largememory.h"

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kLargeBlock = std::size_t(8) << 20;

void* allocate(std::size_t size)
{
    void* data = std::malloc(size ? size : 1);
    while (!data) {
        std::new_handler handler = std::get_new_handler();
        if (!handler)
            throw std::bad_alloc();
        handler();
        data = std::malloc(size ? size : 1);
    }
    if (size >= kLargeBlock)
        preferHugePages(data, size);
    return data;
}

} // namespace

// The text buffer of the editing component comes from the C++ allocator inside its own library;
// these definitions take the place of the standard ones there too. The deallocation functions are
// replaced with them, so that what malloc() gave goes back to free() whatever the C++ library does.
// A sanitizer brings an allocator of its own, which must stay whole.
#if defined(__SANITIZE_ADDRESS__)
#define PEMMO_OWN_ALLOCATOR 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define PEMMO_OWN_ALLOCATOR 0
#endif
#endif
#ifndef PEMMO_OWN_ALLOCATOR
#define PEMMO_OWN_ALLOCATOR 1
#endif

#if PEMMO_OWN_ALLOCATOR
void* operator new(std::size_t size)
{
    return allocate(size);
}

void* operator new[](std::size_t size)
{
    return allocate(size);
}

void operator delete(void* data) noexcept
{
    std::free(data);
}

void operator delete[](void* data) noexcept
{
    std::free(data);
}

void operator delete(void* data, std::size_t) noexcept
{
    std::free(data);
}

void operator delete[](void* data, std::size_t) noexcept
{
    std::free(data);
}
#endif
