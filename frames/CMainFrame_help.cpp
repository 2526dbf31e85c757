// The Help menu, F1 and Shift+F1.
#include <QApplication>

#include "CMainFrame.h"
#include "ContextHelpMode.h"

Platform* CMainFrame::GetPlatform() const {
    return m_pOwner != nullptr ? m_pOwner->GetPlatform() : nullptr;
}

void CMainFrame::OnHelp() {
    if (CChildFrame* child = ActiveChild(); child != nullptr && child->OnCommandHelp(0, 0))
        return;
    ShowWindowHelp(QApplication::activeWindow());
}

void CMainFrame::ShowWindowHelp(const QWidget* window) {
    Platform* platform = GetPlatform();
    if (platform == nullptr)
        return;
    if (platform->IsHelpWindow(window))
        platform->WinHelp(0, HELP_HELPONHELP);
    else
        platform->WinHelp(kMainWindowHelpContext, HELP_CONTEXT);
}

void CMainFrame::OnHelpIndex() {
    if (Platform* platform = GetPlatform())
        platform->WinHelp(0, HELP_INDEX);
}

void CMainFrame::OnHelpUsing() {
    if (Platform* platform = GetPlatform())
        platform->WinHelp(0, HELP_HELPONHELP);
}

void CMainFrame::OnContextHelp() {
    m_helpMode->Enter();
}

bool CMainFrame::IsInHelpMode() const {
    return m_helpMode->IsActive();
}
