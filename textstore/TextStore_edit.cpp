#include "TextStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "KvMem.h"
#include "LineScan.h"

namespace {

// Typed growth goes in steps of this many bytes.
constexpr int kGrowStep = 20;

// Bytes compare as signed: 128-255 count as below 32, like control characters.
constexpr bool IsControl(char c) noexcept {
    return static_cast<signed char>(c) < 32;
}

bool Continues(const UndoRecord* top, int kind, std::int32_t line, std::int32_t column) {
    return top != nullptr && top->kind == kind && top->line == line && top->column == column;
}

} // namespace

// Where a single-character step is recorded: the top record when the run goes on, else a
// fresh one. A fresh record is pushed, and either one counted, only when the step is done,
// so a refused or failed step leaves the list as it was.
struct RunSlot {
    UndoRecord* record = nullptr;
    bool fresh = false;
};

static bool PrepareRun(UndoRecord* list, int kind, bool continues, bool savesBytes, RunSlot& slot) {
    if (continues) {
        slot = {list, false};
    } else {
        slot = {new (std::nothrow) UndoRecord{}, true};
        if (slot.record == nullptr)
            return false;
        slot.record->kind = kind;
    }
    UndoRecord* record = slot.record;
    if (savesBytes && record->bufferSize < record->count + 1) {
        record->buffer = static_cast<char*>(
            kvmem_realloc(record->buffer, std::size_t(record->bufferSize) + kGrowStep));
        record->bufferSize += kGrowStep;
    }
    return true;
}

static void CommitRun(UndoRecord*& list, const RunSlot& slot, TextPos pos, const char* saved) {
    UndoRecord* record = slot.record;
    record->line = pos.line;
    record->column = pos.column;
    if (saved != nullptr)
        record->buffer[record->count] = *saved;
    ++record->count;
    if (slot.fresh)
        UndoJournal::Push(list, record);
}

static void DiscardRun(const RunSlot& slot) {
    if (slot.fresh)
        FreeUndoRecord(slot.record);
}

TextPos TextStore::Edit(TextPos from, int kind, const char* text, TextPos to) {
    return RunEdit(from, kind, text, to).pos;
}

TextStore::EditResult TextStore::RunEdit(TextPos from, int kind, const char* text, TextPos to,
                                         bool reportModified) {
    EditResult result{from, false};
    const bool allowed = document == nullptr || document->AllowEdit();
    if (allowed && kind >= kInsertChar && kind <= kRedoInsertText && lineCount > 0) {
        if (IsUserEdit(kind))
            UndoJournal::FreeList(journal.redoList);
        // A stale position (a second pane, say) is brought within the text first, so no
        // routine reads or writes outside a line.
        const TextPos at = Clamp(from);
        const char c = text != nullptr ? text[0] : '\0';
        switch (kind) {
        case kInsertChar:
        case kUndoDeleteBefore:
        case kRedoInsertChar:
            result = InsertChar(at, c, kind);
            break;
        case kDeleteBefore:
        case kUndoInsertChar:
        case kRedoDeleteBefore:
            result = DeleteBefore(at, kind);
            break;
        case kOvertypeChar:
        case kRedoOvertypeChar:
            result = OvertypeChar(at, c, kind);
            break;
        case kDeleteAt:
        case kRedoDeleteAt:
            result = DeleteAt(at, kind);
            break;
        case kUndoOvertypeChar:
            result = RestoreOvertyped(at, c);
            break;
        case kUndoDeleteAt:
            result = ReinsertDeleted(at, c);
            break;
        case kDeleteBlock:
        case kUndoInsertText:
        case kRedoDeleteBlock:
            result = DeleteBlock(at, Clamp(to), kind);
            break;
        case kInsertText:
        case kUndoDeleteBlock:
        case kRedoInsertText:
            result = InsertText(at, text != nullptr ? text : "", kind);
            break;
        }
    }
    if (document && reportModified)
        document->SetModifiedFlag(journal.undoList != nullptr);
    return result;
}

bool TextStore::InsertByte(LineRecord* line, std::int32_t column, char c) {
    if (line->length + 1 >= line->capacity && !GrowLine(line, kGrowStep))
        return false;
    char* text = line->text;
    std::memmove(text + column + 1, text + column, std::size_t(line->length - column) + 1);
    text[column] = c;
    ++line->length;
    return true;
}

bool TextStore::SplitLine(LineRecord* line, std::int32_t column) {
    if (line->text == nullptr && !GrowLine(line, kGrowStep))
        return false;
    const std::int32_t tail = line->length - column;
    LineRecord* rest = NewLine();
    if (rest == nullptr)
        return false;
    if (!GrowLine(rest, std::int64_t{tail} + 1 + kGrowStep)) {
        FreeLine(rest);
        return false;
    }
    // The tail keeps the line's terminator byte; the line itself now ends at a CR.
    std::memcpy(rest->text, line->text + column, std::size_t(tail) + 1);
    rest->length = tail;
    InsertLineAfter(rest, line);
    line->length = column;
    line->text[column] = '\r';
    return true;
}

bool TextStore::JoinNext(LineRecord* line) {
    LineRecord* next = line->next;
    const std::int64_t joined = std::int64_t{line->length} + next->length;
    if (line->capacity < joined + kGrowStep &&
        !GrowLine(line, std::int64_t{next->length} + kGrowStep))
        return false;
    char* at = line->text + line->length;
    if (next->text != nullptr)
        std::memmove(at, next->text, std::size_t(next->length) + 1);
    else
        *at = '\0';
    line->length = static_cast<std::int32_t>(joined);
    FreeLine(UnlinkLine(next));
    return true;
}

TextStore::EditResult TextStore::InsertChar(TextPos at, char c, int kind) {
    const bool typed = kind == kInsertChar || kind == kRedoInsertChar;
    // No line end other than CR ever enters a line, whatever the caller passes.
    if ((typed && c != '\r' && c != '\t' && IsControl(c)) || c == '\0' || c == '\n') {
        if (document)
            document->Beep();
        return {at, false};
    }
    UndoRecord*& list = kind == kUndoDeleteBefore ? journal.redoList : journal.undoList;
    const int recordKind = kind == kUndoDeleteBefore ? kRedoDeleteBefore : kUndoInsertChar;
    const TextPos next = c == '\r' ? TextPos{at.line + 1, 0} : TextPos{at.line, at.column + 1};

    RunSlot slot;
    if (!PrepareRun(list, recordKind, Continues(list, recordKind, next.line, next.column - 1),
                    false, slot)) {
        OutOfMemory();
        return {at, false};
    }
    LineRecord* line = LineAt(at.line);
    if (!(c == '\r' ? SplitLine(line, at.column) : InsertByte(line, at.column, c))) {
        DiscardRun(slot);
        OutOfMemory();
        return {at, false};
    }
    CommitRun(list, slot, next, nullptr);
    return {next, true};
}

TextStore::EditResult TextStore::DeleteBefore(TextPos at, int kind) {
    if (at.line == 0 && at.column == 0) {
        if (document)
            document->Beep();
        return {at, false};
    }
    UndoRecord*& list = kind == kUndoInsertChar ? journal.redoList : journal.undoList;
    const int recordKind = kind == kUndoInsertChar ? kRedoInsertChar : kUndoDeleteBefore;
    const bool continues = at.column >= 1 && Continues(list, recordKind, at.line, at.column);
    RunSlot slot;
    if (!PrepareRun(list, recordKind, continues, true, slot)) {
        OutOfMemory();
        return {at, false};
    }
    LineRecord* line = LineAt(at.line);
    char deleted;
    TextPos pos;
    if (at.column >= 1) {
        char* text = line->text;
        deleted = text[at.column - 1];
        std::memmove(text + at.column - 1, text + at.column,
                     std::size_t(line->length - at.column) + 1);
        --line->length;
        pos = {at.line, at.column - 1};
    } else {
        LineRecord* previous = line->prev;
        const std::int32_t joinColumn = previous->length;
        if (!JoinNext(previous)) {
            DiscardRun(slot);
            OutOfMemory();
            return {at, false};
        }
        deleted = '\r';
        pos = {at.line - 1, joinColumn};
    }
    CommitRun(list, slot, pos, &deleted);
    return {pos, true};
}

TextStore::EditResult TextStore::OvertypeChar(TextPos at, char c, int) {
    if (IsControl(c)) {
        if (document)
            document->Beep();
        return {at, false};
    }
    UndoRecord*& list = journal.undoList;
    RunSlot slot;
    if (!PrepareRun(list, kUndoOvertypeChar, Continues(list, kUndoOvertypeChar, at.line, at.column),
                    true, slot)) {
        OutOfMemory();
        return {at, false};
    }
    LineRecord* line = LineAt(at.line);
    char replaced = '\0'; // NUL: the character was appended, there was none to replace
    if (at.column >= line->length) {
        if (line->length + 1 >= line->capacity && !GrowLine(line, kGrowStep)) {
            DiscardRun(slot);
            OutOfMemory();
            return {at, false};
        }
        line->text[line->length + 1] = line->text[line->length];
        ++line->length;
    } else {
        replaced = line->text[at.column];
    }
    line->text[at.column] = c;
    const TextPos pos{at.line, at.column + 1};
    CommitRun(list, slot, pos, &replaced);
    return {pos, true};
}

TextStore::EditResult TextStore::DeleteAt(TextPos at, int) {
    LineRecord* line = LineAt(at.line);
    if (at.column >= line->length && line->next == nullptr) {
        if (document)
            document->Beep();
        return {at, false};
    }
    UndoRecord*& list = journal.undoList;
    RunSlot slot;
    if (!PrepareRun(list, kUndoDeleteAt, Continues(list, kUndoDeleteAt, at.line, at.column), true,
                    slot)) {
        OutOfMemory();
        return {at, false};
    }
    char deleted = '\r';
    if (at.column < line->length) {
        char* text = line->text;
        deleted = text[at.column];
        std::memmove(text + at.column, text + at.column + 1, std::size_t(line->length - at.column));
        --line->length;
    } else if (!JoinNext(line)) {
        DiscardRun(slot);
        OutOfMemory();
        return {at, false};
    }
    CommitRun(list, slot, at, &deleted);
    return {at, true};
}

TextStore::EditResult TextStore::RestoreOvertyped(TextPos at, char saved) {
    LineRecord* line = LineAt(at.line);
    if (at.column == 0 || saved == '\r' || saved == '\n')
        return {at, false};
    RunSlot slot;
    if (!PrepareRun(journal.redoList, kRedoOvertypeChar, false, true, slot)) {
        OutOfMemory();
        return {at, false};
    }
    char* text = line->text;
    const char typed = text[at.column - 1];
    if (saved != '\0') {
        text[at.column - 1] = saved;
    } else {
        std::memmove(text + at.column - 1, text + at.column,
                     std::size_t(line->length - at.column) + 1);
        --line->length;
    }
    const TextPos pos{at.line, at.column - 1};
    CommitRun(journal.redoList, slot, pos, &typed);
    return {pos, true};
}

TextStore::EditResult TextStore::ReinsertDeleted(TextPos at, char saved) {
    if (saved == '\0' || saved == '\n')
        return {at, false};
    RunSlot slot;
    if (!PrepareRun(journal.redoList, kRedoDeleteAt, false, false, slot)) {
        OutOfMemory();
        return {at, false};
    }
    LineRecord* line = LineAt(at.line);
    if (!(saved == '\r' ? SplitLine(line, at.column) : InsertByte(line, at.column, saved))) {
        DiscardRun(slot);
        OutOfMemory();
        return {at, false};
    }
    CommitRun(journal.redoList, slot, at, nullptr);
    return {at, true};
}

bool TextStore::RemoveRange(TextPos start, TextPos end, char** saved, std::size_t* savedLength) {
    LineRecord* first = LineAt(start.line);
    if (start.line == end.line) {
        const std::size_t n = std::size_t(end.column - start.column);
        if (saved != nullptr) {
            *saved = static_cast<char*>(kvmem_malloc(n + 1));
            if (n > 0)
                std::memcpy(*saved, first->text + start.column, n);
            *savedLength = n;
        }
        if (n > 0) {
            std::memmove(first->text + start.column, first->text + end.column,
                         std::size_t(first->length - end.column) + 1);
            first->length -= static_cast<std::int32_t>(n);
        }
        return true;
    }

    // Measure, and make room in the first line, before anything changes.
    std::size_t size = std::size_t(first->length - start.column) + kLineBreakLength;
    LineRecord* last = first->next;
    for (std::int32_t index = start.line + 1; index < end.line; ++index) {
        size += std::size_t(last->length) + kLineBreakLength;
        last = last->next;
    }
    size += std::size_t(end.column);
    const std::int32_t rest = last->length - end.column;
    if (!EnsureCapacity(first, std::int64_t{start.column} + rest + 1))
        return false;

    if (saved != nullptr) {
        char* out = static_cast<char*>(kvmem_malloc(size + 1));
        *saved = out;
        *savedLength = size;
        // Every line break is saved as CR, whatever ended the line in its file: a NUL
        // here would cut the text short when it is inserted again.
        const std::string_view head = Chars(first).substr(std::size_t(start.column));
        out = std::copy(head.begin(), head.end(), out);
        *out++ = '\r';
        for (LineRecord* line = first->next; line != last; line = line->next) {
            const std::string_view chars = Chars(line);
            out = std::copy(chars.begin(), chars.end(), out);
            *out++ = '\r';
        }
        const std::string_view tail = Chars(last).substr(0, std::size_t(end.column));
        out = std::copy(tail.begin(), tail.end(), out);
        *out = '\0';
    }

    char* join = first->text + start.column;
    if (last->text != nullptr)
        std::memmove(join, last->text + end.column, std::size_t(rest) + 1);
    else
        *join = '\0';
    first->length = start.column + rest;
    while (first->next != last)
        FreeLine(UnlinkLine(first->next));
    FreeLine(UnlinkLine(last));
    return true;
}

TextStore::EditResult TextStore::DeleteBlock(TextPos a, TextPos b, int kind) {
    const TextPos start = std::min(a, b);
    const TextPos end = std::max(a, b);
    WaitCursorScope wait(document);
    auto* record = new (std::nothrow) UndoRecord{};
    char* saved = nullptr;
    std::size_t savedLength = 0;
    if (record == nullptr || !RemoveRange(start, end, &saved, &savedLength)) {
        delete record;
        OutOfMemory();
        return {a, false};
    }
    const bool replayingUndo = kind == kUndoInsertText;
    record->kind = replayingUndo ? kRedoInsertText : kUndoDeleteBlock;
    record->line = start.line;
    record->column = start.column;
    record->buffer = saved;
    record->bufferSize = static_cast<std::int32_t>(
        std::min<std::size_t>(savedLength + 1, std::numeric_limits<std::int32_t>::max()));
    UndoJournal::Push(replayingUndo ? journal.redoList : journal.undoList, record);
    return {start, true};
}

TextStore::EditResult TextStore::InsertText(TextPos at, const char* text, int kind) {
    WaitCursorScope wait(document);
    auto* record = new (std::nothrow) UndoRecord{};
    if (record == nullptr) {
        OutOfMemory();
        return {at, false};
    }
    LineRecord* line = LineAt(at.line);
    TextPos pos = at;
    // What has been inserted so far ends at `reached`; a failure takes it out again, so
    // that the text never changes without a record to undo it.
    auto fail = [&](TextPos reached) {
        RemoveRange(at, reached, nullptr, nullptr);
        delete record;
        OutOfMemory();
        return EditResult{at, false};
    };

    const char* cur = text;
    while (*cur != '\0') {
        const char* end = cur;
        while (!IsLineEnd(*end))
            ++end;
        const std::int32_t pieceLength = static_cast<std::int32_t>(
            std::min<std::ptrdiff_t>(end - cur, std::numeric_limits<std::int32_t>::max()));
        const int breakLength = *end == '\r' ? (end[1] == '\n' ? 2 : 1) : (*end == '\n' ? 1 : 0);
        if (breakLength > 0 && pos.column > 0) {
            // The tail moves to a line of its own; the piece ends this one.
            if (!SplitLine(line, pos.column))
                return fail(pos);
            if (!EnsureCapacity(line, std::int64_t{pos.column} + pieceLength + 1))
                return fail({pos.line + 1, 0});
            std::memcpy(line->text + pos.column, cur, std::size_t(pieceLength));
            line->text[pos.column + pieceLength] = '\r';
            line->length = pos.column + pieceLength;
            line = line->next;
            pos = {pos.line + 1, 0};
        } else if (breakLength > 0) {
            // A whole line above the current one, which keeps its text where it is.
            LineRecord* whole = NewLine();
            if (whole == nullptr || !GrowLine(whole, std::int64_t{pieceLength} + 1)) {
                FreeLine(whole);
                return fail(pos);
            }
            std::memcpy(whole->text, cur, std::size_t(pieceLength));
            whole->text[pieceLength] = '\r';
            whole->length = pieceLength;
            InsertLineAfter(whole, line->prev);
            ++pos.line;
        } else {
            if (!EnsureCapacity(line, std::int64_t{line->length} + pieceLength + 1))
                return fail(pos);
            char* into = line->text + pos.column;
            std::memmove(into + pieceLength, into, std::size_t(line->length - pos.column) + 1);
            std::memcpy(into, cur, std::size_t(pieceLength));
            line->length += pieceLength;
            pos.column += pieceLength;
        }
        cur = end + breakLength;
    }

    const bool replayingUndo = kind == kUndoDeleteBlock;
    record->kind = replayingUndo ? kRedoDeleteBlock : kUndoInsertText;
    record->line = at.line;
    record->column = at.column;
    record->endLine = pos.line;
    record->endColumn = pos.column;
    UndoJournal::Push(replayingUndo ? journal.redoList : journal.undoList, record);
    return {pos, true};
}
