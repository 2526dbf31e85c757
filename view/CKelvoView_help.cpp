// Help on the SPICE word that begins a line, read as the netlist around it reads it.

#include <cstdint>

#include "CKelvoView.h"
#include "KeywordTable.h"

int CKelvoView::FindHelpContext(int line) const {
    return m_pStore != nullptr ? HelpContextOfLine(*m_pStore, line) : 0;
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
