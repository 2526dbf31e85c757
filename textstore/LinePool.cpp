#include "LinePool.h"

#include <algorithm>
#include <new>

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
            m_blocks.emplace_back(new LineRecord[size]);
            m_lastBlockSize = size;
            m_usedInLastBlock = 0;
        }
        slot = &m_blocks.back()[m_usedInLastBlock++];
    }
    return new (slot) LineRecord{};
}

void LinePool::Release(LineRecord* record) noexcept {
    static_assert(sizeof(LineRecord) >= sizeof(FreeRecord));
    m_free = new (static_cast<void*>(record)) FreeRecord{m_free};
}
