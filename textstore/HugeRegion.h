#pragma once

#include <cstddef>

// Memory for the store's big blocks (the file buffer, line-record pools of a large file,
// line and undo buffers of many megabytes) in regions aligned to 2 MiB and advised for huge
// pages where the system offers transparent huge pages. On a machine where every 4 KiB
// page costs a fault and a TLB walk, reading and scanning such a block in 2 MiB pages is
// many times faster. Smaller blocks come from the ordinary heap: a region costs at most one
// partly used 2 MiB page more than its size, which only sizes of several MiB can afford.
//
// Every byte of a fresh region reads as zero.

inline constexpr std::size_t kHugePageSize = std::size_t(2) << 20;
// Sizes from this up take a region when they are not asked for one outright.
inline constexpr std::size_t kRegionThreshold = std::size_t(4) << 20;

// The bytes a region of `size` occupies: size rounded up to whole 2 MiB pages; 0 for a
// size no region can hold.
std::size_t RegionSpan(std::size_t size) noexcept;

// A zeroed region of `size` bytes aligned to kHugePageSize, or null when the system cannot
// give it (size 0 included).
void* RegionAllocate(std::size_t size) noexcept;

// Gives back a region; `size` is the size it was allocated or last resized with.
void RegionFree(void* region, std::size_t size) noexcept;

// The region grown or shrunk to newSize, in place when it can be, else moved without
// copying its bytes (the pages themselves move); the contents up to the smaller size stay,
// and bytes beyond the old span read as zero. Null, with the region left as it was, when
// the system cannot give the room.
void* RegionResize(void* region, std::size_t oldSize, std::size_t newSize) noexcept;

// True when the system hands out transparent huge pages to regions that ask for them.
bool HugePagesOffered() noexcept;

// A buffer of `size` bytes: in a region from kRegionThreshold up, else from the heap; null
// when it cannot be had. Its bytes are not promised to be zero. BufferFree gives back
// either kind, and does nothing for null.
char* BufferAllocate(std::size_t size) noexcept;
void BufferFree(char* buffer) noexcept;
