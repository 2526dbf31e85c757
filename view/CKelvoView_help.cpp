// Help on the SPICE word that begins a line.

#include <cstring>

#include "CKelvoView.h"
#include "KeywordTable.h"

int CKelvoView::FindHelpContext(int line) const {
    if (m_pStore == nullptr || line < 0 || line >= m_pStore->LineCount())
        return 0;
    const LineRecord* record = m_pStore->LineAt(line);
    // Leading blanks are not skipped: an indented line names no keyword.
    for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry) {
        const std::size_t n = std::strlen(entry->keyword);
        if (n <= std::size_t(record->length) &&
            TextStore::CompareNoCase(entry->keyword, record->text, n) == 0)
            return entry->helpContext;
    }
    return 0;
}

int CKelvoView::HelpHitTest(QPoint point) const {
    if (m_pStore == nullptr)
        return 0;
    return FindHelpContext(PointToPos(point).line);
}
