#pragma once

// How every step of editing starts and ends, shared by the files that make the steps.

#include <algorithm>

#include "TextStore.h"

// Sets a flag for the scope and clears it on the way out. This layer has no Qt, so no
// QScopedValueRollback, and the standard library's scope guard is still experimental.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

template <class Step>
TextStore::EditResult TextStore::Guarded(TextPos from, bool userEdit, bool reportModified,
                                         Step&& step) {
    // AllowEdit may show a message box, whose event loop can deliver another key: an edit
    // begun inside this one would change the text under it.
    if (m_editing)
        return {from, false};
    const FlagScope editing(m_editing);
    EditResult result{from, false};
    const bool allowed = document == nullptr || document->AllowEdit();
    if (allowed && lineCount > 0) {
        // Whoever keeps the text as it stands (a copy promised to the clipboard) takes it
        // now.
        if (document)
            document->TextChanging();
        m_nLongestRead = -1; // the text is no longer as read
        if (userEdit)
            UndoJournal::FreeList(m_journal.redoList);
        // A stale position (a second pane, say) is brought within the text first, so no
        // routine reads or writes outside a line.
        result = step(Clamp(from));
        if (result.done && document)
            document->TextChanged(result.change);
    }
    if (document && reportModified)
        document->SetModifiedFlag(m_journal.undoList != nullptr);
    return result;
}
