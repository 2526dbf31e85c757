#pragma once

#include <compare>
#include <cstdint>

// A position in a store: a 0-based line index and a 0-based byte column in that line
// (0 is before the first character, the line's length after the last). Ordered by
// line, then column; a selection is a pair of positions in either order.
struct TextPos {
    std::int32_t line = 0;
    std::int32_t column = 0;

    friend constexpr auto operator<=>(const TextPos&, const TextPos&) = default;
};
