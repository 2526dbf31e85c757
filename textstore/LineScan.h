#pragma once

#include <cstdint>

// The in-memory line break the store writes itself, and the one it writes to files and
// to the clipboard.
inline constexpr char kLineBreak[] = "\r";
inline constexpr char kFileLineBreak[] = "\r\n";
inline constexpr int kLineBreakLength = 1;
inline constexpr int kFileLineBreakLength = 2;

// True for the bytes that end a line: CR, LF and NUL.
constexpr bool IsLineEnd(char c) noexcept {
    return c == '\r' || c == '\n' || c == '\0';
}

// Bytes before the first NUL, CR or LF.
[[nodiscard]] std::int64_t LineLength(const char* text) noexcept;

// Where the line after the one starting at text begins. CR LF, CR and LF each end one
// line (LF CR ends two) and a NUL ends a line. When a CR, CR LF or LF is followed directly
// by a NUL, the result lies past that NUL; a NUL always gives the address just past it.
// So the break after the last line of a NUL-ended buffer leads past the buffer's NUL,
// which is how a reader knows the text is exhausted.
[[nodiscard]] const char* NextLineStart(const char* text) noexcept;
