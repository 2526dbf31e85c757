#pragma once

#include <cstdint>

// One row of the keyword table: the help context of the lines that begin with `keyword`
// (lower-case ASCII), whatever the case of their letters.
struct KeywordEntry {
    std::int32_t helpContext;
    const char* keyword;
};

// The SPICE words that begin a netlist's lines, searched from the first row; the first row
// whose keyword begins a line decides. So each keyword stands before every shorter one
// that begins it (".options" before ".op"), and each element letter after every longer
// word that starts with it. The last row has a null keyword and context 0.
extern const KeywordEntry KeywordTable[];
