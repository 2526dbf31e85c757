#pragma once

#include <cstdint>
#include <vector>

#include "SpiceLexer.h"

class TextStore;
struct TextChange;

// The state each line of a document ends in, for its colours: kept from the first line
// down to the last one asked for (the last one painted), one byte a line, and found for
// further lines only when they are asked for, by their first words alone. A change of
// the text mends it from the changed line down to the first line whose state comes out
// as before; the lines after keep theirs, moved with them.
class SpiceLineStates {
public:
    // At most this many lines are lexed again after one change; where the states have not
    // settled by then, the rest is forgotten and found again when asked for, so a key
    // press costs no more whatever the file's length.
    static constexpr int kMendedAtOnce = 20000;

    explicit SpiceLineStates(SpiceKind kind = SpiceKind::Plain) : m_kind(kind) {}

    [[nodiscard]] SpiceKind Kind() const { return m_kind; }
    // Another kind of file (or another text): every state is forgotten.
    void Reset(SpiceKind kind);
    // The state line `index` starts in.
    SpiceLexer::State StateBefore(const TextStore& store, std::int32_t index);
    // True when the lines after the changed ones start in the states they started in, as
    // far as any is known; false when those below may have to be painted afresh.
    bool OnTextChanged(const TextStore& store, const TextChange& change);

    // How many lines have been known, and lexed, so far: for tests and benchmarks.
    [[nodiscard]] std::int32_t KnownLines() const { return std::int32_t(m_ends.size()); }
    [[nodiscard]] std::int64_t LinesLexed() const { return m_nLinesLexed; }

private:
    SpiceKind m_kind;
    std::vector<SpiceLexer::State> m_ends; // the state lines 0, 1, ... end in
    std::int64_t m_nLinesLexed = 0;
};
