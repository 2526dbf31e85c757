#include "LineMarks.h"

#include <algorithm>
#include <limits>

void LineMarks::Clear() noexcept {
    m_marks.clear();
    m_stepFrom = 0;
    m_step = 0;
    m_hint = 0;
}

LineMarks::Mark LineMarks::At(std::size_t position) const noexcept {
    return {m_marks[position].line, IndexAt(position)};
}

std::size_t LineMarks::LowerBound(std::int32_t index) const noexcept {
    const std::size_t n = m_marks.size();
    const auto bounds = [&](std::size_t k) {
        return (k == 0 || IndexAt(k - 1) < index) && (k == n || IndexAt(k) >= index);
    };
    if (m_hint <= n && bounds(m_hint))
        return m_hint;
    std::size_t low = 0;
    std::size_t high = n;
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (IndexAt(middle) < index)
            low = middle + 1;
        else
            high = middle;
    }
    m_hint = low;
    return low;
}

LineMarks::Mark LineMarks::Nearest(std::int32_t index) const noexcept {
    const std::size_t k = LowerBound(index);
    Mark best;
    if (k < m_marks.size())
        best = At(k);
    if (k > 0) {
        const Mark before = At(k - 1);
        if (best.line == nullptr ||
            std::int64_t{index} - before.index < std::int64_t{best.index} - index)
            best = before;
    }
    return best;
}

void LineMarks::Shift(std::size_t position, std::int32_t delta) noexcept {
    if (position >= m_marks.size())
        return;
    if (m_step == 0) {
        m_stepFrom = position;
        m_step = delta;
        return;
    }
    if (position >= m_stepFrom) {
        // The marks between keep only the step they already had.
        for (std::size_t k = m_stepFrom; k < position; ++k)
            m_marks[k].index += m_step;
        m_stepFrom = position;
    } else {
        for (std::size_t k = position; k < m_stepFrom; ++k)
            m_marks[k].index += delta;
    }
    m_step += delta;
}

void LineMarks::ApplyStep() noexcept {
    for (std::size_t k = m_stepFrom; k < m_marks.size(); ++k)
        m_marks[k].index += m_step;
    m_stepFrom = m_marks.size();
    m_step = 0;
}

void LineMarks::Linked(LineRecord* line, std::int32_t index, std::int32_t lineCount) {
    const std::size_t k = LowerBound(index);
    Shift(k, 1);
    if (k != m_marks.size() || index != lineCount - 1)
        return;
    const std::int32_t lastMarked = m_marks.empty() ? 0 : IndexAt(k - 1);
    if (index - lastMarked < m_spacing)
        return;
    // Past every mark, so the pending step (which is 0 over no marks) never applies to it.
    ApplyStep();
    m_marks.push_back({line, index});
    m_stepFrom = m_marks.size();
}

void LineMarks::Unlinking(LineRecord* line, std::int32_t index) {
    const std::size_t k = LowerBound(index);
    if (k == m_marks.size() || m_marks[k].line != line) {
        Shift(k, -1);
        return;
    }
    LineRecord* next = line->next;
    if (next != nullptr && (k + 1 == m_marks.size() || m_marks[k + 1].line != next)) {
        m_marks[k].line = next; // which takes the index
        Shift(k + 1, -1);
        return;
    }
    ApplyStep();
    m_marks.erase(m_marks.begin() + static_cast<std::ptrdiff_t>(k));
    m_stepFrom = m_marks.size();
    Shift(k, -1);
}

void LineMarks::Forget(std::int32_t first, std::int32_t last) {
    if (first > last)
        return;
    const std::size_t from = LowerBound(first);
    const std::size_t to = LowerBound(last + 1);
    if (from == to)
        return;
    ApplyStep();
    m_marks.erase(m_marks.begin() + static_cast<std::ptrdiff_t>(from),
                  m_marks.begin() + static_cast<std::ptrdiff_t>(to));
    m_stepFrom = m_marks.size();
    m_hint = from;
}

void LineMarks::Add(const std::vector<Mark>& walked) {
    if (walked.empty())
        return;
    ApplyStep();
    const std::size_t k = LowerBound(walked.front().index);
    const std::int32_t above = k > 0 ? m_marks[k - 1].index : -1;
    const std::int32_t below = k < m_marks.size() ? m_marks[k].index
                                                  : std::numeric_limits<std::int32_t>::max();
    std::vector<Mark> fresh;
    fresh.reserve(walked.size());
    for (const Mark& mark : walked)
        if (mark.index > above && mark.index < below)
            fresh.push_back(mark);
    m_marks.insert(m_marks.begin() + static_cast<std::ptrdiff_t>(k), fresh.begin(), fresh.end());
    m_stepFrom = m_marks.size();
}
