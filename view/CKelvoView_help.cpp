// Help on the SPICE word that begins a line.

#include <cstdint>
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

bool CKelvoView::OnKeywordHelp(std::intptr_t wParam, std::intptr_t lParam) {
    Q_UNUSED(wParam);
    Platform* platform = m_pDoc != nullptr ? m_pDoc->GetPlatform() : nullptr;
    if (platform == nullptr)
        return false;
    if (lParam != 0) {
        platform->WinHelp(int(lParam), HELP_CONTEXT);
        return true;
    }
    const int context = FindHelpContext(CaretPos().line);
    if (context == 0)
        return false;
    platform->WinHelp(context, HELP_CONTEXT);
    return true;
}
