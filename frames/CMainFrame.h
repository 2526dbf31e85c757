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
    void FillWindowList(QMenu* menu);
    std::vector<CChildFrame*> Children(bool minimized) const;

    std::map<int, QAction*> m_actions;
    std::map<int, std::function<void(QAction*)>> m_updateHandlers;
    std::map<int, bool> m_hasHandler;
    std::vector<QMenu*> m_documentMenus;
    std::vector<QMenu*> m_emptyMenus;
    std::vector<QAction*> m_recentActions;
    bool m_bDocumentMenus = false;
    bool m_bDestroying = false;
    QStyle* m_menuStyle = nullptr;
};
