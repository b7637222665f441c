// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

/**
 * Asks the kernel to back the whole 2 MiB pages inside [data, data + size) with huge pages as
 * they are first touched. A fresh 4 KiB page costs several microseconds on a virtual machine;
 * a 100 MB file read into memory needs 25 000 of them, but only 50 huge ones. Blocks of 8 MiB
 * and more from the C++ allocator (the plain-text view's text and line tables) get the same
 * advice without asking in the programs that link pemmo_hugepage_allocator.
 */
void preferHugePages(void* data, std::size_t size);
