#pragma once

#include <cstdint>
#include <vector>

#include <QMdiSubWindow>
#include <QPointer>
#include <QSplitter>

#include "CKelvoView.h"

// The window of one document: a splitter of at most two panes, one above the other, each
// a view of the same document.
class CChildFrame : public QMdiSubWindow, public CommandTarget {
    Q_OBJECT
public:
    CChildFrame(CKelvoDoc* document, ViewDefaults* app, QWidget* parent = nullptr);

    // The splitter that holds the panes.
    [[nodiscard]] QSplitter* Splitter() const { return m_wndSplitter; }
    // Null once the document has closed, while the window is still on its way out.
    CKelvoDoc* Document() const { return m_pDoc; }
    std::vector<CKelvoView*> Panes() const;
    // The pane that has (or last had) the focus.
    CKelvoView* ActiveView() const;

    // The child frame's commands: Window > Split, Next Pane (F6), Previous Pane (Shift+F6).
    bool OnCommand(int id) override;
    bool OnUpdateCommand(CommandUpdate& update) override;
    // Window > Split: makes the second pane, the sibling of the first.
    void Split();
    void OnNextPane() { FocusPane(1); }
    void OnPrevPane() { FocusPane(-1); }
    // The focus to the pane `step` places further on.
    void FocusPane(int step);

    // F1 on this window: the active pane's keyword help. False (the main window's own
    // help applies) while another window, a dialog say, is the active one, or with no pane.
    bool OnCommandHelp(std::intptr_t wParam, std::intptr_t lParam);

    // Closes the window without asking: its document is closing.
    void CloseForDocument();
    // A pane dragged down to nothing goes; the one that stays keeps the shared font.
    void DropCollapsedPane();

signals:
    // A pane's caret or overwrite mode changed, or another pane became the active one.
    void caretChanged();
    // Around the close of the window, once nothing can stop it any more.
    void aboutToClose();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CKelvoView* MakePane();

    QSplitter* m_wndSplitter;
    QPointer<CKelvoDoc> m_pDoc;
    ViewDefaults* m_pApp;
    QPointer<CKelvoView> m_lastActive;
    bool m_bClosingForDocument = false;
};
