#include "CChildFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QMenu>

#include "CommandIds.h"

namespace {

const CommandEntry<CChildFrame> kChildFrameCommands[] = {
    {ID_WINDOW_SPLIT, &CChildFrame::Split, nullptr},
    {ID_NEXT_PANE, &CChildFrame::OnNextPane, nullptr},
    {ID_PREV_PANE, &CChildFrame::OnPrevPane, nullptr},
};

} // namespace

CChildFrame::CChildFrame(CKelvoDoc* document, ViewDefaults* app, QWidget* parent)
    : QMdiSubWindow(parent), m_pDoc(document), m_pApp(app) {
    setAttribute(Qt::WA_DeleteOnClose);
    // The window's own menu would take Ctrl+W (and Ctrl+F4) from File > Close.
    for (QAction* action : systemMenu()->actions())
        action->setShortcuts({});
    setWindowIcon(QIcon(":/icons/new.svg"));
    m_wndSplitter = new QSplitter(Qt::Vertical, this);
    m_wndSplitter->setChildrenCollapsible(true);
    setWidget(m_wndSplitter);
    CKelvoView* first = MakePane();
    m_wndSplitter->addWidget(first);
    first->OnInitialUpdate(nullptr);
    m_lastActive = first;
    setWindowTitle(document->GetTitle());
    connect(document, &CKelvoDoc::titleChanged, this, &QWidget::setWindowTitle);
    connect(m_wndSplitter, &QSplitter::splitterMoved, this, &CChildFrame::DropCollapsedPane);
}

CKelvoView* CChildFrame::MakePane() {
    auto* view = new CKelvoView(m_pDoc, m_pApp);
    view->setMinimumSize(10, 10);
    view->installEventFilter(this);
    connect(view, &CKelvoView::caretChanged, this, &CChildFrame::caretChanged);
    return view;
}

std::vector<CKelvoView*> CChildFrame::Panes() const {
    std::vector<CKelvoView*> panes;
    for (int i = 0; i < m_wndSplitter->count(); ++i)
        if (auto* view = qobject_cast<CKelvoView*>(m_wndSplitter->widget(i)))
            panes.push_back(view);
    return panes;
}

bool CChildFrame::OnCommandHelp(std::intptr_t wParam, std::intptr_t lParam) {
    if (QApplication::activeWindow() != window())
        return false;
    CKelvoView* view = ActiveView();
    return view != nullptr && view->OnKeywordHelp(wParam, lParam);
}

CKelvoView* CChildFrame::ActiveView() const {
    const std::vector<CKelvoView*> panes = Panes();
    if (m_lastActive && std::find(panes.begin(), panes.end(), m_lastActive.data()) != panes.end())
        return m_lastActive;
    return panes.empty() ? nullptr : panes.front();
}

bool CChildFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn)
        if (auto* view = qobject_cast<CKelvoView*>(watched); view != nullptr) {
            m_lastActive = view;
            emit caretChanged();
        }
    return QMdiSubWindow::eventFilter(watched, event);
}

bool CChildFrame::OnCommand(int id) {
    return DispatchCommand(this, kChildFrameCommands, id);
}

bool CChildFrame::OnUpdateCommand(CommandUpdate& update) {
    return DispatchUpdate(this, kChildFrameCommands, update);
}

void CChildFrame::Split() {
    const std::vector<CKelvoView*> panes = Panes();
    if (panes.size() != 1)
        return;
    CKelvoView* second = MakePane();
    m_wndSplitter->addWidget(second);
    second->OnInitialUpdate(panes.front());
    const int height = std::max(m_wndSplitter->height(), 20);
    m_wndSplitter->setSizes({height / 2, height - height / 2});
    second->show();
}

void CChildFrame::FocusPane(int step) {
    const std::vector<CKelvoView*> panes = Panes();
    if (panes.size() < 2)
        return;
    const auto at = std::find(panes.begin(), panes.end(), ActiveView()) - panes.begin();
    const std::size_t next = std::size_t((at + step + int(panes.size())) % int(panes.size()));
    panes[next]->setFocus(Qt::OtherFocusReason);
    m_lastActive = panes[next];
    emit caretChanged();
}

void CChildFrame::DropCollapsedPane() {
    const std::vector<CKelvoView*> panes = Panes();
    if (panes.size() != 2)
        return;
    const QList<int> sizes = m_wndSplitter->sizes();
    for (int i = 0; i < 2; ++i) {
        if (sizes[i] == 0) {
            CKelvoView* gone = panes[std::size_t(i)];
            CKelvoView* stays = panes[std::size_t(1 - i)];
            // The keys typed next go to the pane that stays: the one that goes would leave
            // the focus nowhere, for a view does not pass it on.
            const bool hadFocus = gone->hasFocus() || gone->viewport()->hasFocus();
            gone->LeaveSibling(); // now, not when the view is finally deleted
            if (hadFocus)
                stays->setFocus(Qt::OtherFocusReason);
            gone->hide();
            gone->deleteLater();
            gone->setParent(nullptr);
            m_lastActive = stays;
            emit caretChanged();
            return;
        }
    }
}

void CChildFrame::CloseForDocument() {
    m_bClosingForDocument = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    // The user's close asks the document first; the document's own close does not.
    if (!m_bClosingForDocument && m_pDoc && !m_pDoc->CloseWithPrompt()) {
        event->ignore();
        return;
    }
    emit aboutToClose();
    QMdiSubWindow::closeEvent(event);
    emit closed();
}
