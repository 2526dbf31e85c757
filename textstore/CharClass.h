#pragma once

// Character classes of the search and of word movement. Bytes compare as signed, so bytes
// 128-255 fall in none of the first three classes.

// Bytes compare as signed: 128-255 count as below 32, like control characters.
constexpr bool IsControl(char c) noexcept {
    return static_cast<signed char>(c) < 32;
}

// Space and TAB.
constexpr bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t';
}

// Every printable ASCII character that is not a letter, a digit, a space, the full stop or
// the underscore: a SPICE dot command or a name with underscores is one word.
constexpr bool IsPunctuation(char c) noexcept {
    return (c >= 33 && c <= 45) || c == 47 || (c >= 58 && c <= 64) || (c >= 91 && c <= 94) ||
           c == 96 || (c >= 123 && c <= 126);
}

// ASCII letters and digits, the full stop and the underscore.
constexpr bool IsWordChar(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_';
}

// What may stand beside a whole-word match.
constexpr bool IsWordDelimiter(char c) noexcept {
    return IsBlank(c) || IsPunctuation(c);
}

// The ASCII-only case rule: pattern byte p matches text byte t.
constexpr bool SameIgnoringCase(char p, char t) noexcept {
    return p == t || (p >= 'A' && p <= 'Z' && t == p + 32) || (p >= 'a' && p <= 'z' && t == p - 32);
}
