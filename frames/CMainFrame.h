#pragma once

#include <map>

#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>

#include "CChildFrame.h"
#include "CommandTable.h"
#include "FileName.h"
#include "FrameOwner.h"

class ContextHelpMode;

// The main window: the document windows in an MDI area, the menus, the toolbar, the
// status bar with the caret's place, the overtype and read-only indicators, and the
// one-second timer that keeps the idle pass coming.
class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The window's parts, for reading: the area of the document windows, the bars and the
    // status panes of the caret's place, overtype and read-only.
    [[nodiscard]] QMdiArea* MdiArea() const { return m_mdiArea; }
    [[nodiscard]] QToolBar* ToolBar() const { return m_wndToolBar; }
    [[nodiscard]] QStatusBar* StatusBar() const { return m_wndStatusBar; }
    [[nodiscard]] const QLabel* LinePane() const { return m_paneLine; }
    [[nodiscard]] const QLabel* OverwritePane() const { return m_paneOverwrite; }
    [[nodiscard]] const QLabel* ReadOnlyPane() const { return m_paneReadOnly; }

    // The application: the last command target, asked before the main window closes.
    void SetOwner(FrameOwner* owner) { m_pOwner = owner; }

    // One action per command, owned here, so that every command works with no document.
    QAction* Action(int id) const;
    // Offers a command to the active view, its document, the active child frame, this
    // frame and the application, in that order: the first whose map holds it runs it.
    // False when none does.
    bool RouteCommand(int id);
    // Asks the same targets in the same order for the command's state; false (and the
    // command disabled) when none holds it.
    bool RouteUpdate(CommandUpdate& update);
    // Every action's state from its route: a command no target holds is disabled.
    void UpdateCommandStates();
    // Panes 1 to 3 of the status bar, from the active view and document.
    void UpdateStatusPanes();
    // "Kelvo - " and the active document's title, or "Kelvo".
    void UpdateCaption();
    // The menu bar for a document window, or for none.
    void ShowMenus(bool documentOpen);
    void SetRecentFiles(const FileNameList& files);

    // The main frame's commands: the Window menu's arrangements and the two bars.
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CommandUpdate& update) override;
    void OnViewToolbar();
    void OnUpdateViewToolbar(CommandUpdate& update);
    void OnViewStatusBar();
    void OnUpdateViewStatusBar(CommandUpdate& update);
    // Cascade, Tile and Arrange Icons: enabled while a document window is active.
    void OnUpdateWindowArrange(CommandUpdate& update);

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

    // Help > Help (F1): the active document window's keyword help; where it has none, the
    // topic of the active window (the main window's, or the help window's own).
    void OnHelp();
    void ShowWindowHelp(const QWidget* window);
    void OnHelpIndex();
    void OnHelpUsing();
    // Shift+F1: the next click asks for help on what it lands on; Escape cancels.
    void OnContextHelp();
    [[nodiscard]] bool IsInHelpMode() const;
    [[nodiscard]] Platform* GetPlatform() const;

    // Status prompts for menu items and toolbar buttons under the mouse.
    static constexpr char kIdlePrompt[] = "For Help, press F1";

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void CreateActions();
    // Offers `ask` to each target on the command route in turn (see RouteCommand) until one
    // answers true; false when none does.
    template <class Ask> bool AlongRoute(Ask ask);
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

    QMdiArea* m_mdiArea;
    QStatusBar* m_wndStatusBar;
    QToolBar* m_wndToolBar;
    int m_nIdleTimer = 0;
    QLabel* m_paneLine;
    QLabel* m_paneOverwrite;
    QLabel* m_paneReadOnly;
    FrameOwner* m_pOwner = nullptr;
    std::map<int, QAction*> m_actions;
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
    ContextHelpMode* m_helpMode = nullptr;
};
