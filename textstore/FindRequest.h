#pragma once

#include <string>

#include "TextPos.h"

// One search. start is where it begins and, after a match, the match's start; end is
// set to just after the match. Neither is touched when nothing is found.
struct FindRequest {
    std::string pattern;
    int matchCase = 0; // non-zero: bytes must be equal; zero: ASCII letters match either case
    int wholeWord = 0; // non-zero: the match must stand between word delimiters
    TextPos* start = nullptr;
    TextPos* end = nullptr;
};
