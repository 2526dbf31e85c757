#pragma once

#include <cstdint>

#include "EditKind.h"

// One step, or one run of single-character steps, that Undo or Redo can replay.
struct UndoRecord {
    UndoRecord* next = nullptr; // the next older record of the same list
    std::int32_t line = 0;      // where the replay acts
    std::int32_t column = 0;
    std::int32_t endLine = 0; // end of the range, for the block kinds 12 and 17
    std::int32_t endColumn = 0;
    EditKind kind{};        // 7-12 on the undo list, 13-18 on the redo list
    std::int32_t count = 0; // characters still to replay in a run; 0 for block kinds
    std::int32_t bufferSize = 0;
    // The run's saved bytes, oldest first (buffer[count - 1] is replayed next), or the
    // NUL-ended text of a deleted block. From the kvmem allocator.
    char* buffer = nullptr;
};

// Frees a record and its buffer.
void FreeUndoRecord(UndoRecord* record) noexcept;

// The two histories of a store, newest first.
struct UndoJournal {
    UndoRecord* undoList = nullptr;
    UndoRecord* redoList = nullptr;

    UndoJournal() = default;
    UndoJournal(const UndoJournal&) = delete;
    UndoJournal& operator=(const UndoJournal&) = delete;
    ~UndoJournal() { Clear(); }

    static void Push(UndoRecord*& list, UndoRecord* record) noexcept {
        record->next = list;
        list = record;
    }
    static UndoRecord* Pop(UndoRecord*& list) noexcept {
        UndoRecord* record = list;
        if (record) {
            list = record->next;
            record->next = nullptr;
        }
        return record;
    }
    // Iterative, so that a history of millions of records cannot exhaust the stack.
    static void FreeList(UndoRecord*& list) noexcept;

    void Clear() noexcept {
        FreeList(redoList);
        FreeList(undoList);
    }
};
