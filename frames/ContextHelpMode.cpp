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
    if (m_bActive)
        return;
    m_bActive = true;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    qApp->installEventFilter(this);
    m_pFrame->StatusBar()->showMessage(kPrompt);
}

void ContextHelpMode::Leave() {
    if (!m_bActive)
        return;
    m_bActive = false;
    QApplication::restoreOverrideCursor();
    if (!m_bSwallowRelease)
        qApp->removeEventFilter(this);
    m_pFrame->StatusBar()->showMessage(CMainFrame::kIdlePrompt);
}

bool ContextHelpMode::eventFilter(QObject* watched, QEvent* event) {
    if (!m_bActive) {
        if (m_bSwallowRelease && event->type() == QEvent::MouseButtonRelease &&
            watched->isWidgetType()) {
            m_bSwallowRelease = false;
            qApp->removeEventFilter(this);
            return true;
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // The window system's own window passes the click on to the widget under it; the
        // widget's copy is the one taken.
        if (!watched->isWidgetType())
            return false;
        m_bSwallowRelease = true;
        Leave();
        HelpAt(static_cast<QWidget*>(watched),
               static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
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
