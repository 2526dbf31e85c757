#include "LineScan.h"

std::int64_t LineLength(const char* text) noexcept {
    const char* p = text;
    while (!IsLineEnd(*p))
        ++p;
    return p - text;
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
