// Search > Go To Error and Go To Previous Error, and the double-click on a simulator's
// message: from an output or error file to the netlist line the message names.

#include <algorithm>

#include "CKelvoView.h"

bool CKelvoView::IsSimulatorOutput() const {
    if (m_pDoc == nullptr)
        return false;
    const QByteArray extension = m_pDoc->GetPathName().Extension().toLower();
    return extension == ".out" || extension == ".err";
}

void CKelvoView::OnUpdateGoToError(CommandUpdate& update) {
    update.Enable(IsSimulatorOutput());
}

void CKelvoView::OnGoToError() {
    GoToError(true);
}

void CKelvoView::OnGoToPreviousError() {
    GoToError(false);
}

void CKelvoView::GoToError(bool forward) {
    KeepPositionsInText();
    if (m_pStore == nullptr || !IsSimulatorOutput())
        return;
    // Forward, a message whose line starts at or after the selection's later end; back,
    // one whose line starts before its earlier end. A message gone to is selected whole,
    // so that the next step in either direction passes it.
    const TextPos later = m_caret.LaterEnd();
    const TextPos earlier = m_caret.EarlierEnd();
    const int line = forward ? NextPlaceLine(*m_pStore, later.line - (later.column == 0), true)
                             : NextPlaceLine(*m_pStore, earlier.line + (earlier.column > 0), false);
    if (line < 0 || !GoToMessage(line))
        Beep();
}

bool CKelvoView::GoToMessage(int line) {
    if (m_pStore == nullptr || m_pDoc == nullptr)
        return false;
    const std::optional<NetlistPlace> place = PlaceAt(*m_pStore, line);
    if (!place)
        return false;
    SelectLine(line);
    m_pApp->ShowNetlistPlace(*m_pDoc, *place);
    return true;
}
