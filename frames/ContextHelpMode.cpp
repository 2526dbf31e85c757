// The context-help mode of Shift+F1.
#include "ContextHelpMode.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>

#include "CKelvoView.h"
#include "CMainFrame.h"

ContextHelpMode::ContextHelpMode(CMainFrame* frame) : QObject(frame), m_pFrame(frame) {}

ContextHelpMode::~ContextHelpMode() {
    if (m_bActive)
        QApplication::restoreOverrideCursor();
}

void ContextHelpMode::Enter() {
    if (m_bActive || QApplication::activeModalWidget() != nullptr)
        return;
    // A menu left open would take the click.
    while (QWidget* popup = QApplication::activePopupWidget())
        if (!popup->close())
            break;
    m_bActive = true;
    m_clicked = nullptr;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    qApp->installEventFilter(this);
    m_pFrame->StatusBar()->showMessage(kPrompt);
}

void ContextHelpMode::Leave() {
    if (!m_bActive)
        return;
    m_bActive = false;
    QApplication::restoreOverrideCursor();
    if (m_clicked == nullptr)
        StopFiltering();
    m_pFrame->StatusBar()->showMessage(CMainFrame::kIdlePrompt);
}

void ContextHelpMode::StopFiltering() {
    m_clicked = nullptr;
    qApp->removeEventFilter(this);
}

bool ContextHelpMode::SwallowRestOfClick(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonRelease:
        if (watched != m_clicked)
            return false;
        StopFiltering();
        return true;
    case QEvent::ContextMenu:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The release went elsewhere (a window came up under the button): this click is
        // the user's.
        StopFiltering();
        return false;
    default:
        return false;
    }
}

bool ContextHelpMode::eventFilter(QObject* watched, QEvent* event) {
    if (!m_bActive) {
        if (m_clicked == nullptr) { // the clicked widget went before its release came
            StopFiltering();
            return false;
        }
        return SwallowRestOfClick(watched, event);
    }
    // A box or dialog that comes up (a question before the program ends, say) gets its
    // clicks and keys.
    if (event->type() == QEvent::WindowBlocked || QApplication::activeModalWidget() != nullptr) {
        Leave();
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // The window system's own window passes the click on to the widget under it; the
        // widget's copy is the one taken.
        if (!watched->isWidgetType())
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        m_clicked = static_cast<QWidget*>(watched);
        Leave();
        if (mouse->button() == Qt::LeftButton)
            HelpAt(static_cast<QWidget*>(watched), mouse->globalPosition().toPoint());
        return true;
    }
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu:
        return watched->isWidgetType();
    case QEvent::ShortcutOverride:
        // Taken here, so that no shortcut fires; the key itself then comes as a KeyPress.
        event->accept();
        return true;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            Leave();
        return true;
    case QEvent::StatusTip:
        return true; // the prompt stays until the mode ends
    case QEvent::ApplicationDeactivate:
        Leave();
        return false;
    default:
        return false;
    }
}

void ContextHelpMode::HelpAt(QWidget* widget, QPoint globalPoint) {
    for (QWidget* at = widget; at != nullptr; at = at->parentWidget()) {
        auto* view = qobject_cast<CKelvoView*>(at);
        if (view == nullptr)
            continue;
        const QPoint point = view->viewport()->mapFromGlobal(globalPoint);
        // A click on the view's scroll bars is not on a line.
        if (!view->viewport()->rect().contains(point))
            break;
        if (const int context = view->HelpHitTest(point); context != 0) {
            if (Platform* platform = m_pFrame->GetPlatform())
                platform->WinHelp(context, HELP_CONTEXT);
            return;
        }
        break;
    }
    m_pFrame->ShowWindowHelp(widget != nullptr ? widget->window() : nullptr);
}
