// Replace All: every match from a position on, replaced in one pass and undone in one step.

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "EditGuard.h"
#include "KvMem.h"

namespace {

// One stretch of a Replace All record: where it lies in the text the record is replayed
// on, its length there, and the length of the bytes that take its place, which follow
// the header in the record's buffer. Stretches come in text order.
struct SpanHeader {
    std::int32_t line;
    std::int32_t column;
    std::int32_t length;
    std::int32_t otherLength;
};

void AppendSpan(std::string& out, const SpanHeader& span, const char* other) {
    out.append(reinterpret_cast<const char*>(&span), sizeof span);
    out.append(other, std::size_t(span.otherLength));
}

SpanHeader SpanAt(const char* at) noexcept {
    SpanHeader span;
    std::memcpy(&span, at, sizeof span);
    return span;
}

constexpr std::int64_t kMaxLineLength = std::numeric_limits<std::int32_t>::max() - 1;

} // namespace

TextPos TextStore::Edit(TextPos from, const FindRequest& request, std::string_view replacement,
                        std::int32_t& count) {
    count = 0;
    // A line break would need lines of its own, which a stretch of one line cannot take.
    if (replacement.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos ||
        request.pattern.empty() || lineCount == 0 || m_editing)
        return from;
    WaitCursorScope wait(document);
    // The matches are those of the text as it stands, as sed finds them: a replacement
    // never forms a match with the text after it.
    std::string spans;
    std::int32_t found = 0;
    try {
        TextPos start = Clamp(from);
        TextPos end;
        FindRequest find{request.pattern, request.matchCase, request.wholeWord, &start, &end};
        while (FindForward(find)) {
            if (found == std::numeric_limits<std::int32_t>::max())
                break;
            AppendSpan(spans,
                       {start.line, start.column, end.column - start.column,
                        std::int32_t(replacement.size())},
                       replacement.data());
            ++found;
            start = end;
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory();
        return from;
    }
    if (found == 0)
        return from;
    const EditResult result = Guarded(from, true, true, [&](TextPos at) {
        return ApplySpans(at, spans.data(), spans.size(), found, kUndoReplaceAll,
                          m_journal.undoList);
    });
    if (result.done)
        count = found;
    return result.pos;
}

TextStore::EditResult TextStore::ApplySpans(TextPos at, const char* spans, std::size_t size,
                                            std::int32_t count, EditKind inverseKind,
                                            UndoRecord*& inverseList) {
    // First every line is checked and the inverse record built, so that nothing changes
    // unless everything can.
    std::vector<LineRecord*> lines;
    std::int32_t lastChangedLine = -1;
    std::string inverse;
    std::string scratch;
    try {
        inverse.reserve(size);
        std::size_t offset = 0;
        std::int64_t longest = 0;
        std::int32_t done = 0;
        while (done < count) {
            if (offset + sizeof(SpanHeader) > size)
                return Refused(at);
            const std::int32_t index = SpanAt(spans + offset).line;
            if (index <= lastChangedLine || index >= lineCount)
                return Refused(at);
            LineRecord* line = MutableLineAt(index);
            lines.push_back(line);
            lastChangedLine = index;
            std::int64_t column = 0; // where the line's unchanged text goes on
            std::int64_t shift = 0;
            while (done < count && offset + sizeof(SpanHeader) <= size) {
                const SpanHeader span = SpanAt(spans + offset);
                if (span.line != index)
                    break;
                const std::size_t bytes = sizeof(SpanHeader) + std::size_t(span.otherLength);
                if (span.column < column || span.length < 0 || span.otherLength < 0 ||
                    std::int64_t{span.column} + span.length > line->length ||
                    offset + bytes > size)
                    return Refused(at);
                AppendSpan(inverse,
                           {index, std::int32_t(span.column + shift), span.otherLength,
                            span.length},
                           line->text + span.column);
                shift += span.otherLength - span.length;
                column = std::int64_t{span.column} + span.length;
                offset += bytes;
                ++done;
            }
            longest = std::max(longest, line->length + shift);
            if (line->length + shift > kMaxLineLength)
                return Refused(at);
        }
        scratch.reserve(std::size_t(longest));
    } catch (const std::bad_alloc&) {
        return NoMemory(at);
    }

    auto* record = new (std::nothrow) UndoRecord{};
    if (record == nullptr)
        return NoMemory(at);
    record->kind = inverseKind;
    record->count = count;
    record->buffer = static_cast<char*>(kvmem_malloc(inverse.size()));
    std::memcpy(record->buffer, inverse.data(), inverse.size());

    // Each changed line is built once in the scratch buffer, which is already large enough
    // for the longest, and copied back behind its first change.
    std::size_t offset = 0;
    SpanHeader last{};
    for (LineRecord* line : lines) {
        scratch.clear();
        const char* const text = line->text != nullptr ? line->text : "";
        const std::int32_t index = SpanAt(spans + offset).line;
        std::int32_t column = 0;
        while (offset < size) {
            const SpanHeader span = SpanAt(spans + offset);
            if (span.line != index)
                break;
            scratch.append(text + column, std::size_t(span.column - column));
            scratch.append(spans + offset + sizeof(SpanHeader), std::size_t(span.otherLength));
            column = span.column + span.length;
            last = {index, std::int32_t(scratch.size()), 0, 0};
            offset += sizeof(SpanHeader) + std::size_t(span.otherLength);
        }
        scratch.append(text + column, std::size_t(line->length - column));
        const char terminator = text[line->length];
        EnsureCapacity(line, std::int64_t(scratch.size()) + 1);
        std::memcpy(line->text, scratch.data(), scratch.size());
        line->length = std::int32_t(scratch.size());
        line->text[line->length] = terminator;
    }
    const SpanHeader first = SpanAt(record->buffer);
    record->line = first.line;
    record->column = first.column;
    record->endLine = last.line;
    record->endColumn = last.column;
    UndoJournal::Push(inverseList, record);
    // The lines keep their number: the stretch from the first changed line to the last
    // is as many lines long as it was.
    const std::int32_t spanned = last.line - first.line;
    return {{last.line, last.column}, true, {{first.line, first.column}, spanned, spanned}};
}
