// The main frame's own commands, and the route every command takes.
#include "CMainFrame.h"

namespace {

const CommandEntry<CMainFrame> kMainFrameCommands[] = {
    {ID_VIEW_TOOLBAR, &CMainFrame::OnViewToolbar, &CMainFrame::OnUpdateViewToolbar},
    {ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar, &CMainFrame::OnUpdateViewStatusBar},
    {ID_WINDOW_CASCADE, &CMainFrame::CascadeWindows, &CMainFrame::OnUpdateWindowArrange},
    {ID_WINDOW_TILE_HORZ, &CMainFrame::TileHorizontally, &CMainFrame::OnUpdateWindowArrange},
    {ID_WINDOW_TILE_VERT, &CMainFrame::TileVertically, &CMainFrame::OnUpdateWindowArrange},
    {ID_WINDOW_ARRANGE, &CMainFrame::ArrangeIcons, &CMainFrame::OnUpdateWindowArrange},
    {ID_HELP, &CMainFrame::OnHelp, nullptr},
    {ID_HELP_INDEX, &CMainFrame::OnHelpIndex, nullptr},
    {ID_HELP_USING, &CMainFrame::OnHelpUsing, nullptr},
    {ID_CONTEXT_HELP, &CMainFrame::OnContextHelp, nullptr},
};

} // namespace

bool CMainFrame::OnCommand(int id) {
    return DispatchCommand(this, kMainFrameCommands, id);
}

bool CMainFrame::OnUpdateCommand(CommandUpdate& update) {
    return DispatchUpdate(this, kMainFrameCommands, update);
}

bool CMainFrame::RouteCommand(int id) {
    // Each target is looked up just before it is asked: a command that closes a document
    // ends the route there, and nothing after it is reached through the closed one.
    if (CKelvoView* view = ActiveView(); view != nullptr && view->OnCommand(id))
        return true;
    if (CKelvoDoc* doc = ActiveDocument(); doc != nullptr && doc->OnCommand(id))
        return true;
    if (CChildFrame* child = ActiveChild(); child != nullptr && child->OnCommand(id))
        return true;
    if (OnCommand(id))
        return true;
    return m_pOwner != nullptr && m_pOwner->OnCommand(id);
}

bool CMainFrame::RouteUpdate(CommandUpdate& update) {
    CommandTarget* const targets[] = {ActiveView(), ActiveDocument(), ActiveChild(), this,
                                      m_pOwner};
    for (CommandTarget* target : targets)
        if (target != nullptr && target->OnUpdateCommand(update))
            return true;
    update.Enable(false);
    return false;
}

void CMainFrame::UpdateCommandStates() {
    for (const auto& [id, action] : m_actions) {
        CommandUpdate update{id};
        RouteUpdate(update);
        action->setEnabled(update.enabled);
        if (update.checked)
            action->setChecked(*update.checked);
    }
    UpdateStatusPanes();
}

void CMainFrame::OnViewToolbar() {
    m_wndToolBar->setVisible(!m_wndToolBar->isVisible());
}

void CMainFrame::OnUpdateViewToolbar(CommandUpdate& update) {
    update.SetCheck(m_wndToolBar->isVisible());
}

void CMainFrame::OnViewStatusBar() {
    m_wndStatusBar->setVisible(!m_wndStatusBar->isVisible());
}

void CMainFrame::OnUpdateViewStatusBar(CommandUpdate& update) {
    update.SetCheck(m_wndStatusBar->isVisible());
}

void CMainFrame::OnUpdateWindowArrange(CommandUpdate& update) {
    update.Enable(ActiveChild() != nullptr);
}
