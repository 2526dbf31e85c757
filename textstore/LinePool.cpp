#include "LinePool.h"

#include <algorithm>
#include <new>

LinePool::~LinePool() {
    Clear();
}

void LinePool::Clear() noexcept {
    for (const Block& block : m_blocks) {
        if (block.inRegion)
            RegionFree(block.records, block.count * sizeof(LineRecord));
        else
            ::operator delete(block.records);
    }
    m_blocks.clear();
    m_lastBlockSize = 0;
    m_usedInLastBlock = 0;
    m_free = nullptr;
}

// Records are made in place as they are handed out, so a block is raw memory; a block of a
// huge page's size asks for a region, and takes the heap when none can be had.
LinePool::Block LinePool::NewBlock(std::size_t count) {
    const std::size_t bytes = count * sizeof(LineRecord);
    if (bytes >= kHugePageSize) {
        if (void* region = RegionAllocate(bytes))
            return {static_cast<LineRecord*>(region), count, true};
    }
    void* heap = ::operator new(bytes);
    return {static_cast<LineRecord*>(heap), count, false};
}

LineRecord* LinePool::Allocate() {
    void* slot;
    if (m_free != nullptr) {
        slot = m_free;
        m_free = m_free->next;
    } else {
        if (m_usedInLastBlock == m_lastBlockSize) {
            const std::size_t size = m_lastBlockSize == 0
                                         ? kFirstBlockRecords
                                         : std::min(m_lastBlockSize * 2, kMaxBlockRecords);
            m_blocks.reserve(m_blocks.size() + 1);
            m_blocks.push_back(NewBlock(size));
            m_lastBlockSize = size;
            m_usedInLastBlock = 0;
        }
        slot = &m_blocks.back().records[m_usedInLastBlock++];
    }
    return new (slot) LineRecord{};
}

void LinePool::Release(LineRecord* record) noexcept {
    static_assert(sizeof(LineRecord) >= sizeof(FreeRecord));
    m_free = new (static_cast<void*>(record)) FreeRecord{m_free};
}
