#pragma once

#include <QAbstractScrollArea>
#include <QPoint>
#include <QSize>

// A scrolling view that keeps its scroll position itself, in pixels of its content, and
// drives both scroll bars on a fixed scale of 0 to kScrollBarRange whatever the content's
// size. Drawing code subtracts m_ptScrollPos itself; the painter is never offset.
class CVirtualScrollView : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int kScrollBarRange = 1000;
    static constexpr int MM_TEXT = 1; // one unit is one pixel, y grows downwards

    // Request codes of OnScroll: the low byte for the horizontal bar, the high byte for the
    // vertical one, 255 in the byte of the direction that does not move.
    enum ScrollRequest {
        SB_LINEUP = 0,
        SB_LINEDOWN = 1,
        SB_PAGEUP = 2,
        SB_PAGEDOWN = 3,
        SB_THUMBPOSITION = 4,
        SB_THUMBTRACK = 5,
        SB_TOP = 6,
        SB_BOTTOM = 7,
        SB_NONE = 255,
    };
    static constexpr unsigned Horizontal(int request) { return 0xff00u | unsigned(request); }
    static constexpr unsigned Vertical(int request) { return (unsigned(request) << 8) | 0xffu; }

    explicit CVirtualScrollView(QWidget* parent = nullptr);

    // The content's size, the page and line steps, and where it is scrolled to, in
    // pixels of the content.
    [[nodiscard]] QSize GetTotalSize() const { return m_sizeTotal; }
    [[nodiscard]] QSize PageSize() const { return m_sizePage; }
    [[nodiscard]] QSize LineSize() const { return m_sizeLine; }
    [[nodiscard]] QPoint GetScrollPosition() const { return m_ptScrollPos; }
    // Total minus client (plus the other bar); 0 or less where the content fits.
    [[nodiscard]] QSize ScrollRange() const { return m_sizeScrollRange; }

    struct BarState {
        bool needHorizontal = false;
        bool needVertical = false;
        int rangeHorizontal = 0; // kScrollBarRange for a needed bar, else 0
        int rangeVertical = 0;
        QPoint moveTo;
    };

    // A page or line dimension given as 0 takes a tenth of the total's or the page's.
    void SetScrollSizes(int mapMode, QSize total, QSize page = QSize(0, 0),
                        QSize line = QSize(0, 0));
    void UpdateBars();
    BarState GetScrollBarState(QSize clientSize, bool insideClient);
    void ScrollToPosition(QPoint position); // clamped to the total size
    void SetScrollPosition(QPoint position);
    int GetScrollLimit(int bar) const; // 0: horizontal, 1: vertical

    virtual bool OnScroll(unsigned code, int thumbPos, bool doScroll = true);
    virtual bool OnScrollBy(QSize delta, bool doScroll = true);
    virtual void OnInitialUpdate();
    // While printing the drawing code draws from the content's origin.
    virtual void OnBeginPrinting();
    virtual void OnEndPrinting();

    // Bar position of a scroll position, and the scroll position of a dragged thumb.
    static int BarPosition(int position, int range);
    static int ThumbToPosition(int range, int thumbPos);

    bool IsBarShown(Qt::Orientation orientation) const;

protected:
    // The position is the view's own: Qt's idea of the bars' values moves nothing.
    void scrollContentsBy(int, int) override {}
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The client area's pixels are about to move by delta, as the content scrolls.
    virtual void OnContentsMoving(QPoint delta) { Q_UNUSED(delta); }
    // Set while a paint is under way: a position change then repaints instead of
    // scrolling pixels.
    bool m_bPainting = false;
    QPoint m_ptScrollPos{0, 0};

private:
    void OnBarAction(Qt::Orientation orientation, int action);
    void SetBarValue(Qt::Orientation orientation, int value);
    void MoveContents(QPoint from, QPoint to);

    int m_nMapMode = MM_TEXT;
    QSize m_sizeTotal{1, 1};
    QSize m_sizePage{0, 0};
    QSize m_sizeLine{0, 0};
    bool m_bInsideUpdate = false;
    QPoint m_ptSavedScrollPos{0, 0};
    QSize m_sizeScrollRange{0, 0};
    bool m_bShownHorizontal = false;
    bool m_bShownVertical = false;
    int m_nWheelRemainder = 0;
};
