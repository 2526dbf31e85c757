#include "UndoJournal.h"

#include "KvMem.h"

void FreeUndoRecord(UndoRecord* record) noexcept {
    if (record == nullptr)
        return;
    kvmem_free(&record->buffer);
    delete record;
}

void UndoJournal::FreeList(UndoRecord*& list) noexcept {
    while (UndoRecord* record = Pop(list))
        FreeUndoRecord(record);
}
