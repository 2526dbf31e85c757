#include "TextStore.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "HugeRegion.h"
#include "KvMem.h"
#include "LineScan.h"

namespace {

constexpr std::int64_t kMaxCapacity = std::numeric_limits<std::int32_t>::max();
// How far GrowLine looks back for a borrowed line to take the vacated bytes. The bytes
// are only growth room, so giving up keeps edits after a long run of owned lines cheap.
constexpr int kHandBackReach = 256;

} // namespace

TextStore::TextStore(StoreDocument* owner) : document(owner) {}

TextStore::~TextStore() {
    ReleaseText();
}

void TextStore::ReleaseText() {
    m_marks.Clear();
    // The records go back with their blocks, at once; only the text a line owns (one that
    // grew, or was typed) is freed line by line. Unlinked one at a time, a file of millions
    // of lines took longer to close than to read.
    for (LineRecord* line = firstLine; line != nullptr; line = line->next)
        if (!line->borrowed)
            kvmem_free(&line->text);
    firstLine = nullptr;
    lastLine = nullptr;
    lineCount = 0;
    m_cursorLine = nullptr;
    m_cursorIndex = -1;
    m_nLongestRead = -1;
    m_tabsRead.reset();
    m_pool.Clear();
    m_journal.Clear();
    BufferFree(fileBuffer);
    fileBuffer = nullptr;
}

std::optional<TextStore::ReadShape> TextStore::ShapeAsRead() const {
    if (m_nLongestRead < 0)
        return std::nullopt;
    if (!m_tabsRead)
        m_tabsRead = m_nBytesRead > 0 && std::memchr(fileBuffer, '\t', m_nBytesRead) != nullptr;
    return ReadShape{m_nLongestRead, *m_tabsRead};
}

TextStore::LineCursor TextStore::NearestKnownLine(std::int32_t index) const noexcept {
    const KnownLine known = NearestKnown(index);
    return {known.line, known.index};
}

TextStore::KnownLine TextStore::NearestKnown(std::int32_t index) const noexcept {
    const std::int32_t lastIndex = lineCount - 1;
    KnownLine best{firstLine, 0};
    std::int64_t distance = std::llabs(std::int64_t{index});
    const auto consider = [&](LineRecord* line, std::int32_t at) {
        const std::int64_t d = std::llabs(std::int64_t{at} - index);
        if (line != nullptr && d < distance) {
            best = {line, at};
            distance = d;
        }
    };
    consider(lastLine, lastIndex);
    consider(m_cursorLine, m_cursorIndex);
    const LineMarks::Mark mark = m_marks.Nearest(index);
    consider(mark.line, mark.index);
    return best;
}

LineRecord* TextStore::MutableLineAt(std::int32_t index) const {
    if (index < 0 || firstLine == nullptr)
        return nullptr;
    const std::int32_t lastIndex = lineCount - 1;
    if (index >= lastIndex) {
        m_cursorLine = lastLine;
        m_cursorIndex = lastIndex;
        return lastLine;
    }
    const KnownLine start = NearestKnown(index);
    LineRecord* line = start.line;
    std::int32_t at = start.index;
    // A long walk means an unmarked stretch (many lines linked where the marks are far
    // apart, or the marks dropped): the lines it passes become marks.
    const std::int32_t spacing = m_marks.Spacing();
    const bool marking = std::llabs(std::int64_t{at} - index) > 2 * std::int64_t{spacing};
    std::vector<LineMarks::Mark> passed;
    while (at < index && line->next != nullptr) {
        line = line->next;
        ++at;
        if (marking && (at - start.index) % spacing == 0)
            passed.push_back({line, at});
    }
    while (at > index && line->prev != nullptr) {
        line = line->prev;
        --at;
        if (marking && (start.index - at) % spacing == 0)
            passed.push_back({line, at});
    }
    if (!passed.empty()) {
        if (passed.front().index > passed.back().index)
            std::reverse(passed.begin(), passed.end());
        m_marks.Add(passed);
    }
    m_cursorLine = line;
    m_cursorIndex = at;
    return line;
}

std::int32_t TextStore::IndexOf(const LineRecord* line) const {
    if (line == nullptr)
        return -1;
    if (line == m_cursorLine)
        return m_cursorIndex;
    // Walk both ways at once: the nearer end of the list answers first.
    const LineRecord* back = line;
    const LineRecord* ahead = line;
    std::int32_t steps = 0;
    for (;;) {
        if (back->prev == nullptr)
            return back == firstLine ? steps : -1;
        if (ahead->next == nullptr)
            return ahead == lastLine ? lineCount - 1 - steps : -1;
        back = back->prev;
        ahead = ahead->next;
        ++steps;
    }
}

LineRecord* TextStore::InsertLineAfter(LineRecord* line, LineRecord* after) {
    LineRecord* following = after != nullptr ? after->next : firstLine;
    // The new line's index, when a neighbour's is known.
    std::int32_t index = -1;
    if (after == nullptr)
        index = 0;
    else if (after == lastLine)
        index = lineCount;
    else if (m_cursorLine != nullptr && m_cursorLine == after)
        index = m_cursorIndex + 1;
    else if (m_cursorLine != nullptr && m_cursorLine == following)
        index = m_cursorIndex;
    line->prev = after;
    line->next = following;
    if (after != nullptr)
        after->next = line;
    else
        firstLine = line;
    if (following != nullptr)
        following->prev = line;
    else
        lastLine = line;
    ++lineCount;
    if (index >= 0)
        m_marks.Linked(line, index, lineCount);
    else
        m_marks.Clear();

    if (m_cursorLine == nullptr)
        return line;
    // A line linked next to the cursor takes it over, so that lines linked one after
    // another (a paste, a split) keep the cursor where the edit is, with a known index.
    if (m_cursorLine == after) {
        m_cursorLine = line;
        ++m_cursorIndex;
    } else if (m_cursorLine == following) {
        m_cursorLine = line; // the new line takes the index the following line had
    } else if (after == nullptr) {
        ++m_cursorIndex; // linked first: every line moves down one
    } else if (following != nullptr) {
        m_cursorLine = nullptr; // somewhere else: whether above or below is unknown
    }
    return line;
}

LineRecord* TextStore::UnlinkLine(LineRecord* line) {
    std::int32_t index = -1;
    if (line == firstLine)
        index = 0;
    else if (line == lastLine)
        index = lineCount - 1;
    else if (m_cursorLine != nullptr && line == m_cursorLine)
        index = m_cursorIndex;
    else if (m_cursorLine != nullptr && line->next == m_cursorLine)
        index = m_cursorIndex - 1;
    else if (m_cursorLine != nullptr && line->prev == m_cursorLine)
        index = m_cursorIndex + 1;
    if (index >= 0)
        m_marks.Unlinking(line, index);
    else
        m_marks.Clear();
    if (m_cursorLine != nullptr) {
        if (line == m_cursorLine) {
            // A join leaves the caret on the line above, so the cursor goes there too.
            if (line->prev != nullptr) {
                m_cursorLine = line->prev;
                --m_cursorIndex;
            } else {
                m_cursorLine = line->next; // which takes the index
            }
        } else if (line->next == m_cursorLine || line->prev == nullptr) {
            --m_cursorIndex; // a line above the cursor
        } else if (line->prev != m_cursorLine && line->next != nullptr) {
            m_cursorLine = nullptr; // somewhere else: whether above or below is unknown
        }
    }
    if (line->prev != nullptr)
        line->prev->next = line->next;
    else
        firstLine = line->next;
    if (line->next != nullptr)
        line->next->prev = line->prev;
    else
        lastLine = line->prev;
    line->next = nullptr;
    line->prev = nullptr;
    --lineCount;
    return line;
}

LineRecord* TextStore::NewLine() {
    try {
        return m_pool.Allocate();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void TextStore::FreeLine(LineRecord* line) {
    if (line == nullptr)
        return;
    if (!line->borrowed)
        kvmem_free(&line->text);
    m_pool.Release(line);
}

void TextStore::AppendEmptyLine() {
    if (firstLine != nullptr)
        return;
    LineRecord* line = NewLine();
    if (line == nullptr) {
        OutOfMemory();
        return;
    }
    InsertLineAfter(line, lastLine);
}

bool TextStore::GrowLine(LineRecord* line, std::int64_t extra) {
    const std::int64_t size = std::int64_t{line->capacity} + extra;
    if (extra < 0 || size > kMaxCapacity)
        return false;
    if (!line->borrowed) {
        line->text = static_cast<char*>(kvmem_realloc(line->text, static_cast<std::size_t>(size)));
        line->capacity = static_cast<std::int32_t>(size);
        return true;
    }
    auto* owned = static_cast<char*>(kvmem_malloc(static_cast<std::size_t>(size)));
    std::memcpy(owned, line->text, static_cast<std::size_t>(line->capacity));
    // The file-buffer bytes this line leaves become growth room for the nearest earlier
    // line that still lives in the file buffer.
    LineRecord* earlier = line->prev;
    for (int reach = 0; earlier != nullptr && !earlier->borrowed && reach < kHandBackReach; ++reach)
        earlier = earlier->prev;
    if (earlier != nullptr && earlier->borrowed) {
        const std::int64_t room = (line->text - earlier->text) + std::int64_t{line->capacity};
        earlier->capacity = static_cast<std::int32_t>(std::min(room, kMaxCapacity));
    }
    line->capacity = static_cast<std::int32_t>(size);
    line->text = owned;
    line->borrowed = 0;
    return true;
}

bool TextStore::EnsureCapacity(LineRecord* line, std::int64_t needed) {
    if (line->capacity >= needed)
        return true;
    return GrowLine(line, needed - line->capacity);
}

TextPos TextStore::Clamp(TextPos pos) const {
    if (lineCount == 0)
        return {};
    pos.line = std::clamp(pos.line, 0, lineCount - 1);
    const LineRecord* line = LineAt(pos.line);
    pos.column = std::clamp(pos.column, 0, line->length);
    return pos;
}

std::string TextStore::GetText(TextPos a, TextPos b, bool crlf) const {
    if (lineCount == 0)
        return {};
    a = Clamp(a);
    b = Clamp(b);
    const TextPos start = std::min(a, b);
    const TextPos end = std::max(a, b);
    WaitCursorScope wait(document);
    const std::string_view separator = crlf ? kFileLineBreak : kLineBreak;

    try {
        return CollectText(start, end, separator);
    } catch (const std::bad_alloc&) {
        OutOfMemory();
        return {};
    }
}

std::string TextStore::CollectText(TextPos start, TextPos end, std::string_view separator) const {
    const LineRecord* first = LineAt(start.line);
    if (start.line == end.line)
        return std::string(Chars(first).substr(start.column, end.column - start.column));

    // Measure first, so the text is copied once into a buffer of the right size.
    std::size_t size = static_cast<std::size_t>(first->length - start.column);
    const LineRecord* line = first;
    for (std::int32_t index = start.line; index < end.line; ++index) {
        line = line->next;
        size += separator.size() +
                static_cast<std::size_t>(index + 1 < end.line ? line->length : end.column);
    }
    std::string text;
    text.reserve(size);
    text.append(Chars(first).substr(start.column));
    line = first;
    for (std::int32_t index = start.line + 1; index <= end.line; ++index) {
        line = line->next;
        text.append(separator);
        text.append(Chars(line).substr(0, index < end.line ? line->length : end.column));
    }
    return text;
}

void TextStore::ClearHistory() {
    m_journal.Clear();
    if (document)
        document->SetModifiedFlag(false);
}

void TextStore::OutOfMemory() const {
    if (document)
        document->ShowMessage("Not enough memory to continue!", StoreIcon::None);
}
