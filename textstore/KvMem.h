#pragma once

#include <cstddef>

// The program's allocator for every variable-size text buffer (line buffers, undo
// buffers, work buffers). Every byte it hands out starts as zero, and bytes added by
// kvmem_realloc are zero while the old contents stay: the text store relies on this
// (a fresh line buffer reads as an empty line). A failed allocation of a non-zero size
// never returns: the diagnosis goes to standard error and the process exits with -1.
//
// Failure policy: callers never test a non-zero request for null, since there is nothing
// to recover. Out-of-memory recovery ("Not enough memory to continue!") exists only where
// memory comes from elsewhere (operator new, the line pool, std::string, the file buffer)
// or where a line would pass its 2 GiB limit.

// Size 0 gives null, silently.
void* kvmem_malloc(std::size_t size);

// A null block behaves as kvmem_malloc. Size 0 keeps a valid, empty block.
void* kvmem_realloc(void* block, std::size_t size);

// count * size zeroed bytes; an overflowing product is a failed allocation.
void* kvmem_calloc(std::size_t count, std::size_t size);

// Frees the block the holder points at and clears the holder. A null holder, or one
// that holds null, is left alone.
void kvmem_free(void** holder);

template <class T> void kvmem_free(T** holder) {
    if (holder == nullptr)
        return;
    void* block = *holder;
    kvmem_free(&block);
    *holder = nullptr;
}

// Frees a block when the caller's variable need not be cleared.
void kvmem_release(void* block);

// The size a block was last given (0 for null).
std::size_t kvmem_size(const void* block);
