#pragma once

#include <cstdint>

#include "TextPos.h"

// What one change did to the text, told to the document after every edit, undo and redo
// step and after a reload. The text before `from` is as it was; from there on, the
// stretch that ended linesRemoved line breaks further on now ends linesInserted line
// breaks further on, and every line after it is the one that followed the stretch before,
// moved by the difference. One step only inserts or only removes, so one of the two counts
// is 0, except for a reload, which replaces the whole text.
struct TextChange {
    TextPos from;
    std::int32_t linesRemoved = 0;
    std::int32_t linesInserted = 0;

    // The last line, in the text as it is now, whose text the change may have touched.
    [[nodiscard]] std::int32_t LastLine() const noexcept { return from.line + linesInserted; }
    // A line broke or lines joined, came or went: more than the one line changed.
    [[nodiscard]] bool SpansLines() const noexcept {
        return linesRemoved != 0 || linesInserted != 0;
    }
};
