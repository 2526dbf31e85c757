#include "EditGuard.h"
#include "KvMem.h"

namespace {

// How a run record's position moves after one of its steps is replayed.
int ColumnStep(EditKind kind) {
    switch (kind) {
    case kUndoInsertChar:
    case kUndoOvertypeChar:
    case kRedoDeleteBefore:
        return -1;
    case kUndoDeleteBefore:
    case kRedoInsertChar:
    case kRedoOvertypeChar:
        return 1;
    default:
        return 0; // the Delete runs stay where they are
    }
}

bool IsRunKind(EditKind kind) {
    return (kind >= kUndoInsertChar && kind <= kUndoDeleteAt) ||
           (kind >= kRedoInsertChar && kind <= kRedoDeleteAt);
}

} // namespace

std::optional<UndoStep> TextStore::Undo() {
    return Replay(m_journal.undoList);
}

std::optional<UndoStep> TextStore::Redo() {
    return Replay(m_journal.redoList);
}

std::optional<UndoStep> TextStore::Replay(UndoRecord*& list) {
    // The record stays on top of its list while it is replayed: the replay pushes only
    // onto the other list, and a refused or failed step must leave both as they were.
    UndoRecord* record = list;
    if (record == nullptr)
        return std::nullopt;
    if (record->kind == kUndoReplaceAll || record->kind == kRedoReplaceAll)
        return ReplayReplaceAll(list);
    const bool run = IsRunKind(record->kind);
    if (run &&
        (record->count < 1 || (SavesByte(record->kind) && record->count > record->bufferSize))) {
        FreeUndoRecord(UndoJournal::Pop(list)); // nothing left to replay
        return std::nullopt;
    }
    const EditKind kind = record->kind;
    const TextPos at{record->line, record->column};
    const TextPos end{record->endLine, record->endColumn};
    const char* text = "";
    if (SavesByte(record->kind))
        text = &record->buffer[record->count - 1];
    else if ((record->kind == kUndoDeleteBlock || record->kind == kRedoInsertText) &&
             record->buffer != nullptr)
        text = record->buffer;

    const EditResult result = RunEdit(at, record->kind, text, end, false);
    if (result.done) {
        if (run && --record->count > 0)
            record->column += ColumnStep(record->kind);
        else
            FreeUndoRecord(UndoJournal::Pop(list));
    }
    if (document)
        document->SetModifiedFlag(m_journal.undoList != nullptr);
    return UndoStep{kind, at, result.pos, result.done};
}

std::optional<UndoStep> TextStore::ReplayReplaceAll(UndoRecord*& list) {
    UndoRecord* record = list;
    const EditKind kind = record->kind;
    const bool undoing = kind == kUndoReplaceAll;
    const TextPos at{record->line, record->column};
    const EditResult result = Guarded(at, false, false, [&](TextPos clamped) {
        EditResult applied =
            ApplySpans(clamped, record->buffer, kvmem_size(record->buffer), record->count,
                       undoing ? kRedoReplaceAll : kUndoReplaceAll,
                       undoing ? m_journal.redoList : m_journal.undoList);
        // An undone Replace All leaves the caret where the first replacement was, a redone
        // one after the last, as the Replace All itself did.
        if (applied.done && undoing)
            applied.pos = applied.change.from;
        return applied;
    });
    // The inverse went onto the other list: the replayed record is still on top of its own.
    if (result.done)
        FreeUndoRecord(UndoJournal::Pop(list));
    if (document)
        document->SetModifiedFlag(m_journal.undoList != nullptr);
    return UndoStep{kind, at, result.pos, result.done};
}
