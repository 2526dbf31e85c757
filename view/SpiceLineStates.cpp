#include "SpiceLineStates.h"

#include <algorithm>

#include "TextChange.h"
#include "TextStore.h"

void SpiceLineStates::Reset(SpiceKind kind) {
    m_kind = kind;
    m_ends.clear();
}

SpiceLexer::State SpiceLineStates::StateBefore(const TextStore& store, std::int32_t index) {
    if (!SpiceLexer::CarriesState(m_kind) || index <= 0)
        return SpiceLexer::Start(m_kind);
    if (std::int32_t(m_ends.size()) < index) {
        auto known = std::int32_t(m_ends.size());
        SpiceLexer::State state = known == 0 ? SpiceLexer::Start(m_kind) : m_ends.back();
        m_ends.reserve(std::size_t(index));
        for (const LineRecord* line = store.LineAt(known); line != nullptr && known < index;
             line = line->next, ++known) {
            state = SpiceLexer::Lex(m_kind, Chars(line), state, nullptr);
            m_ends.push_back(state);
            ++m_nLinesLexed;
        }
        if (known < index)
            return state; // past the text's end: the last line's state goes on
    }
    return m_ends[std::size_t(index) - 1];
}

bool SpiceLineStates::OnTextChanged(const TextStore& store, const TextChange& change) {
    const std::int32_t first = change.from.line;
    if (!SpiceLexer::CarriesState(m_kind) || first >= std::int32_t(m_ends.size()))
        return true; // every known line lies above the change
    // The old lines first .. first + linesRemoved became first .. first + linesInserted.
    const std::int64_t oldEnd = std::int64_t{first} + change.linesRemoved + 1;
    if (oldEnd > std::int64_t(m_ends.size())) {
        m_ends.resize(std::size_t(first)); // nothing known after the change
        return false;
    }
    const SpiceLexer::State oldLast = m_ends[std::size_t(oldEnd) - 1];
    m_ends.erase(m_ends.begin() + first, m_ends.begin() + std::ptrdiff_t(oldEnd));
    m_ends.insert(m_ends.begin() + first, std::size_t(change.linesInserted) + 1, 0);
    SpiceLexer::State state = first == 0 ? SpiceLexer::Start(m_kind) : m_ends[first - 1];
    const std::int32_t lastChanged = change.LastLine();
    std::int32_t i = first;
    for (const LineRecord* line = store.LineAt(first);
         line != nullptr && i < std::int32_t(m_ends.size()); line = line->next, ++i) {
        if (i - first >= kMendedAtOnce)
            break;
        state = SpiceLexer::Lex(m_kind, Chars(line), state, nullptr);
        ++m_nLinesLexed;
        if (i > lastChanged && state == m_ends[std::size_t(i)])
            return false; // from here on every line ends as it did
        m_ends[std::size_t(i)] = state;
        if (i == lastChanged && state == oldLast)
            return true; // the lines after start as they did
    }
    m_ends.resize(std::size_t(i));
    return false;
}
