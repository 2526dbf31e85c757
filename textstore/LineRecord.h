#pragma once

#include <cstdint>

// One line of a store. Views read text and length directly.
//
// invariant: when text is not null, text[length] is the line's terminator byte (CR for a
// line the program ended, NUL for a buffer it made and never ended, or the byte that ended
// the line in the file) and length < capacity. No line holds a CR, LF or NUL among its
// length characters.
//
// A 2-million-line file has two million of these, so they are kept to 32 bytes: the
// capacity (never above 2^31 - 1) and the borrowed flag share one word.
struct LineRecord {
    std::uint32_t capacity : 31 = 0; // bytes available at text; 0 for a line without a buffer
    std::uint32_t borrowed : 1 = 0;  // 1 while text points into the store's file buffer
    std::int32_t length = 0;         // characters, not counting the terminator byte
    char* text = nullptr;            // null only for an empty line that never had a buffer
    LineRecord* next = nullptr;
    LineRecord* prev = nullptr;
};
static_assert(sizeof(LineRecord) == 32);

#include <string_view>

// A line's characters, without the terminator byte.
inline std::string_view Chars(const LineRecord* line) noexcept {
    if (line->text == nullptr)
        return {};
    return {line->text, static_cast<std::size_t>(line->length)};
}
