#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "LineRecord.h"

// Lines of a store about every kSpacing lines apart, with their indexes, so that reaching
// any line walks a few hundred records from the nearest mark instead of millions from an
// end of the list. The spacing is a setting so that tests can mark short texts densely.
//
// Linking or unlinking a line moves the index of every mark after it. That move is kept as
// one pending step over the marks from a position on, and is carried over the marks only
// as far as the next change or lookup elsewhere needs it: typing or pasting in one place
// costs the same however many marks follow.
class LineMarks {
public:
    static constexpr std::int32_t kSpacing = 1024;

    [[nodiscard]] std::int32_t Spacing() const noexcept { return m_spacing; }
    void SetSpacing(std::int32_t spacing) noexcept { m_spacing = spacing > 0 ? spacing : 1; }
    struct Mark {
        LineRecord* line = nullptr;
        std::int32_t index = -1;
    };

    void Clear() noexcept;
    [[nodiscard]] std::size_t Size() const noexcept { return m_marks.size(); }
    // The mark at a position, its index up to date.
    [[nodiscard]] Mark At(std::size_t position) const noexcept;
    // The mark nearest to a line index, either side; a null line when there is none.
    [[nodiscard]] Mark Nearest(std::int32_t index) const noexcept;

    // The line now at index was linked there: the lines from index on moved down one.
    // lineCount counts it. A line linked last becomes a mark when the last one is far
    // enough above, so a file read in order is marked as it is read.
    void Linked(LineRecord* line, std::int32_t index, std::int32_t lineCount);
    // The line at index is about to be unlinked; its mark, if it has one, passes to the
    // next line, which takes the index.
    void Unlinking(LineRecord* line, std::int32_t index);
    // Drops the marks of the lines from first to last, which are about to be unlinked.
    void Forget(std::int32_t first, std::int32_t last);
    // A walk went past these lines (in index order) where no mark was: they become marks.
    void Add(const std::vector<Mark>& walked);

private:
    std::vector<Mark> m_marks; // in index order
    std::int32_t m_spacing = kSpacing;
    // The indexes stored from m_stepFrom on lack m_step.
    std::size_t m_stepFrom = 0;
    std::int32_t m_step = 0;
    // Where the last search ended: changes in one place find it again at once.
    mutable std::size_t m_hint = 0;

    [[nodiscard]] std::int32_t IndexAt(std::size_t position) const noexcept {
        return m_marks[position].index + (position >= m_stepFrom ? m_step : 0);
    }
    // The first position whose mark's index is at least index.
    [[nodiscard]] std::size_t LowerBound(std::int32_t index) const noexcept;
    // Adds delta to the index of every mark from position on.
    void Shift(std::size_t position, std::int32_t delta) noexcept;
    void ApplyStep() noexcept;
};
