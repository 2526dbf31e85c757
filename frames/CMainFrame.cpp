#include "CMainFrame.h"
#include "ContextHelpMode.h"

#include "ToolbarIcon.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleOptionTitleBar>
#include <QTimerEvent>

#include "FileName.h"

namespace {

// Menus highlight disabled items too, so that their prompts show in the status bar.
class PromptStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_Menu_AllowActiveAndDisabled)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

QString PaneText(bool shown, const char* text) {
    return shown ? QString(text) : QString();
}

int TitleBarHeight(const QMdiSubWindow* window) {
    QStyleOptionTitleBar option;
    option.initFrom(window);
    option.titleBarFlags = window->windowFlags();
    option.titleBarState = int(window->windowState());
    return std::max(1, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, &option, window));
}

} // namespace

static void LoadResources() {
    Q_INIT_RESOURCE(res);
}

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    LoadResources();
    setWindowTitle("Kelvo");
    // The program's icon, which every window without one of its own shows: this one, the
    // dialogs, and a document window until it takes its file's (so that it never asks the
    // style for the stand-in, which only a read of every image format would give). Three
    // sizes serve title bars, task bars and window switchers; a drawing without sizes would
    // be drawn at four, up to 128 pixels, for the window system as the window is made.
    const QIcon drawing(":/icons/file-cir.svg");
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addPixmap(drawing.pixmap(size));
    QGuiApplication::setWindowIcon(icon);
    m_helpMode = new ContextHelpMode(this);
    m_mdiArea = new QMdiArea(this);
    setCentralWidget(m_mdiArea);
    m_mdiArea->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    // A document window that reaches past the area (the main window made smaller) stays
    // within reach: the area scrolls to it.
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    CreateActions();
    CreateWindowKeys();
    CreateBars();
    ShowMenus(false);
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        if (window != nullptr && !m_bClosingChild)
            BringToFront(window);
        UpdateCaption();
        ShowMenus(!m_mdiArea->subWindowList().isEmpty());
        UpdateStatusPanes();
    });
    m_nIdleTimer = startTimer(1000);
    // Until the preference file says otherwise, four fifths of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        resize(screen->availableGeometry().size() * 4 / 5);
}

CMainFrame::~CMainFrame() {
    if (m_nIdleTimer != 0)
        killTimer(m_nIdleTimer);
    // The windows go after this object's own parts: they must not call back into it.
    m_bDestroying = true;
    // A window being destroyed still reports its state; the area it would be asked about
    // is then half gone.
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        disconnect(window, nullptr, this, nullptr);
    disconnect(m_mdiArea, nullptr, this, nullptr);
    delete m_mdiArea; // its windows go while this object is still whole
    m_mdiArea = nullptr;
}

void CMainFrame::CreateActions() {
    m_menuStyle = new PromptStyle;
    m_menuStyle->setParent(this);
    for (const CommandInfo& command : Commands()) {
        auto* action = new QAction(QString::fromLatin1(command.menuText), this);
        action->setData(command.id);
        QList<QKeySequence> keys(command.keys.begin(), command.keys.end());
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::ApplicationShortcut);
        action->setStatusTip(PromptOf(command));
        action->setToolTip(TipOf(command).isEmpty() ? action->text().remove('&') : TipOf(command));
        if (command.icon != nullptr)
            action->setIcon(ToolbarIcon(command.icon));
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, id = command.id] {
            RouteCommand(id);
            UpdateCommandStates();
        });
        m_actions[command.id] = action;
        addAction(action); // its shortcut works whatever menu bar shows
    }
    Action(ID_VIEW_TOOLBAR)->setCheckable(true);
    Action(ID_VIEW_STATUS_BAR)->setCheckable(true);
    Action(ID_OPTIONS_READ_ONLY)->setCheckable(true);
    Action(ID_OPTIONS_SYNTAX_COLOURS)->setCheckable(true);
    for (int i = 0; i < kRecentFiles; ++i) {
        auto* recent = new QAction(this);
        recent->setStatusTip(PromptOf(*FindCommand(ID_FILE_MRU_FILE1)));
        connect(recent, &QAction::triggered, this, [this, id = ID_FILE_MRU_FILE1 + i] {
            RouteCommand(id);
            UpdateCommandStates();
        });
        m_recentActions.push_back(recent);
    }

    auto build = [this](const std::vector<MenuInfo>& menus, std::vector<QMenu*>& into) {
        for (const MenuInfo& info : menus) {
            auto* menu = new QMenu(QString::fromLatin1(info.title), this);
            menu->setStyle(m_menuStyle);
            for (int id : info.items) {
                if (id == 0) {
                    menu->addSeparator();
                } else if (id == ID_FILE_MRU_FILE1) {
                    menu->addAction(Action(id));
                    menu->addActions(
                        QList<QAction*>(m_recentActions.begin(), m_recentActions.end()));
                } else {
                    menu->addAction(Action(id));
                }
            }
            if (QString(info.title) == "&Window")
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { FillWindowList(menu); });
            connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
            into.push_back(menu);
        }
    };
    build(DocumentMenus(), m_documentMenus);
    build(EmptyMenus(), m_emptyMenus);
}

void CMainFrame::CreateWindowKeys() {
    auto add = [this](const QKeySequence& key, void (CMainFrame::*handler)()) {
        auto* action = new QAction(this);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut); // not while a dialog is in front
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
    };
    add(QKeySequence("Ctrl+F6"), &CMainFrame::ActivateNextWindow);
    add(QKeySequence("Ctrl+Shift+F6"), &CMainFrame::ActivatePreviousWindow);
    add(QKeySequence("Ctrl+F4"), &CMainFrame::CloseActiveWindow);
}

QLabel* CMainFrame::MakePane(const QString& prototype) {
    auto* pane = new QLabel(this);
    pane->setAlignment(Qt::AlignCenter);
    pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The pane keeps the width of its prototype text, whatever it shows.
    pane->setFixedWidth(pane->fontMetrics().horizontalAdvance(prototype) + 8);
    m_wndStatusBar->addPermanentWidget(pane);
    return pane;
}

void CMainFrame::CreateBars() {
    m_wndToolBar = addToolBar("Toolbar");
    m_wndToolBar->setObjectName("toolbar");
    m_wndToolBar->setIconSize(QSize(16, 16));
    for (int id : ToolbarSlots()) {
        if (id == 0)
            m_wndToolBar->addSeparator();
        else
            m_wndToolBar->addAction(Action(id));
    }
    m_wndStatusBar = statusBar();
    m_wndStatusBar->setObjectName("statusbar");
    m_paneLine = MakePane(" Ln 0001, Col 001 ");
    m_paneOverwrite = MakePane(" OVER ");
    m_paneReadOnly = MakePane(" READ ");
    m_wndStatusBar->showMessage(kIdlePrompt);
    connect(m_wndStatusBar, &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            m_wndStatusBar->showMessage(kIdlePrompt);
    });
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found != m_actions.end() ? found->second : nullptr;
}

void CMainFrame::UpdateStatusPanes() {
    const CKelvoView* view = ActiveView();
    const CKelvoDoc* doc = ActiveDocument();
    m_paneLine->setText(view != nullptr ? QString(" Ln %1, Col %2 ")
                                              .arg(view->CaretPos().line + 1)
                                              .arg(view->CaretPos().column + 1)
                                        : QString());
    m_paneOverwrite->setText(PaneText(view != nullptr && view->IsOverwrite(), " OVER "));
    m_paneReadOnly->setText(PaneText(doc != nullptr && doc->IsReadOnly(), " READ "));
}

void CMainFrame::UpdateCaption() {
    const CChildFrame* child = ActiveChild();
    const CKelvoDoc* doc = ActiveDocument();
    // A maximized document window adds " - [title]" to the caption itself.
    if (doc == nullptr || (child != nullptr && child->isMaximized()))
        setWindowTitle("Kelvo");
    else
        setWindowTitle("Kelvo - " + doc->GetTitle());
}

void CMainFrame::ShowMenus(bool documentOpen) {
    if (documentOpen == m_bDocumentMenus && !menuBar()->actions().isEmpty())
        return;
    m_bDocumentMenus = documentOpen;
    menuBar()->clear();
    for (QMenu* menu : documentOpen ? m_documentMenus : m_emptyMenus)
        menuBar()->addMenu(menu);
}

void CMainFrame::SetRecentFiles(const FileNameList& files) {
    for (int i = 0; i < kRecentFiles; ++i) {
        QAction* recent = m_recentActions[std::size_t(i)];
        const bool used = i < files.size();
        recent->setVisible(used);
        if (used) {
            recent->setText(QString("&%1 %2").arg(i + 1).arg(files[i].Display()));
        }
    }
    // The placeholder shows only while the list is empty.
    Action(ID_FILE_MRU_FILE1)->setVisible(files.isEmpty());
}

void CMainFrame::FillWindowList(QMenu* menu) {
    for (QAction* action : menu->actions())
        if (action->property("windowEntry").toBool())
            menu->removeAction(action), action->deleteLater();
    const QList<QMdiSubWindow*> windows = m_mdiArea->subWindowList();
    if (windows.isEmpty())
        return;
    QAction* separator = menu->addSeparator();
    separator->setProperty("windowEntry", true);
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        auto* entry = menu->addAction(QString("&%1 %2").arg(number++).arg(window->windowTitle()));
        entry->setProperty("windowEntry", true);
        // Only the active entry can be checked: an entry that can draws a box even empty.
        const bool active = window == m_mdiArea->currentSubWindow();
        entry->setCheckable(active);
        entry->setChecked(active);
        connect(entry, &QAction::triggered, this, [this, window] {
            if (m_mdiArea->subWindowList().contains(window))
                Activate(qobject_cast<CChildFrame*>(window));
        });
    }
}

CChildFrame* CMainFrame::AddChild(CKelvoDoc* document, ViewDefaults* app) {
    auto* child = new CChildFrame(document, app);
    m_mdiArea->addSubWindow(child);
    if (m_zOrder.empty())
        m_nNextPlace = 0;
    child->setGeometry(CascadePlace(m_nNextPlace++, child));
    child->show();
    child->ActiveView()->setFocus();
    connect(document, &CKelvoDoc::titleChanged, this, &CMainFrame::UpdateCaption);
    connect(child, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::UpdateCaption);
    // The caret's place and the overtype mode show as they change, not at the next idle.
    connect(child, &CChildFrame::caretChanged, this, [this, child] {
        if (child == ActiveChild())
            UpdateStatusPanes();
    });
    connect(child, &CChildFrame::aboutToClose, this, [this, child] {
        m_bClosingChild = child == m_mdiArea->currentSubWindow();
        Forget(child);
    });
    connect(child, &CChildFrame::closed, this, [this] {
        // The window used most recently before the closed one takes over.
        if (std::exchange(m_bClosingChild, false) && !m_zOrder.empty())
            m_mdiArea->setActiveSubWindow(m_zOrder.front());
    });
    connect(child, &QObject::destroyed, this, [this, child] {
        if (m_bDestroying)
            return;
        Forget(child);
        UpdateCaption();
        ShowMenus(!m_mdiArea->subWindowList().isEmpty());
        UpdateStatusPanes();
    });
    UpdateCaption();
    ShowMenus(true);
    return child;
}

CChildFrame* CMainFrame::FindChild(const CKelvoDoc* document) const {
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window);
            child && child->Document() == document)
            return child;
    return nullptr;
}

CChildFrame* CMainFrame::ActiveChild() const {
    // A window whose document has closed is only waiting to go: nothing is done in it.
    auto* child = qobject_cast<CChildFrame*>(m_mdiArea->currentSubWindow());
    return child != nullptr && child->Document() != nullptr ? child : nullptr;
}

CKelvoView* CMainFrame::ActiveView() const {
    const CChildFrame* child = ActiveChild();
    return child != nullptr ? child->ActiveView() : nullptr;
}

CKelvoDoc* CMainFrame::ActiveDocument() const {
    const CChildFrame* child = ActiveChild();
    return child != nullptr ? child->Document() : nullptr;
}

void CMainFrame::Activate(CChildFrame* child) {
    if (child == nullptr)
        return;
    if (child->isMinimized())
        child->showNormal();
    m_mdiArea->setActiveSubWindow(child);
}

std::vector<CChildFrame*> CMainFrame::Children(bool minimized) const {
    std::vector<CChildFrame*> children;
    for (QMdiSubWindow* window : m_mdiArea->subWindowList())
        if (auto* child = qobject_cast<CChildFrame*>(window);
            child && child->isMinimized() == minimized)
            children.push_back(child);
    return children;
}

void CMainFrame::BringToFront(QMdiSubWindow* window) {
    Forget(window);
    m_zOrder.insert(m_zOrder.begin(), window);
}

void CMainFrame::Forget(QMdiSubWindow* window) {
    m_zOrder.erase(std::remove(m_zOrder.begin(), m_zOrder.end(), window), m_zOrder.end());
}

void CMainFrame::ActivateNextWindow() {
    if (m_zOrder.size() < 2)
        return;
    std::rotate(m_zOrder.begin(), m_zOrder.begin() + 1, m_zOrder.end());
    m_mdiArea->setActiveSubWindow(m_zOrder.front());
}

void CMainFrame::ActivatePreviousWindow() {
    if (m_zOrder.size() >= 2)
        m_mdiArea->setActiveSubWindow(m_zOrder.back());
}

void CMainFrame::CloseActiveWindow() {
    if (CChildFrame* child = ActiveChild())
        child->close();
}

QSize CMainFrame::AreaSize() {
    // Before the main window first shows, the area's viewport has not had its size yet.
    if (!m_mdiArea->viewport()->isVisible()) {
        if (layout() != nullptr)
            layout()->activate();
        return m_mdiArea->contentsRect().size();
    }
    return m_mdiArea->viewport()->size();
}

QRect CMainFrame::CascadePlace(int index, const QMdiSubWindow* window) {
    const QSize area = AreaSize();
    const QSize size(area.width() * 2 / 3, area.height() * 2 / 3);
    const int step = TitleBarHeight(window);
    const int places = 1 + std::max(0, std::min((area.width() - size.width()) / step,
                                                (area.height() - size.height()) / step));
    const int place = index % places;
    return QRect(QPoint(place * step, place * step), size);
}

void CMainFrame::CascadeWindows() {
    std::vector<CChildFrame*> children = Children(false);
    if (children.empty())
        return;
    // Back to front, so that the active window ends on top.
    auto depth = [this](CChildFrame* child) {
        return std::find(m_zOrder.begin(), m_zOrder.end(), child) - m_zOrder.begin();
    };
    std::stable_sort(children.begin(), children.end(),
                     [&](CChildFrame* a, CChildFrame* b) { return depth(a) > depth(b); });
    int index = 0;
    for (CChildFrame* child : children) {
        if (child->isMaximized())
            child->showNormal();
        child->setGeometry(CascadePlace(index++, child));
        child->raise();
    }
    m_nNextPlace = index;
}

// Rows or columns of equal size over the area, leaving the icon row free when windows
// are minimized.
static void Tile(QMdiArea* area, const std::vector<CChildFrame*>& children, bool rows,
                 int iconRow) {
    if (children.empty())
        return;
    const QRect space(0, 0, area->viewport()->width(), area->viewport()->height() - iconRow);
    const int n = int(children.size());
    for (int i = 0; i < n; ++i) {
        CChildFrame* child = children[std::size_t(i)];
        if (child->isMaximized())
            child->showNormal();
        if (rows) {
            const int top = space.height() * i / n;
            child->setGeometry(0, top, space.width(), space.height() * (i + 1) / n - top);
        } else {
            const int left = space.width() * i / n;
            child->setGeometry(left, 0, space.width() * (i + 1) / n - left, space.height());
        }
    }
}

void CMainFrame::TileHorizontally() {
    const auto icons = Children(true);
    Tile(m_mdiArea, Children(false), true, icons.empty() ? 0 : icons.front()->height());
}

void CMainFrame::TileVertically() {
    const auto icons = Children(true);
    Tile(m_mdiArea, Children(false), false, icons.empty() ? 0 : icons.front()->height());
}

void CMainFrame::ArrangeIcons() {
    int x = 0;
    const int bottom = m_mdiArea->viewport()->height();
    for (CChildFrame* child : Children(true)) {
        child->move(x, bottom - child->height());
        x += child->width();
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    m_helpMode->Leave(); // the questions about unsaved work want their clicks
    if (m_pOwner != nullptr && !m_pOwner->CanCloseMainFrame()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::timerEvent(QTimerEvent* event) {
    // The timer only wakes the event loop, so that the idle pass runs at least once a
    // second while the user does nothing.
    if (event->timerId() != m_nIdleTimer)
        QMainWindow::timerEvent(event);
}
