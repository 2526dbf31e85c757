#pragma once

#include <functional>
#include <map>

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>

#include "CChildFrame.h"
#include "CommandTable.h"

// The main window: the document windows in an MDI area, the menus, the toolbar, the
// status bar with the caret's place, the overtype and read-only indicators, and the
// one-second timer that keeps the idle pass coming.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    QMdiArea* m_mdiArea;
    QStatusBar* m_wndStatusBar;
    QToolBar* m_wndToolBar;
    int m_nIdleTimer = 0;
    QLabel* m_paneLine;
    QLabel* m_paneOverwrite;
    QLabel* m_paneReadOnly;

    // One action per command, owned here, so that every command works with no document.
    QAction* Action(int id) const;
    void SetCommandHandler(int id, std::function<void()> handler);
    // Enables, disables or checks the action; without one, a command is enabled exactly
    // when it has a handler.
    void SetUpdateHandler(int id, std::function<void(QAction*)> handler);
    void UpdateCommandStates();
    // Panes 1 to 3 of the status bar, from the active view and document.
    void UpdateStatusPanes();
    // "Kelvo - " and the active document's title, or "Kelvo".
    void UpdateCaption();
    // The menu bar for a document window, or for none.
    void ShowMenus(bool documentOpen);
    void SetRecentFiles(const QStringList& files);
    std::function<void(const QString&)> m_onRecentFile;
    // Asked when the main window closes: false keeps the program running.
    std::function<bool()> m_onClose;

    CChildFrame* AddChild(CKelvoDoc* document, ViewDefaults* app);
    CChildFrame* FindChild(const CKelvoDoc* document) const;
    CChildFrame* ActiveChild() const;
    CKelvoView* ActiveView() const;
    CKelvoDoc* ActiveDocument() const;
    void Activate(CChildFrame* child);

    // Ctrl+F6: the window behind the active one comes forward, the active one goes to the
    // back. Ctrl+Shift+F6: the window at the back comes forward.
    void ActivateNextWindow();
    void ActivatePreviousWindow();
    // Ctrl+F4: closes the active window as its close button does, asking to save changes.
    void CloseActiveWindow();

    // Windows of two thirds of the area, the least recently used at the top left, each
    // next one a title bar further down and right, the active one last and on top.
    void CascadeWindows();
    void TileHorizontally(); // stacked top to bottom, full width
    void TileVertically();   // side by side, full height
    void ArrangeIcons();     // minimized windows in a row at the bottom

    // Status prompts for menu items and toolbar buttons under the mouse.
    static constexpr char kIdlePrompt[] = "For Help, press F1";

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void CreateActions();
    void CreateBars();
    QLabel* MakePane(const QString& prototype);
    void CreateWindowKeys();
    void FillWindowList(QMenu* menu);
    std::vector<CChildFrame*> Children(bool minimized) const;
    QSize AreaSize();
    // The cascade's place number `index`, for a window like `window`; a place that would
    // leave the area starts again at the top left.
    QRect CascadePlace(int index, const QMdiSubWindow* window);
    void BringToFront(QMdiSubWindow* window);
    void Forget(QMdiSubWindow* window);

    std::map<int, QAction*> m_actions;
    std::map<int, std::function<void(QAction*)>> m_updateHandlers;
    std::map<int, bool> m_hasHandler;
    std::vector<QMenu*> m_documentMenus;
    std::vector<QMenu*> m_emptyMenus;
    std::vector<QAction*> m_recentActions;
    bool m_bDocumentMenus = false;
    bool m_bDestroying = false;
    // The document windows from front to back, as the user last used them.
    std::vector<QMdiSubWindow*> m_zOrder;
    // While a window closes, the activation the area makes on its own does not count.
    bool m_bClosingChild = false;
    // The cascade place the next new window takes.
    int m_nNextPlace = 0;
    QStyle* m_menuStyle = nullptr;
};
