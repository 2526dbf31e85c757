#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "LineRecord.h"

// Hands out LineRecords from large blocks: a 2-million-line file would otherwise pay for
// two million separate heap blocks, each with its own header.
class LinePool {
public:
    LinePool() = default;
    LinePool(const LinePool&) = delete;
    LinePool& operator=(const LinePool&) = delete;

    // A blank record (all fields zero); throws std::bad_alloc when memory runs out.
    LineRecord* Allocate();
    void Release(LineRecord* record) noexcept;

private:
    // Blocks double from the first size up to the largest, so a small file costs little.
    static constexpr std::size_t kFirstBlockRecords = 64;
    static constexpr std::size_t kMaxBlockRecords = 16384;

    struct FreeRecord {
        FreeRecord* next;
    };

    std::vector<std::unique_ptr<LineRecord[]>> m_blocks;
    std::size_t m_lastBlockSize = 0;
    std::size_t m_usedInLastBlock = 0;
    FreeRecord* m_free = nullptr;
};
