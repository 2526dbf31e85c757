#pragma once

#include <algorithm>
#include <array>
#include <optional>

#include "TextStore.h"

// The caret and the selection of one view, in lines and columns: where they stand, where a
// key takes them, and how they stay inside a text that changed under them. Pixels,
// painting and scrolling are the view's: each change here returns the stretch of text
// whose highlight it changed, and the view repaints that.
class CaretModel {
public:
    // A stretch of text, its ends in either order.
    struct Span {
        TextPos a;
        TextPos b;
        friend constexpr bool operator==(const Span&, const Span&) = default;
    };

    explicit CaretModel(const TextStore* store = nullptr) : m_pStore(store) {}
    // The store the positions lie in; null once the document has gone.
    void SetStore(const TextStore* store) { m_pStore = store; }

    // --- Where things stand.
    // The caret; while a selection is in force, the selection's fixed end.
    [[nodiscard]] TextPos Caret() const { return m_posCaret; }
    // The selection's moving end, meaningful while HasSelection(): a key move without a
    // selection sets only the caret.
    [[nodiscard]] TextPos SelEnd() const { return m_posSelEnd; }
    [[nodiscard]] bool HasSelection() const { return m_bSelection; }
    // What the view keeps visible: the moving end of a selection, else the caret.
    [[nodiscard]] TextPos ActiveEnd() const { return m_bSelection ? m_posSelEnd : m_posCaret; }
    [[nodiscard]] TextPos EarlierEnd() const { return std::min(m_posCaret, m_posSelEnd); }
    [[nodiscard]] TextPos LaterEnd() const { return std::max(m_posCaret, m_posSelEnd); }
    // Under the mouse at the last press or drag step inside the window.
    [[nodiscard]] TextPos LastMouse() const { return m_posLastMouse; }
    void SetLastMouse(TextPos pos) { m_posLastMouse = pos; }

    // --- Changes. None scrolls or paints.
    // Ends any selection, both ends at pos; gives the selection that was in force.
    std::optional<Span> Collapse(TextPos pos);
    // Moves the selection's moving end to pos, starting a selection from the caret when
    // none is in force; nothing happens when pos is the caret. Gives the stretch whose
    // highlight changed: from the old moving end, or the whole new selection.
    std::optional<Span> Extend(TextPos pos);
    // The caret, or the fixed end of the selection in force, goes to pos.
    void SetCaret(TextPos pos) { m_posCaret = pos; }
    // A selection in force with these two ends.
    void Select(TextPos fixed, TextPos moving);
    // While a selection is in force, its ends trade places when pos lies before the fixed
    // end of a forward selection or after that of a backward one (a Shift+click).
    void SwapEndsIfBeyond(TextPos pos);
    // Every position kept here brought within the text: the other pane may have shortened
    // it since they were set. Each position the model keeps is in Positions(), so that
    // whatever moves them after a change of the text moves all of them.
    void KeepPositionsInText();

    // --- Where a key takes a position: nothing when the move cannot go, which beeps.
    // One character, or with `word` one word, back or on; at a line's edge the move
    // crosses to the neighbouring line.
    [[nodiscard]] std::optional<TextPos> Left(TextPos from, bool word) const;
    [[nodiscard]] std::optional<TextPos> Right(TextPos from, bool word) const;
    // Up and Down between lines keep the caret's pixel x, which only the view can find.
    // On the first line Up goes to its start, on the last line Down to its end.
    [[nodiscard]] bool OnLastLine(TextPos pos) const;
    [[nodiscard]] std::optional<TextPos> UpOnFirstLine(TextPos from) const;
    [[nodiscard]] std::optional<TextPos> DownOnLastLine(TextPos from) const;
    // Home: the line's start, or the text's. End: the line's end, or the start of the last
    // line (not its end).
    [[nodiscard]] TextPos Home(TextPos from, bool ofText) const;
    [[nodiscard]] TextPos End(TextPos from, bool ofText) const;
    // Where a whole-line selection ends for a position on line L: the start of line L + 1,
    // or the end of L when it is the last line.
    [[nodiscard]] TextPos LineTarget(TextPos pos) const;
    // The fixed and moving ends of a whole-line drag begun on anchorLine with the mouse at
    // pos: the anchor line stays selected whichever side of it the mouse is.
    [[nodiscard]] Span WholeLines(int anchorLine, TextPos pos) const;
    // A double-click's word: from the start of the word at pos over it and the blanks
    // after it.
    [[nodiscard]] Span WordAndBlanks(TextPos pos) const;

private:
    [[nodiscard]] std::array<TextPos*, 3> Positions() {
        return {&m_posCaret, &m_posSelEnd, &m_posLastMouse};
    }
    [[nodiscard]] int LineLength(int line) const { return m_pStore->LineAt(line)->length; }

    const TextStore* m_pStore;
    TextPos m_posCaret;  // while a selection is in force, its fixed end
    TextPos m_posSelEnd; // the moving end of the selection
    bool m_bSelection = false;
    TextPos m_posLastMouse;
};
