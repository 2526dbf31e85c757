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
        if (t > p || (p >= 'A' && p <= 'Z' && p + 32 < t) || (p >= 'a' && p <= 'z' && p - 32 < t))
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

bool TextStore::FindForward(FindRequest r) const {
    const std::int64_t n = std::int64_t(r.pattern.size());
    if (n == 0 || r.start == nullptr || r.end == nullptr || lineCount == 0)
        return false;
    const char first = r.pattern[0];
    std::int32_t index = std::clamp(r.start->line, 0, lineCount - 1);
    std::int64_t column = std::max(r.start->column, 0);
    for (const LineRecord* line = LineAt(index); line != nullptr;
         line = line->next, ++index, column = 0) {
        const std::int64_t last = line->length - n; // the last column a match can start at
        if (column > last)
            continue;
        const char* text = line->text;
        if (r.matchCase) {
            // memchr finds candidates at memory speed; only they are compared in full.
            while (column <= last) {
                const void* hit = std::memchr(text + column, first, std::size_t(last - column + 1));
                if (hit == nullptr)
                    break;
                column = static_cast<const char*>(hit) - text;
                if (LineMatches(line, std::int32_t(column), r)) {
                    *r.start = {index, std::int32_t(column)};
                    *r.end = {index, std::int32_t(column + n)};
                    return true;
                }
                ++column;
            }
        } else {
            for (; column <= last; ++column) {
                if (SameIgnoringCase(first, text[column]) &&
                    LineMatches(line, std::int32_t(column), r)) {
                    *r.start = {index, std::int32_t(column)};
                    *r.end = {index, std::int32_t(column + n)};
                    return true;
                }
            }
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
    const LineRecord* line = LineAt(index);
    // A match must end at or before the start column in the starting line.
    std::int64_t column = std::min<std::int64_t>(r.start->column, line->length) - n;
    for (;;) {
        for (; column >= 0; --column) {
            if ((r.matchCase ? line->text[column] == first
                             : SameIgnoringCase(first, line->text[column])) &&
                LineMatches(line, std::int32_t(column), r)) {
                *r.start = {index, std::int32_t(column)};
                *r.end = {index, std::int32_t(column + n)};
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

TextPos TextStore::PrevWordPos(TextPos pos) const {
    if (lineCount == 0)
        return pos;
    pos = Clamp(pos);
    const LineRecord* line = LineAt(pos.line);
    if (pos.column <= 0)
        return line->prev != nullptr ? TextPos{pos.line - 1, line->prev->length} : pos;
    const char* text = line->text;
    std::int32_t k = pos.column - 1;
    while (k > 0 && IsBlank(text[k]))
        --k;
    std::int32_t column;
    if (IsPunctuation(text[k])) {
        while (k > 0 && IsPunctuation(text[k]))
            --k;
        column = IsPunctuation(text[k]) ? k : k + 1;
    } else {
        while (k > 0 && IsWordChar(text[k]))
            --k;
        column = IsWordChar(text[k]) ? k : k + 1;
    }
    // A byte of no class (a control character, 128-255) would hold the caret in place.
    if (column >= pos.column)
        column = pos.column - 1;
    return {pos.line, column};
}

TextPos TextStore::NextWordPos(TextPos pos) const {
    if (lineCount == 0)
        return pos;
    pos = Clamp(pos);
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
    if (column == pos.column) // a byte of no class: step over it
        ++column;
    return {pos.line, column};
}

std::string TextStore::WordAt(TextPos pos) const {
    if (lineCount == 0)
        return {};
    pos = Clamp(pos);
    TextPos start = PrevWordPos(pos);
    TextPos end = NextWordPos(pos);
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
