#include "HugeRegion.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include <sys/mman.h>
#include <unistd.h>

namespace {

// The system's setting names its mode in brackets: "always [madvise] never". Both
// "always" and "madvise" give huge pages to a region advised for them.
bool ReadHugePagesOffered() {
    std::FILE* file = std::fopen("/sys/kernel/mm/transparent_hugepage/enabled", "r");
    if (file == nullptr)
        return false;
    char text[128] = {};
    const std::size_t got = std::fread(text, 1, sizeof text - 1, file);
    std::fclose(file);
    text[got] = '\0';
    return std::strstr(text, "[never]") == nullptr && std::strchr(text, '[') != nullptr;
}

void Advise(void* region, std::size_t span) {
    if (HugePagesOffered())
        madvise(region, span, MADV_HUGEPAGE);
}

// An address range of `span` bytes aligned to kHugePageSize, mapped with `protection`:
// over-mapped by one huge page less one page, then the ends beyond the aligned part are
// given back.
void* MapAligned(std::size_t span, int protection) {
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    const std::size_t extra = kHugePageSize - page;
    if (span > std::numeric_limits<std::size_t>::max() - extra)
        return nullptr;
    void* raw = mmap(nullptr, span + extra, protection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kHugePageSize - 1) & ~(kHugePageSize - 1);
    const std::size_t head = aligned - start;
    if (head > 0)
        munmap(raw, head);
    if (extra > head)
        munmap(reinterpret_cast<void*>(aligned + span), extra - head);
    return reinterpret_cast<void*>(aligned);
}

// What a buffer carries before its bytes: the span of its region, 0 for a heap buffer. Its
// alignment keeps the bytes as aligned as the heap would give them.
struct alignas(alignof(std::max_align_t)) BufferHeader {
    std::size_t span;
};
constexpr std::size_t kBufferHeader = sizeof(BufferHeader);

} // namespace

bool HugePagesOffered() noexcept {
    static const bool offered = ReadHugePagesOffered();
    return offered;
}

std::size_t RegionSpan(std::size_t size) noexcept {
    if (size == 0 || size > std::numeric_limits<std::size_t>::max() / 2)
        return 0;
    return (size + kHugePageSize - 1) & ~(kHugePageSize - 1);
}

void* RegionAllocate(std::size_t size) noexcept {
    const std::size_t span = RegionSpan(size);
    if (span == 0)
        return nullptr;
    void* region = MapAligned(span, PROT_READ | PROT_WRITE);
    if (region != nullptr)
        Advise(region, span);
    return region;
}

void RegionFree(void* region, std::size_t size) noexcept {
    if (region != nullptr)
        munmap(region, RegionSpan(size));
}

void* RegionResize(void* region, std::size_t oldSize, std::size_t newSize) noexcept {
    const std::size_t oldSpan = RegionSpan(oldSize);
    const std::size_t newSpan = RegionSpan(newSize);
    if (newSpan == 0)
        return nullptr;
    if (newSpan == oldSpan)
        return region;
    if (newSpan < oldSpan) {
        munmap(static_cast<char*>(region) + newSpan, oldSpan - newSpan);
        return region;
    }
    // Grown where it lies when the addresses after it are free; else its pages move to an
    // aligned range reserved for them, which the move takes over.
    void* grown = mremap(region, oldSpan, newSpan, 0);
    if (grown == MAP_FAILED) {
        void* target = MapAligned(newSpan, PROT_NONE);
        if (target == nullptr)
            return nullptr;
        grown = mremap(region, oldSpan, newSpan, MREMAP_MAYMOVE | MREMAP_FIXED, target);
        if (grown == MAP_FAILED) {
            munmap(target, newSpan);
            return nullptr;
        }
    }
    Advise(grown, newSpan);
    return grown;
}

char* BufferAllocate(std::size_t size) noexcept {
    if (size > std::numeric_limits<std::size_t>::max() / 2)
        return nullptr;
    const std::size_t total = kBufferHeader + size;
    BufferHeader* header = nullptr;
    if (total >= kRegionThreshold) {
        header = static_cast<BufferHeader*>(RegionAllocate(total));
        if (header != nullptr)
            header->span = RegionSpan(total);
    }
    if (header == nullptr) { // a small buffer, or a region the system would not give
        header = static_cast<BufferHeader*>(std::malloc(total));
        if (header == nullptr)
            return nullptr;
        header->span = 0;
    }
    return reinterpret_cast<char*>(header) + kBufferHeader;
}

void BufferFree(char* buffer) noexcept {
    if (buffer == nullptr)
        return;
    auto* header = reinterpret_cast<BufferHeader*>(buffer - kBufferHeader);
    if (header->span != 0)
        munmap(header, header->span);
    else
        std::free(header);
}
