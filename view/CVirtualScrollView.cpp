#include "CVirtualScrollView.h"

#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

CVirtualScrollView::CVirtualScrollView(QWidget* parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
        bar->setRange(0, kScrollBarRange);
        bar->setPageStep(0);
    }
    connect(horizontalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnBarAction(Qt::Horizontal, action); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this,
            [this](int action) { OnBarAction(Qt::Vertical, action); });
    // The bars have no page step, so they would drop the wheel: it scrolls the view.
    horizontalScrollBar()->installEventFilter(this);
    verticalScrollBar()->installEventFilter(this);
}

bool CVirtualScrollView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel &&
        (watched == horizontalScrollBar() || watched == verticalScrollBar())) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

int CVirtualScrollView::BarPosition(int position, int range) {
    if (range <= 0)
        return 0;
    return int(1000.0 / range * position);
}

int CVirtualScrollView::ThumbToPosition(int range, int thumbPos) {
    return int(range * 0.001 * thumbPos);
}

bool CVirtualScrollView::IsBarShown(Qt::Orientation orientation) const {
    return orientation == Qt::Horizontal ? m_bShownHorizontal : m_bShownVertical;
}

void CVirtualScrollView::SetScrollSizes(int mapMode, QSize total, QSize page, QSize line) {
    m_nMapMode = mapMode;
    m_sizeTotal = QSize(std::max(total.width(), 1), std::max(total.height(), 1));
    // A step given as 0 (or less, which cannot step) takes the default.
    m_sizePage = QSize(page.width() > 0 ? page.width() : m_sizeTotal.width() / 10,
                       page.height() > 0 ? page.height() : m_sizeTotal.height() / 10);
    m_sizeLine = QSize(line.width() > 0 ? line.width() : m_sizePage.width() / 10,
                       line.height() > 0 ? line.height() : m_sizePage.height() / 10);
    UpdateBars();
}

void CVirtualScrollView::UpdateBars() {
    if (m_bInsideUpdate)
        return;
    const QScopedValueRollback inside(m_bInsideUpdate, true);

    const QSize client = maximumViewportSize(); // the client area with no bar shown
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    if (client.width() < barWidth || client.height() < barWidth) {
        if (!client.isEmpty()) {
            setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            m_bShownHorizontal = m_bShownVertical = false;
        }
        return;
    }
    const BarState state = GetScrollBarState(client, true);
    SetScrollPosition(state.moveTo);
    m_bShownHorizontal = state.needHorizontal;
    m_bShownVertical = state.needVertical;
    setHorizontalScrollBarPolicy(state.needHorizontal ? Qt::ScrollBarAlwaysOn
                                                      : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(state.needVertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

CVirtualScrollView::BarState CVirtualScrollView::GetScrollBarState(QSize client, bool inside) {
    const int barWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int barHeight = barWidth;
    BarState state;
    QSize range = m_sizeTotal - client;
    state.moveTo = m_ptScrollPos;

    state.needHorizontal = range.width() > 0;
    if (!state.needHorizontal)
        state.moveTo.setX(0);
    else if (inside)
        range.rheight() += barHeight;

    state.needVertical = range.height() > 0;
    if (!state.needVertical)
        state.moveTo.setY(0);
    else if (inside)
        range.rwidth() += barWidth;

    if (state.needVertical && !state.needHorizontal && range.width() > 0) {
        state.needHorizontal = true;
        range.rheight() += barHeight;
    }
    if (range.width() > 0 && state.moveTo.x() >= range.width())
        state.moveTo.setX(range.width());
    if (range.height() > 0 && state.moveTo.y() >= range.height())
        state.moveTo.setY(range.height());

    m_sizeScrollRange = range;
    state.rangeHorizontal = state.needHorizontal ? kScrollBarRange : 0;
    state.rangeVertical = state.needVertical ? kScrollBarRange : 0;
    return state;
}

void CVirtualScrollView::SetBarValue(Qt::Orientation orientation, int value) {
    QScrollBar* bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    if (bar->value() != value)
        bar->setValue(value);
}

void CVirtualScrollView::MoveContents(QPoint from, QPoint to) {
    if (from == to)
        return;
    const QPoint delta(from.x() - to.x(), from.y() - to.y());
    OnContentsMoving(delta);
    // A move of a whole window or more keeps nothing on the screen worth moving. Moving it
    // anyway would also carry the area waiting to be painted along, out of the window,
    // where it piles up when many moves come before one paint (Find Again held down).
    const bool wholeWindow =
        std::abs(delta.x()) >= viewport()->width() || std::abs(delta.y()) >= viewport()->height();
    if (m_bPainting || !isVisible() || wholeWindow)
        viewport()->update();
    else
        viewport()->scroll(delta.x(), delta.y());
}

void CVirtualScrollView::SetScrollPosition(QPoint position) {
    SetBarValue(Qt::Horizontal, BarPosition(position.x(), m_sizeScrollRange.width()));
    SetBarValue(Qt::Vertical, BarPosition(position.y(), m_sizeScrollRange.height()));
    const QPoint old = m_ptScrollPos;
    m_ptScrollPos = position;
    MoveContents(old, position);
}

void CVirtualScrollView::ScrollToPosition(QPoint position) {
    position.setX(std::clamp(position.x(), 0, m_sizeTotal.width()));
    position.setY(std::clamp(position.y(), 0, m_sizeTotal.height()));
    SetScrollPosition(position);
}

int CVirtualScrollView::GetScrollLimit(int bar) const {
    if (bar == 0)
        return m_sizeScrollRange.width();
    if (bar == 1)
        return m_sizeScrollRange.height();
    return 0;
}

bool CVirtualScrollView::OnScroll(unsigned code, int thumbPos, bool doScroll) {
    auto step = [&](int request, int at, int line, int page, int range, int total) {
        switch (request) {
        case SB_LINEUP:
            return at - line;
        case SB_LINEDOWN:
            return at + line;
        case SB_PAGEUP:
            return at - page;
        case SB_PAGEDOWN:
            return at + page;
        case SB_THUMBTRACK:
            return ThumbToPosition(range, thumbPos);
        case SB_TOP:
            return 0;
        case SB_BOTTOM:
            return total;
        default:
            return at;
        }
    };
    const QPoint old = m_ptScrollPos;
    const int x = step(int(code & 0xff), old.x(), m_sizeLine.width(), m_sizePage.width(),
                       m_sizeScrollRange.width(), m_sizeTotal.width());
    const int y = step(int((code >> 8) & 0xff), old.y(), m_sizeLine.height(), m_sizePage.height(),
                       m_sizeScrollRange.height(), m_sizeTotal.height());
    const bool moved = OnScrollBy(QSize(x - old.x(), y - old.y()), doScroll);
    if (moved && doScroll && !m_bPainting)
        viewport()->repaint();
    return moved;
}

bool CVirtualScrollView::OnScrollBy(QSize delta, bool doScroll) {
    int dx = m_bShownHorizontal ? delta.width() : 0;
    int dy = m_bShownVertical ? delta.height() : 0;
    const QPoint old = m_ptScrollPos;
    const int x = std::clamp(old.x() + dx, 0, std::max(m_sizeScrollRange.width(), 0));
    const int y = std::clamp(old.y() + dy, 0, std::max(m_sizeScrollRange.height(), 0));
    if (QPoint(x, y) == old)
        return false;
    if (doScroll) {
        m_ptScrollPos = QPoint(x, y);
        MoveContents(old, m_ptScrollPos);
        SetBarValue(Qt::Horizontal, BarPosition(x, m_sizeScrollRange.width()));
        SetBarValue(Qt::Vertical, BarPosition(y, m_sizeScrollRange.height()));
    }
    return true;
}

void CVirtualScrollView::OnInitialUpdate() {
    viewport()->update();
    m_nMapMode = MM_TEXT;
    m_ptScrollPos = QPoint(0, 0);
}

void CVirtualScrollView::OnBeginPrinting() {
    m_ptSavedScrollPos = m_ptScrollPos;
    m_ptScrollPos = QPoint(0, 0);
}

void CVirtualScrollView::OnEndPrinting() {
    m_ptScrollPos = m_ptSavedScrollPos;
}

void CVirtualScrollView::OnBarAction(Qt::Orientation orientation, int action) {
    QScrollBar* bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    int request = SB_NONE;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        request = SB_LINEUP;
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        request = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        request = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        request = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderMove:
        request = SB_THUMBTRACK;
        break;
    case QAbstractSlider::SliderToMinimum:
        request = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        request = SB_BOTTOM;
        break;
    default:
        break;
    }
    const int thumb = bar->sliderPosition();
    OnScroll(orientation == Qt::Horizontal ? Horizontal(request) : Vertical(request), thumb);
    // The slider applies its own position after this handler: make it ours. A dragged
    // thumb stays under the mouse.
    const QPoint at = m_ptScrollPos;
    bar->setSliderPosition(request == SB_THUMBTRACK
                               ? thumb
                               : BarPosition(orientation == Qt::Horizontal ? at.x() : at.y(),
                                             orientation == Qt::Horizontal
                                                 ? m_sizeScrollRange.width()
                                                 : m_sizeScrollRange.height()));
}

void CVirtualScrollView::wheelEvent(QWheelEvent* event) {
    // Three lines a notch (the platform's setting), through the view's own scrolling.
    m_nWheelRemainder += event->angleDelta().y();
    const int notches = m_nWheelRemainder / 120;
    m_nWheelRemainder -= notches * 120;
    if (notches != 0)
        OnScrollBy(QSize(0, -notches * QApplication::wheelScrollLines() * m_sizeLine.height()));
    event->accept();
}
