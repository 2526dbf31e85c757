#pragma once

#include <cstddef>
#include <vector>

#include "HugeRegion.h"
#include "LineRecord.h"

// Hands out LineRecords from large blocks: a 2-million-line file would otherwise pay for
// two million separate heap blocks, each with its own header.
class LinePool {
public:
    LinePool() = default;
    ~LinePool();
    LinePool(const LinePool&) = delete;
    LinePool& operator=(const LinePool&) = delete;

    // A blank record (all fields zero); throws std::bad_alloc when memory runs out.
    LineRecord* Allocate();
    void Release(LineRecord* record) noexcept;
    // Gives back every block: every record handed out is gone.
    void Clear() noexcept;

private:
    // Blocks double from the first size up to the largest, so a small file costs little; a
    // block of the largest size fills one huge page of its own.
    static constexpr std::size_t kFirstBlockRecords = 64;
    static constexpr std::size_t kMaxBlockRecords = kHugePageSize / sizeof(LineRecord);

    struct FreeRecord {
        FreeRecord* next;
    };
    struct Block {
        LineRecord* records;
        std::size_t count;
        bool inRegion;
    };

    static Block NewBlock(std::size_t count);

    std::vector<Block> m_blocks;
    std::size_t m_lastBlockSize = 0;
    std::size_t m_usedInLastBlock = 0;
    FreeRecord* m_free = nullptr;
};
