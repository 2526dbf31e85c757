#include "TextStore.h"

#include <algorithm>
#include <cstring>

#include "CharClass.h"

int TextStore::CompareNoCase(const char* pattern, const char* text, std::size_t n) noexcept {
    for (std::size_t i = 0; i < n; ++i) {
        const char p = pattern[i];
        const char t = text[i];
        if (SameIgnoringCase(p, t))
            continue;
        // Ordered as signed bytes, whatever the platform's char.
        const int sp = static_cast<signed char>(p);
        const int st = static_cast<signed char>(t);
        if (st > sp || (p >= 'A' && p <= 'Z' && sp + 32 < st) ||
            (p >= 'a' && p <= 'z' && sp - 32 < st))
            return -1;
        return 1;
    }
    return 0;
}

bool TextStore::LineMatches(const LineRecord* line, std::int32_t column,
                            const FindRequest& r) const {
    const std::size_t n = r.pattern.size();
    const char* at = line->text + column;
    if (r.matchCase ? std::memcmp(r.pattern.data(), at, n) != 0
                    : CompareNoCase(r.pattern.data(), at, n) != 0)
        return false;
    if (!r.wholeWord)
        return true;
    // TAB stands between words in both directions.
    const bool before = column == 0 || IsWordDelimiter(at[-1]);
    const bool after = column + std::int64_t(n) == line->length || IsWordDelimiter(at[n]);
    return before && after;
}

namespace {

const char* NextByte(const char* from, const char* to, char c) noexcept {
    return from < to ? static_cast<const char*>(std::memchr(from, c, std::size_t(to - from)))
                     : nullptr;
}

} // namespace

bool TextStore::FindForward(FindRequest r) const {
    const std::int64_t n = std::int64_t(r.pattern.size());
    if (n == 0 || r.start == nullptr || r.end == nullptr || lineCount == 0)
        return false;
    const char first = r.pattern[0];
    // With case ignored, a letter's other case begins a candidate too.
    char other = first;
    if (!r.matchCase && first >= 'A' && first <= 'Z')
        other = char(first + 32);
    else if (!r.matchCase && first >= 'a' && first <= 'z')
        other = char(first - 32);
    std::int32_t index = std::clamp(r.start->line, 0, lineCount - 1);
    std::int64_t column = std::max(r.start->column, 0);
    for (LineRecord* line = MutableLineAt(index); line != nullptr;
         line = line->next, ++index, column = 0) {
        const std::int64_t last = line->length - n; // the last column a match can start at
        if (column > last)
            continue;
        const char* text = line->text;
        const char* const end = text + last + 1;
        // memchr finds candidates at memory speed; only they are compared in full. A letter
        // with case ignored has two: each case's next place is looked for again only once
        // passed, so a line full of one case is not scanned again for the other at every
        // candidate.
        const char* nextFirst = NextByte(text + column, end, first);
        const char* nextOther = other != first ? NextByte(text + column, end, other) : nullptr;
        while (nextFirst != nullptr || nextOther != nullptr) {
            const bool firstNext =
                nextOther == nullptr || (nextFirst != nullptr && nextFirst < nextOther);
            const char* hit = firstNext ? nextFirst : nextOther;
            if (LineMatches(line, std::int32_t(hit - text), r)) {
                *r.start = {index, std::int32_t(hit - text)};
                *r.end = {index, std::int32_t(hit - text + n)};
                // The caller goes on at the match: later walks start there, not back where
                // the search began.
                m_cursorLine = line;
                m_cursorIndex = index;
                return true;
            }
            (firstNext ? nextFirst : nextOther) = NextByte(hit + 1, end, firstNext ? first : other);
        }
    }
    return false;
}

bool TextStore::FindBackward(FindRequest r) const {
    const std::int64_t n = std::int64_t(r.pattern.size());
    if (n == 0 || r.start == nullptr || r.end == nullptr || lineCount == 0 || r.start->line < 0)
        return false;
    const char first = r.pattern[0];
    std::int32_t index = std::min(r.start->line, lineCount - 1);
    LineRecord* line = MutableLineAt(index);
    // A match must end at or before the start column in the starting line.
    std::int64_t column = std::min<std::int64_t>(r.start->column, line->length) - n;
    for (;;) {
        for (; column >= 0; --column) {
            if ((r.matchCase ? line->text[column] == first
                             : SameIgnoringCase(first, line->text[column])) &&
                LineMatches(line, std::int32_t(column), r)) {
                *r.start = {index, std::int32_t(column)};
                *r.end = {index, std::int32_t(column + n)};
                m_cursorLine = line;
                m_cursorIndex = index;
                return true;
            }
        }
        line = line->prev;
        if (line == nullptr)
            return false;
        --index;
        column = line->length - n;
    }
}

// The word boundaries as the text defines them; the caret moves below add one rule.
TextPos TextStore::WordStartBefore(TextPos pos) const {
    const LineRecord* line = LineAt(pos.line);
    if (pos.column <= 0)
        return line->prev != nullptr ? TextPos{pos.line - 1, line->prev->length} : pos;
    const char* text = line->text;
    std::int32_t k = pos.column - 1;
    while (k > 0 && IsBlank(text[k]))
        --k;
    if (IsPunctuation(text[k])) {
        while (k > 0 && IsPunctuation(text[k]))
            --k;
        return {pos.line, IsPunctuation(text[k]) ? k : k + 1};
    }
    while (k > 0 && IsWordChar(text[k]))
        --k;
    return {pos.line, IsWordChar(text[k]) ? k : k + 1};
}

TextPos TextStore::WordEndAfter(TextPos pos) const {
    const LineRecord* line = LineAt(pos.line);
    const std::int32_t length = line->length;
    if (pos.column >= length)
        return line->next != nullptr ? TextPos{pos.line + 1, 0} : pos;
    const char* text = line->text;
    std::int32_t column = pos.column;
    if (IsBlank(text[column]) || IsPunctuation(text[column])) {
        while (column < length && (IsBlank(text[column]) || IsPunctuation(text[column])))
            ++column;
    } else {
        while (column < length && IsWordChar(text[column]))
            ++column;
        while (column < length && IsBlank(text[column]))
            ++column;
    }
    return {pos.line, column};
}

// A byte of no class (a control character, 128-255), or a single blank at the start of a
// line, would hold the caret in place for good: the caret then moves one character.
TextPos TextStore::PrevWordPos(TextPos pos) const {
    if (lineCount == 0)
        return pos;
    pos = Clamp(pos);
    TextPos to = WordStartBefore(pos);
    if (to == pos && pos.column > 0)
        --to.column;
    return to;
}

TextPos TextStore::NextWordPos(TextPos pos) const {
    if (lineCount == 0)
        return pos;
    pos = Clamp(pos);
    TextPos to = WordEndAfter(pos);
    if (to == pos && pos.column < LineAt(pos.line)->length)
        ++to.column;
    return to;
}

std::string TextStore::WordAt(TextPos pos) const {
    if (lineCount == 0)
        return {};
    pos = Clamp(pos);
    TextPos start = WordStartBefore(pos);
    TextPos end = WordEndAfter(pos);
    if (start.line != pos.line)
        start = pos;
    else if (end.line != pos.line)
        end = pos;
    const std::string_view chars = Chars(LineAt(pos.line));
    if (pos.column > 0 && chars[std::size_t(pos.column) - 1] == ' ')
        start = pos;
    while (start.column < end.column && chars[std::size_t(end.column) - 1] == ' ')
        --end.column;
    if (end.column <= start.column)
        return {};
    return std::string(
        chars.substr(std::size_t(start.column), std::size_t(end.column - start.column)));
}
