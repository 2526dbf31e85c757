#pragma once

#include <functional>
#include <vector>

#include <QMdiSubWindow>
#include <QPointer>
#include <QSplitter>

#include "CKelvoView.h"

// The window of one document: a splitter of at most two panes, one above the other, each
// a view of the same document.
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    CChildFrame(CKelvoDoc* document, ViewDefaults* app, QWidget* parent = nullptr);

    QSplitter* m_wndSplitter;

    // Null once the document has closed, while the window is still on its way out.
    CKelvoDoc* Document() const { return m_pDoc; }
    std::vector<CKelvoView*> Panes() const;
    // The pane that has (or last had) the focus.
    CKelvoView* ActiveView() const;
    // Window > Split: makes the second pane, the sibling of the first.
    void Split();
    // F6 and Shift+F6: the focus to the next or previous pane.
    void FocusPane(int step);

    // Asked when the user closes the window: false keeps it open. Not asked when the
    // window closes because its document does.
    std::function<bool(CKelvoDoc*)> m_onCloseRequest;
    void CloseForDocument();
    // A pane dragged down to nothing goes; the one that stays keeps the shared font.
    void DropCollapsedPane();

signals:
    // Around the close of the window, once nothing can stop it any more.
    void aboutToClose();
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CKelvoView* MakePane();

    QPointer<CKelvoDoc> m_pDoc;
    ViewDefaults* m_pApp;
    QPointer<CKelvoView> m_lastActive;
    bool m_bClosingForDocument = false;
};
