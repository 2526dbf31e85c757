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

template <class Ask> bool CMainFrame::AlongRoute(Ask ask) {
    // Each target is looked up just before it is asked: a command that closes a document
    // ends the route there, and nothing after it is reached through the closed one.
    using Step = CommandTarget* (*)(CMainFrame&);
    const Step route[] = {
        [](CMainFrame& frame) -> CommandTarget* { return frame.ActiveView(); },
        [](CMainFrame& frame) -> CommandTarget* { return frame.ActiveDocument(); },
        [](CMainFrame& frame) -> CommandTarget* { return frame.ActiveChild(); },
        [](CMainFrame& frame) -> CommandTarget* { return &frame; },
        [](CMainFrame& frame) -> CommandTarget* { return frame.m_pOwner; },
    };
    for (const Step step : route)
        if (CommandTarget* target = step(*this); target != nullptr && ask(*target))
            return true;
    return false;
}

bool CMainFrame::RouteCommand(int id) {
    return AlongRoute([id](CommandTarget& target) { return target.OnCommand(id); });
}

bool CMainFrame::RouteUpdate(CommandUpdate& update) {
    if (AlongRoute([&update](CommandTarget& target) { return target.OnUpdateCommand(update); }))
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
