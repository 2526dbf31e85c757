#include "LineScan.h"

#include <cstring>

std::int64_t LineLength(const char* text) noexcept {
    // The C library's scan looks at many bytes a step; a byte loop made undoing the
    // deletion of a large text several times slower than reading it.
    return static_cast<std::int64_t>(std::strcspn(text, "\r\n"));
}

const char* NextLineStart(const char* text) noexcept {
    const char* p = text;
    while (!IsLineEnd(*p))
        ++p;
    if (*p == '\0')
        return p + 1;
    if (*p == '\r' && p[1] == '\n')
        ++p;
    ++p;
    return *p == '\0' ? p + 1 : p;
}
