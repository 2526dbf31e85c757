#include "KvMem.h"

#include "HugeRegion.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <sys/sysinfo.h>

namespace {

// Each block carries its size in a header; the header keeps max_align_t alignment. A block
// of several MiB lives in a huge-page region (the header at its start), any other on the
// heap.
struct alignas(alignof(std::max_align_t)) BlockHeader {
    std::size_t size;
    bool inRegion;
};

constexpr std::size_t kHeader = sizeof(BlockHeader);
constexpr std::size_t kMaxRequest = std::numeric_limits<std::size_t>::max() / 2 - kHeader;

BlockHeader* HeaderOf(void* block) {
    return reinterpret_cast<BlockHeader*>(static_cast<char*>(block) - kHeader);
}

void* BlockOf(BlockHeader* header) {
    return reinterpret_cast<char*>(header) + kHeader;
}

// The platform's view of free memory, for the diagnosis only. Swap plays the part of
// the page file.
void ReportMemory() {
    struct sysinfo info {};
    unsigned long long physical = 0;
    unsigned long long swap = 0;
    if (sysinfo(&info) == 0) {
        physical = static_cast<unsigned long long>(info.freeram) * info.mem_unit;
        swap = static_cast<unsigned long long>(info.freeswap) * info.mem_unit;
    }
    std::fprintf(stderr, "   --> Available Physical Memory: %llu bytes", physical);
    std::fprintf(stderr, "   --> Available Page File: %llu bytes", swap);
}

[[noreturn]] void Fail(const char* who, std::size_t size) {
    std::fprintf(stderr, "%s: Heap Allocation error\n", who);
    std::fprintf(stderr, "%s: Internal Error: can't allocate %zu bytes.\n", who, size);
    ReportMemory();
    std::exit(-1);
}

bool WantsRegion(std::size_t size) {
    return kHeader + size >= kRegionThreshold;
}

// A zeroed header and block: in a region when the size asks for one and the system gives
// it, else on the heap. Null when neither can be had.
BlockHeader* NewBlock(std::size_t size) {
    if (WantsRegion(size)) {
        if (auto* header = static_cast<BlockHeader*>(RegionAllocate(kHeader + size))) {
            header->inRegion = true;
            return header;
        }
    }
    return static_cast<BlockHeader*>(std::calloc(1, kHeader + size));
}

void FreeBlock(BlockHeader* header) {
    if (header->inRegion)
        RegionFree(header, kHeader + header->size);
    else
        std::free(header);
}

// The block at header resized to `size`, its first bytes kept, or null (the block left as it
// was). It moves between the heap and a region when the size crosses the threshold.
BlockHeader* ResizeBlock(BlockHeader* header, std::size_t size) {
    if (header->inRegion && WantsRegion(size))
        return static_cast<BlockHeader*>(
            RegionResize(header, kHeader + header->size, kHeader + size));
    if (!header->inRegion && !WantsRegion(size))
        return static_cast<BlockHeader*>(std::realloc(header, kHeader + size));
    BlockHeader* moved = NewBlock(size);
    if (moved == nullptr)
        return nullptr;
    std::memcpy(BlockOf(moved), BlockOf(header), std::min(header->size, size));
    FreeBlock(header);
    return moved;
}

} // namespace

void* kvmem_malloc(std::size_t size) {
    if (size == 0)
        return nullptr;
    BlockHeader* header = size <= kMaxRequest ? NewBlock(size) : nullptr;
    if (header == nullptr)
        Fail("kvmem_malloc", size);
    header->size = size;
    return BlockOf(header);
}

void* kvmem_realloc(void* block, std::size_t size) {
    if (block == nullptr)
        return kvmem_malloc(size);
    BlockHeader* header = HeaderOf(block);
    const std::size_t oldSize = header->size;
    header = size <= kMaxRequest ? ResizeBlock(header, size) : nullptr;
    if (header == nullptr)
        Fail("kvmem_realloc", size);
    header->size = size;
    block = BlockOf(header);
    if (size > oldSize)
        std::memset(static_cast<char*>(block) + oldSize, 0, size - oldSize);
    return block;
}

void* kvmem_calloc(std::size_t count, std::size_t size) {
    std::size_t total = 0;
    if (__builtin_mul_overflow(count, size, &total))
        Fail("kvmem_malloc", std::numeric_limits<std::size_t>::max());
    return kvmem_malloc(total); // already zeroed
}

void kvmem_free(void** holder) {
    if (holder == nullptr || *holder == nullptr)
        return;
    FreeBlock(HeaderOf(*holder));
    *holder = nullptr;
}

void kvmem_release(void* block) {
    kvmem_free(&block);
}

std::size_t kvmem_size(const void* block) {
    if (block == nullptr)
        return 0;
    return HeaderOf(const_cast<void*>(block))->size;
}
