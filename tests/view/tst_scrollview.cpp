#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <QtTest>

#include "CVirtualScrollView.h"

// The scroll arithmetic: a view of a fixed size over content of a given size.
class ScrollViewTest : public QObject {
    Q_OBJECT
    int bar = 0;

    std::unique_ptr<CVirtualScrollView> MakeView(QSize total, QSize line = QSize(0, 0)) {
        auto view = std::make_unique<CVirtualScrollView>();
        view->resize(400, 300);
        view->show();
        view->SetScrollSizes(CVirtualScrollView::MM_TEXT, total, {}, line);
        bar = view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, view.get());
        return view;
    }

private slots:
    void barPositionsMapBothWays() {
        QCOMPARE(CVirtualScrollView::BarPosition(1500, 3000), 500);
        QCOMPARE(CVirtualScrollView::BarPosition(1, 3), 333);
        QCOMPARE(CVirtualScrollView::BarPosition(50, 0), 0);
        QCOMPARE(CVirtualScrollView::ThumbToPosition(3000, 500), 1500);
        QCOMPARE(CVirtualScrollView::ThumbToPosition(2999, 1000), 2999);
    }

    void contentThatFitsShowsNoBar() {
        auto view = MakeView({100, 100});
        view->SetScrollPosition({30, 40});
        view->UpdateBars();
        QCOMPARE(view->GetScrollPosition(), QPoint(0, 0));
        QVERIFY(!view->IsBarShown(Qt::Horizontal));
        QVERIFY(!view->IsBarShown(Qt::Vertical));
        QVERIFY(!view->OnScroll(CVirtualScrollView::Vertical(CVirtualScrollView::SB_LINEDOWN), 0));
    }

    void narrowContentScrollsOnlyDown() {
        const QSize client = MakeView({1, 1})->maximumViewportSize();
        auto view = MakeView({client.width() - 200, 5000}, {10, 10});
        QVERIFY(!view->IsBarShown(Qt::Horizontal));
        QVERIFY(view->IsBarShown(Qt::Vertical));
        QVERIFY(view->ScrollRange().width() < 0);
        QCOMPARE(view->ScrollRange().height(), 5000 - client.height());
        view->OnScroll(0x0101, 0); // line down in both directions
        QCOMPARE(view->GetScrollPosition(), QPoint(0, 10));
        view->OnScroll(CVirtualScrollView::Vertical(CVirtualScrollView::SB_LINEUP), 0);
        QCOMPARE(view->GetScrollPosition(), QPoint(0, 0));
    }

    void wideContentNeedsBothBars() {
        const QSize client = MakeView({1, 1})->maximumViewportSize();
        // Tall enough for a vertical bar, whose width then makes the width overflow.
        auto view = MakeView({client.width() - bar / 2, client.height() + 50});
        QVERIFY(view->IsBarShown(Qt::Vertical));
        QVERIFY(view->IsBarShown(Qt::Horizontal));
        QCOMPARE(view->ScrollRange().height(), 50 + bar);
        QCOMPARE(view->GetScrollLimit(0), view->ScrollRange().width());
        QCOMPARE(view->GetScrollLimit(1), 50 + bar);
        QCOMPARE(view->GetScrollLimit(2), 0);
    }

    void thumbDragFollowsTheBarScale() {
        const QSize client = MakeView({1, 1})->maximumViewportSize();
        auto view = MakeView({10, client.height() + 3000});
        QCOMPARE(view->ScrollRange().height(), 3000);
        view->OnScroll(CVirtualScrollView::Vertical(CVirtualScrollView::SB_THUMBTRACK), 500);
        QCOMPARE(view->GetScrollPosition().y(), 1500);
        QVERIFY(!view->OnScroll(CVirtualScrollView::Vertical(CVirtualScrollView::SB_THUMBPOSITION),
                                900));
        QVERIFY(!view->OnScroll(0xffff, 0));
        QCOMPARE(view->GetScrollPosition().y(), 1500);
        QCOMPARE(view->verticalScrollBar()->value(), 500);
        view->OnScroll(CVirtualScrollView::Vertical(CVirtualScrollView::SB_BOTTOM), 0);
        QCOMPARE(view->GetScrollPosition().y(), 3000);
        view->OnScroll(CVirtualScrollView::Vertical(CVirtualScrollView::SB_PAGEUP), 0);
        QCOMPARE(view->GetScrollPosition().y(), 3000 - view->PageSize().height());
        view->OnScroll(CVirtualScrollView::Vertical(CVirtualScrollView::SB_TOP), 0);
        QCOMPARE(view->GetScrollPosition().y(), 0);
    }

    void scrollToPositionMayPassTheLastPage() {
        const QSize client = MakeView({1, 1})->maximumViewportSize();
        auto view = MakeView({10, client.height() + 3000});
        const int pastRange = 3000 + client.height() / 2; // within the total size
        view->ScrollToPosition({0, pastRange});
        QCOMPARE(view->GetScrollPosition().y(), pastRange);
        QCOMPARE(view->verticalScrollBar()->value(), 1000);
        view->ScrollToPosition({-5, 999999});
        QCOMPARE(view->GetScrollPosition(), QPoint(0, view->GetTotalSize().height()));
        // A position past the range comes back to it when the bars are recomputed.
        view->UpdateBars();
        QCOMPARE(view->GetScrollPosition().y(), 3000);
    }

    void defaultStepsAreTenths() {
        auto view = MakeView({2000, 5000});
        QCOMPARE(view->PageSize(), QSize(200, 500));
        QCOMPARE(view->LineSize(), QSize(20, 50));
        view->SetScrollSizes(CVirtualScrollView::MM_TEXT, {-4, 0});
        QCOMPARE(view->GetTotalSize(), QSize(1, 1));
    }

    void barClicksScrollTheView() {
        const QSize client = MakeView({1, 1})->maximumViewportSize();
        auto view = MakeView({10, client.height() + 3000}, {16, 16});
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(view->GetScrollPosition().y(), 16);
        QCOMPARE(view->verticalScrollBar()->value(), CVirtualScrollView::BarPosition(16, 3000));
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(view->GetScrollPosition().y(), 3000);
    }

    void wheelScrollsThreeLinesANotch() {
        const QSize client = MakeView({1, 1})->maximumViewportSize();
        auto view = MakeView({10, client.height() + 3000}, {16, 16});
        QWheelEvent down(QPointF(10, 10), QPointF(10, 10), {}, {0, -120}, Qt::NoButton,
                         Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &down);
        QCOMPARE(view->GetScrollPosition().y(), QApplication::wheelScrollLines() * 16);
    }
};

QTEST_MAIN(ScrollViewTest)
#include "tst_scrollview.moc"
