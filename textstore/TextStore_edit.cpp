#include "TextStore.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "CharClass.h"
#include "EditGuard.h"
#include "KvMem.h"
#include "LineScan.h"

namespace {

// Typed growth goes in steps of this many bytes.
constexpr int kGrowStep = 20;

// Whether a single-character step at `at` goes on with the run on top of its list rather
// than starting a record of its own; c is the character an insert puts in. One record per
// run makes one Undo take back a whole word typed or deleted.
bool ExtendsRun(const UndoRecord* top, EditKind recordKind, TextPos at, char c) {
    if (top == nullptr || top->kind != recordKind)
        return false;
    const bool whereRunEnded = top->line == at.line && top->column == at.column;
    switch (recordKind) {
    case kUndoInsertChar:   // typing goes on where the last character went; Enter starts anew
    case kRedoDeleteBefore: // an undone Backspace run puts its characters back the same way
        return whereRunEnded && c != '\r';
    case kUndoDeleteBefore: // Backspace goes on leftwards; taking a line break starts anew
    case kRedoInsertChar:   // an undone typing run takes its characters out the same way
        return whereRunEnded && at.column >= 1;
    case kUndoOvertypeChar: // overtyping goes on where the last character went
    case kUndoDeleteAt:     // Delete stays put, line breaks included
        return whereRunEnded;
    default: // the redo side of Overtype and Delete, and the block kinds: one step each
        return false;
    }
}

// Where a single-character step is recorded: the top record when the run goes on, else a
// fresh one. A fresh record is pushed, and either one counted, only by Commit, so a refused
// or failed step leaves the list as it was.
class RunSlot {
public:
    RunSlot(UndoRecord*& list, EditKind recordKind, TextPos at, char c) : m_list(list) {
        if (ExtendsRun(list, recordKind, at, c)) {
            m_record = list;
        } else {
            m_record = new (std::nothrow) UndoRecord{};
            if (m_record == nullptr)
                return;
            m_fresh = true;
            m_record->kind = recordKind;
        }
        if (SavesByte(recordKind) && m_record->bufferSize < m_record->count + 1) {
            m_record->buffer = static_cast<char*>(
                kvmem_realloc(m_record->buffer, std::size_t(m_record->bufferSize) + kGrowStep));
            m_record->bufferSize += kGrowStep;
        }
    }
    ~RunSlot() {
        if (m_fresh)
            FreeUndoRecord(m_record);
    }
    RunSlot(const RunSlot&) = delete;
    RunSlot& operator=(const RunSlot&) = delete;

    // False when no record could be had: the step must not be made.
    [[nodiscard]] bool Ready() const noexcept { return m_record != nullptr; }

    // Counts the step done, with the caret after it at pos; saved is the byte a replay
    // puts back, for the kinds that save one.
    void Commit(TextPos pos, char saved = '\0') {
        m_record->line = pos.line;
        m_record->column = pos.column;
        if (SavesByte(m_record->kind))
            m_record->buffer[m_record->count] = saved;
        ++m_record->count;
        if (m_fresh)
            UndoJournal::Push(m_list, m_record);
        m_fresh = false;
    }

private:
    UndoRecord*& m_list;
    UndoRecord* m_record = nullptr;
    bool m_fresh = false;
};

} // namespace

TextPos TextStore::Edit(TextPos from, EditKind kind, const char* text, TextPos to) {
    return RunEdit(from, kind, text, to).pos;
}

TextStore::EditResult TextStore::NoMemory(TextPos at) const {
    OutOfMemory();
    return {at, false};
}

TextStore::EditResult TextStore::Refused(TextPos at) const {
    if (document)
        document->Beep();
    return {at, false};
}

TextStore::EditResult TextStore::RunEdit(TextPos from, EditKind kind, const char* text, TextPos to,
                                         bool reportModified) {
    if (kind < kInsertChar || kind > kRedoInsertText) {
        if (document && reportModified && !m_editing)
            document->SetModifiedFlag(m_journal.undoList != nullptr);
        return {from, false};
    }
    return Guarded(from, IsUserEdit(kind), reportModified, [&](TextPos at) {
        const std::int32_t linesBefore = lineCount;
        const char c = text != nullptr ? text[0] : '\0';
        EditResult result{at, false};
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
            result = OvertypeChar(at, c);
            break;
        case kDeleteAt:
        case kRedoDeleteAt:
            result = DeleteAt(at);
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
        default:
            break;
        }
        // Each step either only inserts or only removes, starting at the earlier of the
        // position it was given and the one it gives back.
        const std::int32_t added = lineCount - linesBefore;
        result.change = {std::min(at, result.pos), std::max(-added, 0), std::max(added, 0)};
        return result;
    });
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

bool TextStore::TypedCharFits(char c, bool overtype) noexcept {
    return !IsControl(c) || (!overtype && (c == '\r' || c == '\t'));
}

TextStore::EditResult TextStore::InsertChar(TextPos at, char c, EditKind kind) {
    const bool typed = kind == kInsertChar || kind == kRedoInsertChar;
    // No line end other than CR ever enters a line, whatever the caller passes.
    if ((typed && !TypedCharFits(c, false)) || c == '\0' || c == '\n')
        return Refused(at);
    UndoRecord*& list = kind == kUndoDeleteBefore ? m_journal.redoList : m_journal.undoList;
    const EditKind recordKind = kind == kUndoDeleteBefore ? kRedoDeleteBefore : kUndoInsertChar;
    RunSlot slot(list, recordKind, at, c);
    if (!slot.Ready())
        return NoMemory(at);
    LineRecord* line = MutableLineAt(at.line);
    if (!(c == '\r' ? SplitLine(line, at.column) : InsertByte(line, at.column, c)))
        return NoMemory(at);
    const TextPos next = c == '\r' ? TextPos{at.line + 1, 0} : TextPos{at.line, at.column + 1};
    slot.Commit(next);
    return {next, true};
}

TextStore::EditResult TextStore::DeleteBefore(TextPos at, EditKind kind) {
    if (at.line == 0 && at.column == 0)
        return Refused(at);
    UndoRecord*& list = kind == kUndoInsertChar ? m_journal.redoList : m_journal.undoList;
    const EditKind recordKind = kind == kUndoInsertChar ? kRedoInsertChar : kUndoDeleteBefore;
    RunSlot slot(list, recordKind, at, '\0');
    if (!slot.Ready())
        return NoMemory(at);
    LineRecord* line = MutableLineAt(at.line);
    char deleted = '\r';
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
        if (!JoinNext(previous))
            return NoMemory(at);
        pos = {at.line - 1, joinColumn};
    }
    slot.Commit(pos, deleted);
    return {pos, true};
}

TextStore::EditResult TextStore::OvertypeChar(TextPos at, char c) {
    if (!TypedCharFits(c, true))
        return Refused(at);
    RunSlot slot(m_journal.undoList, kUndoOvertypeChar, at, c);
    if (!slot.Ready())
        return NoMemory(at);
    LineRecord* line = MutableLineAt(at.line);
    char replaced = '\0'; // NUL: the character was appended, there was none to replace
    if (at.column >= line->length) {
        if (line->length + 1 >= line->capacity && !GrowLine(line, kGrowStep))
            return NoMemory(at);
        line->text[line->length + 1] = line->text[line->length];
        ++line->length;
    } else {
        replaced = line->text[at.column];
    }
    line->text[at.column] = c;
    const TextPos pos{at.line, at.column + 1};
    slot.Commit(pos, replaced);
    return {pos, true};
}

TextStore::EditResult TextStore::DeleteAt(TextPos at) {
    LineRecord* line = MutableLineAt(at.line);
    if (at.column >= line->length && line->next == nullptr)
        return Refused(at);
    RunSlot slot(m_journal.undoList, kUndoDeleteAt, at, '\0');
    if (!slot.Ready())
        return NoMemory(at);
    char deleted = '\r';
    if (at.column < line->length) {
        char* text = line->text;
        deleted = text[at.column];
        std::memmove(text + at.column, text + at.column + 1, std::size_t(line->length - at.column));
        --line->length;
    } else if (!JoinNext(line)) {
        return NoMemory(at);
    }
    slot.Commit(at, deleted);
    return {at, true};
}

TextStore::EditResult TextStore::RestoreOvertyped(TextPos at, char saved) {
    LineRecord* line = MutableLineAt(at.line);
    if (at.column == 0 || saved == '\r' || saved == '\n')
        return {at, false};
    RunSlot slot(m_journal.redoList, kRedoOvertypeChar, at, saved);
    if (!slot.Ready())
        return NoMemory(at);
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
    slot.Commit(pos, typed);
    return {pos, true};
}

TextStore::EditResult TextStore::ReinsertDeleted(TextPos at, char saved) {
    if (saved == '\0' || saved == '\n')
        return {at, false};
    RunSlot slot(m_journal.redoList, kRedoDeleteAt, at, saved);
    if (!slot.Ready())
        return NoMemory(at);
    LineRecord* line = MutableLineAt(at.line);
    if (!(saved == '\r' ? SplitLine(line, at.column) : InsertByte(line, at.column, saved)))
        return NoMemory(at);
    slot.Commit(at);
    return {at, true};
}

bool TextStore::RemoveRange(TextPos start, TextPos end, char** saved, std::size_t* savedLength) {
    LineRecord* first = MutableLineAt(start.line);
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
    m_marks.Forget(start.line + 1, end.line);
    while (first->next != last)
        FreeLine(UnlinkLine(first->next));
    FreeLine(UnlinkLine(last));
    return true;
}

TextStore::EditResult TextStore::DeleteBlock(TextPos a, TextPos b, EditKind kind) {
    const TextPos start = std::min(a, b);
    const TextPos end = std::max(a, b);
    WaitCursorScope wait(document);
    auto* record = new (std::nothrow) UndoRecord{};
    char* saved = nullptr;
    std::size_t savedLength = 0;
    if (record == nullptr || !RemoveRange(start, end, &saved, &savedLength)) {
        delete record;
        return NoMemory(a);
    }
    const bool replayingUndo = kind == kUndoInsertText;
    record->kind = replayingUndo ? kRedoInsertText : kUndoDeleteBlock;
    record->line = start.line;
    record->column = start.column;
    record->buffer = saved;
    record->bufferSize = static_cast<std::int32_t>(
        std::min<std::size_t>(savedLength + 1, std::numeric_limits<std::int32_t>::max()));
    UndoJournal::Push(replayingUndo ? m_journal.redoList : m_journal.undoList, record);
    return {start, true};
}

TextStore::EditResult TextStore::InsertText(TextPos at, const char* text, EditKind kind) {
    WaitCursorScope wait(document);
    auto* record = new (std::nothrow) UndoRecord{};
    if (record == nullptr)
        return NoMemory(at);
    LineRecord* line = MutableLineAt(at.line);
    TextPos pos = at;
    // What has been inserted so far ends at `reached`; a failure takes it out again, so
    // that the text never changes without a record to undo it.
    auto fail = [&](TextPos reached) {
        RemoveRange(at, reached, nullptr, nullptr);
        delete record;
        return NoMemory(at);
    };

    const char* cur = text;
    while (*cur != '\0') {
        const char* end = cur + LineLength(cur);
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
    UndoJournal::Push(replayingUndo ? m_journal.redoList : m_journal.undoList, record);
    return {pos, true};
}
