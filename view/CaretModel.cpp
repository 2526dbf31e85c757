#include "CaretModel.h"

#include <cstdlib>
#include <utility>
#include <vector>

std::optional<CaretModel::Span> CaretModel::Collapse(TextPos pos) {
    std::optional<Span> shown;
    if (m_bSelection)
        shown = Span{m_posCaret, m_posSelEnd};
    m_bSelection = false;
    m_posSelEnd = m_posCaret = pos;
    return shown;
}

std::optional<CaretModel::Span> CaretModel::Extend(TextPos pos) {
    if (m_bSelection)
        return Span{std::exchange(m_posSelEnd, pos), pos};
    if (pos == m_posCaret)
        return std::nullopt;
    m_bSelection = true;
    m_posSelEnd = pos;
    return Span{m_posCaret, pos};
}

void CaretModel::Select(TextPos fixed, TextPos moving) {
    m_bSelection = true;
    m_posCaret = fixed;
    m_posSelEnd = moving;
}

void CaretModel::SwapEndsIfBeyond(TextPos pos) {
    // Without a selection the moving end is stale: the caret is then the one end there
    // is, and nothing may trade places with it.
    if (!m_bSelection)
        return;
    const bool forward = m_posCaret < m_posSelEnd;
    const bool backward = m_posSelEnd < m_posCaret;
    if ((forward && pos < m_posCaret) || (backward && pos > m_posCaret))
        std::swap(m_posCaret, m_posSelEnd);
}

void CaretModel::KeepPositionsInText() {
    if (m_pStore == nullptr || m_pStore->LineCount() == 0)
        return;
    // Each walk starts from the nearest line already known, without moving the store's
    // own walk from where the last edit or paint left it.
    const std::int32_t count = m_pStore->LineCount();
    std::vector<TextStore::LineCursor> known;
    for (TextPos* pos : Positions()) {
        pos->line = std::clamp(pos->line, 0, count - 1);
        known.push_back(m_pStore->NearestKnownLine(pos->line));
        const auto nearest =
            std::min_element(known.begin(), known.end(), [&](const auto& a, const auto& b) {
                return std::llabs(std::int64_t{a.index} - pos->line) <
                       std::llabs(std::int64_t{b.index} - pos->line);
            });
        const LineRecord* line = nearest->line;
        for (std::int32_t at = nearest->index; at < pos->line; ++at)
            line = line->next;
        for (std::int32_t at = nearest->index; at > pos->line; --at)
            line = line->prev;
        pos->column = std::clamp(pos->column, 0, line->length);
        known.push_back({line, pos->line});
    }
}

std::optional<TextPos> CaretModel::Left(TextPos from, bool word) const {
    if (from.column == 0 && from.line == 0)
        return std::nullopt;
    if (word)
        return m_pStore->PrevWordPos(from);
    if (from.column > 0)
        return TextPos{from.line, from.column - 1};
    return TextPos{from.line - 1, LineLength(from.line - 1)};
}

std::optional<TextPos> CaretModel::Right(TextPos from, bool word) const {
    const bool atEnd = from.column >= LineLength(from.line);
    if (atEnd && OnLastLine(from))
        return std::nullopt;
    if (word)
        return m_pStore->NextWordPos(from);
    if (!atEnd)
        return TextPos{from.line, from.column + 1};
    return TextPos{from.line + 1, 0};
}

bool CaretModel::OnLastLine(TextPos pos) const {
    return m_pStore->LineAt(pos.line)->next == nullptr;
}

std::optional<TextPos> CaretModel::UpOnFirstLine(TextPos from) const {
    if (from.column == 0)
        return std::nullopt;
    return TextPos{from.line, 0};
}

std::optional<TextPos> CaretModel::DownOnLastLine(TextPos from) const {
    const int length = LineLength(from.line);
    if (from.column >= length)
        return std::nullopt;
    return TextPos{from.line, length};
}

TextPos CaretModel::Home(TextPos from, bool ofText) const {
    return ofText ? TextPos{0, 0} : TextPos{from.line, 0};
}

TextPos CaretModel::End(TextPos from, bool ofText) const {
    if (ofText)
        return {m_pStore->LineCount() - 1, 0};
    return {from.line, LineLength(from.line)};
}

TextPos CaretModel::LineTarget(TextPos pos) const {
    if (pos.line < m_pStore->LineCount() - 1)
        return {pos.line + 1, 0};
    return {pos.line, LineLength(pos.line)};
}

CaretModel::Span CaretModel::WholeLines(int anchorLine, TextPos pos) const {
    // Above the anchor line the selection runs from the start of the line under the mouse
    // to the end of the anchor line; at or below it, from the anchor line's start over the
    // whole line under the mouse. Swapping the ends as the mouse crosses the anchor line
    // would lose that line when a move or a timer tick jumps across it.
    const TextPos top{std::min(anchorLine, m_pStore->LineCount() - 1), 0};
    if (pos.line < top.line)
        return {LineTarget(top), TextPos{pos.line, 0}};
    return {top, LineTarget(pos)};
}

CaretModel::Span CaretModel::WordAndBlanks(TextPos pos) const {
    const TextPos word = m_pStore->PrevWordPos(pos);
    return {word, m_pStore->NextWordPos(word)};
}
