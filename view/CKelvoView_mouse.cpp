// The view under the mouse: clicks, drags with their auto-scroll, double-clicks, the
// cursor's shape, and what the focus coming and going does to the caret and selection.

#include <algorithm>

#include <QFocusEvent>
#include <QMouseEvent>
#include <QTimerEvent>

#include "CKelvoView.h"

namespace {

// The point with each coordinate outside the client area put one pixel beyond it, so
// that a timer tick scrolls towards where the mouse left, whatever it does since.
QPoint OnePixelOutside(QPoint point, QSize client) {
    auto beyond = [](int at, int size) { return at < 0 ? -1 : at >= size ? size : at; };
    return {beyond(point.x(), client.width()), beyond(point.y(), client.height())};
}

} // namespace

void CKelvoView::DragTo(TextPos pos) {
    if (!m_bLineSelect) {
        ExtendSelection(pos);
        return;
    }
    const auto [fixed, target] = m_caret.WholeLines(m_nAnchorLine, pos);
    if (HasSelection() && fixed != CaretPos()) {
        InvertSelection(); // the highlight goes where it was, and comes back where it is
        m_caret.Select(fixed, target);
        InvertSelection();
        return;
    }
    ExtendSelection(target);
}

void CKelvoView::OnLButtonDown(Qt::KeyboardModifiers modifiers, QPoint point) {
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    const TextPos pos = PointToPos(point, &m_ptCaret);
    m_caret.SetLastMouse(pos);
    m_bDragging = true;
    m_bDragMoved = false;
    const bool inMargin = point.x() <= kLeftMargin;
    if (modifiers & Qt::ShiftModifier) {
        m_caret.SwapEndsIfBeyond(pos);
        if (!inMargin) {
            ExtendSelection(pos);
            return;
        }
    } else {
        SetCaretPosition(pos);
        SetCaretPixel(m_ptCaret);
        if (!inMargin)
            return;
        m_bLineSelect = true;
        m_nAnchorLine = pos.line;
    }
    ExtendSelection(m_caret.LineTarget(pos));
}

void CKelvoView::OnMouseMove(Qt::MouseButtons buttons, QPoint point) {
    if (!m_bPainted || !(buttons & Qt::LeftButton) || !m_bDragging)
        return;
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    const TextPos pos = PointToPos(point);
    const QRect client = viewport()->rect();
    // Back inside, the scrolling stops also where the mouse meets the character it left
    // from: the timer would otherwise scroll on under a mouse that is in the window.
    if (client.contains(point))
        StopAutoScroll();
    if (!m_bDragMoved || pos != m_caret.LastMouse()) {
        if (client.contains(point)) {
            if (g_bIgnoreNextDrag) {
                g_bIgnoreNextDrag = false;
            } else {
                DragTo(pos);
                m_caret.SetLastMouse(pos);
            }
        } else {
            const QRect band = client.adjusted(-kSlowScrollBand, -kSlowScrollBand, kSlowScrollBand,
                                               kSlowScrollBand);
            const bool slow = band.contains(point);
            // The direction stays the one the mouse first left by until it comes back in.
            if (m_nTimerId == 0) {
                m_ptAutoScroll = OnePixelOutside(point, client.size());
                StartAutoScroll(slow);
            } else if (slow != m_bSlowScroll) {
                StartAutoScroll(slow);
            }
        }
    }
    m_bDragMoved = true;
}

void CKelvoView::OnLButtonUp() {
    EndDrag();
}

void CKelvoView::OnLButtonDblClk(QPoint point) {
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    const TextPos pos = PointToPos(point);
    m_bDragging = true;
    // In a simulator's output a message that names a netlist line leads there.
    if (IsSimulatorOutput() && GoToMessage(pos.line))
        return;
    if (pos.column <= 0)
        return; // at the start of a line there is no word to take
    const auto [word, end] = m_caret.WordAndBlanks(pos);
    // A Shift+double-click: its press extended the selection, which the word replaces.
    if (const std::optional<CaretModel::Span> shown = m_caret.Collapse(word)) {
        InvertSpan(*shown);
        m_nScrollsWhileSelected = 0;
    }
    if (end.column > 0)
        ExtendSelection(end);
}

void CKelvoView::StartAutoScroll(bool slow) {
    m_autoScroll.start(slow ? kSlowScrollMs : kFastScrollMs, this);
    m_nTimerId = kAutoScrollTimerId;
    m_bSlowScroll = slow;
}

void CKelvoView::StopAutoScroll() {
    m_autoScroll.stop();
    m_nTimerId = 0;
}

void CKelvoView::EndDrag() {
    m_bDragMoved = false;
    m_bLineSelect = false;
    m_bDragging = false;
    StopAutoScroll();
}

void CKelvoView::OnTimer() {
    KeepPositionsInText();
    if (m_pStore == nullptr)
        return;
    QPoint scroll = m_ptScrollPos;
    const QRect client = viewport()->rect();
    const QPoint at = m_ptAutoScroll;
    // One direction a tick, sideways first. A tick that cannot scroll any further does
    // nothing, and the timer runs on until the drag ends or the mouse comes back in.
    if (at.x() < client.left()) {
        if (scroll.x() <= 0)
            return;
        scroll.setX(std::max(0, scroll.x() - m_nLineHeight));
    } else if (at.x() > client.right()) {
        const int limit = GetScrollLimit(0);
        if (scroll.x() >= limit)
            return;
        scroll.setX(std::min(scroll.x() + m_nLineHeight, limit));
    } else if (at.y() < client.top()) {
        if (scroll.y() <= 0)
            return;
        scroll.setY(std::max(0, scroll.y() - m_nLineHeight));
    } else if (at.y() > client.bottom()) {
        const int limit = GetScrollLimit(1);
        if (scroll.y() >= limit)
            return;
        scroll.setY(std::min(scroll.y() + m_nLineHeight, limit));
    } else {
        return;
    }
    ScrollTo(scroll);
    DragTo(PointToPos(at));
}

void CKelvoView::OnSetCursor(QPoint point) {
    const bool inMargin = point.x() <= kLeftMargin;
    if (inMargin == m_bMarginCursor)
        return;
    m_bMarginCursor = inMargin;
    viewport()->setCursor(inMargin ? m_pApp->MarginCursor() : QCursor(Qt::IBeamCursor));
}

void CKelvoView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(event->modifiers(), event->position().toPoint());
}

void CKelvoView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    // The cursor keeps its shape while a button holds the mouse, as a captured mouse does.
    if (event->buttons() == Qt::NoButton)
        OnSetCursor(point);
    OnMouseMove(event->buttons(), point);
}

void CKelvoView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonUp();
}

void CKelvoView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        OnLButtonDblClk(event->position().toPoint());
}

void CKelvoView::focusInEvent(QFocusEvent* event) {
    CVirtualScrollView::focusInEvent(event);
    RestartCaretBlink();
    viewport()->update(QRect(m_ptSystemCaret, QSize(2, m_nLineHeight)));
}

void CKelvoView::focusOutEvent(QFocusEvent* event) {
    CVirtualScrollView::focusOutEvent(event);
    m_caretBlink.stop();
    viewport()->update(QRect(m_ptSystemCaret, QSize(2, m_nLineHeight)));
    // A drag ends with the focus: its release may never come here, and the timer would
    // scroll on without it.
    if (m_bDragging)
        EndDrag();
    // A menu or popup that opens keeps the selection, so the Edit menu has something to
    // copy; any other loss ends it, since a view never keeps a selection it does not show.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::MenuBarFocusReason)
        return;
    if (HasSelection()) {
        KeepPositionsInText();
        SetCaretPosition(CaretPos());
    }
}

void CKelvoView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_autoScroll.timerId()) {
        OnTimer();
        return;
    }
    if (event->timerId() != m_caretBlink.timerId()) {
        CVirtualScrollView::timerEvent(event);
        return;
    }
    m_bCaretBlinkOn = !m_bCaretBlinkOn;
    viewport()->update(QRect(m_ptSystemCaret, QSize(2, m_nLineHeight)));
}
