// The view under the mouse: clicks, Shift+clicks, the margin's whole lines, drags with
// their auto-scroll, double-clicks, the cursor, and the focus coming and going.

#include <QLineEdit>
#include <QMenu>
#include <QVBoxLayout>

#include "ViewFixture.h"

using Range = std::pair<TextPos, TextPos>;

class ViewMouseTest : public QObject, ViewFixture {
    Q_OBJECT

    static constexpr int m = CKelvoView::kLeftMargin;

    // A 200-line text whose lines are wide enough to scroll sideways.
    std::unique_ptr<CKelvoDoc> TallWideDocument() {
        QByteArray text;
        for (int i = 0; i < 200; ++i)
            text += "row " + QByteArray::number(i) + " " + QByteArray(120, 'w') + "\r\n";
        return Document(text);
    }

private slots:
    void init() { g_bIgnoreNextDrag = false; }

    // Each character's middle pixel gives the boundary before it, the next pixel the one
    // after it.
    void clickGoesToTheNearestBoundary_data() { FaceRows(); }
    void clickGoesToTheNearestBoundary() {
        FETCH_FACE_ROW();
        auto doc = Document("aWi\tmX.,q\r\n\r\nend\r\n");
        auto view = ShowInFont(doc.get(), face, pitch);
        const LineRecord* line = doc->GetStore()->FirstLine();
        const int y = view->LineHeight() / 2;
        for (int i = 0; i < line->length; ++i) {
            const int middle = (view->Extent(line, i) + view->Extent(line, i + 1)) / 2;
            Click(*view, {m + middle, y});
            QCOMPARE(view->CaretPos(), (TextPos{0, i}));
            QCOMPARE(view->CaretPixel(), QPoint(m + view->Extent(line, i), 0));
            Click(*view, {m + middle + 1, y});
            QCOMPARE(view->CaretPos(), (TextPos{0, i + 1}));
            QCOMPARE(view->CaretPixel(), QPoint(m + view->Extent(line, i + 1), 0));
        }
        // Past the end of the line: its end.
        Click(*view, {m + view->Extent(line, line->length) + 40, y});
        QCOMPARE(view->CaretPos(), (TextPos{0, line->length}));
        // An empty line: column 0, the caret at the margin.
        Click(*view, {200, view->LineHeight() + y});
        QCOMPARE(view->CaretPos(), (TextPos{1, 0}));
        QCOMPARE(view->CaretPixel(), QPoint(m, view->LineHeight()));
        // Left of the margin: the line's start.
        Click(*view, {2, 2 * view->LineHeight() + y});
        QCOMPARE(view->CaretPos(), (TextPos{2, 0}));
        // Below the last line: the last line.
        Click(*view, {m + view->Extent(doc->GetStore()->LastLine(), 2) - 1,
                      view->viewport()->height() - 2});
        QCOMPARE(view->CaretPos(), (TextPos{2, 2}));
        QVERIFY(!view->HasSelection());
    }

    // A Shift+click moves the moving end; on the far side of the fixed end the old moving
    // end becomes the fixed one.
    void shiftClickExtendsFromTheFixedEnd_data() {
        QTest::addColumn<int>("fixed");
        QTest::addColumn<int>("moving");
        QTest::addColumn<int>("click");
        QTest::addColumn<int>("newFixed");
        QTest::addColumn<int>("newMoving");
        QTest::newRow("forward, past the moving end") << 2 << 6 << 8 << 2 << 8;
        QTest::newRow("forward, inside") << 2 << 6 << 4 << 2 << 4;
        QTest::newRow("forward, before the fixed end") << 2 << 6 << 0 << 6 << 0;
        QTest::newRow("backward, after the fixed end") << 6 << 2 << 8 << 2 << 8;
        QTest::newRow("backward, inside") << 6 << 2 << 4 << 6 << 4;
        QTest::newRow("backward, before the moving end") << 6 << 2 << 1 << 6 << 1;
        QTest::newRow("no selection") << 4 << 4 << 1 << 4 << 1;
    }
    void shiftClickExtendsFromTheFixedEnd() {
        QFETCH(int, fixed);
        QFETCH(int, moving);
        QFETCH(int, click);
        QFETCH(int, newFixed);
        QFETCH(int, newMoving);
        auto doc = Document("0123456789\r\nsecond\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, fixed});
        view->ExtendSelection({0, moving});
        Click(*view, At(*view, {0, click}), Qt::ShiftModifier);
        QVERIFY(view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, newFixed}));
        QCOMPARE(view->SelEnd(), (TextPos{0, newMoving}));
    }

    // Undo leaves the caret where the edit was and the moving end where the caret stood
    // before: with no selection in force, a Shift+click extends from the caret all the
    // same.
    void shiftClickAfterUndoExtendsFromTheCaret() {
        auto doc = Document("0123456789\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition(doc->GetStore()->Edit({0, 2}, kInsertChar, "x"));
        view->SetCaretPosition({0, 8});
        view->OnEditUndo();
        QCOMPARE(view->CaretPos(), (TextPos{0, 2}));
        Click(*view, At(*view, {0, 0}), Qt::ShiftModifier);
        QCOMPARE(view->CaretPos(), (TextPos{0, 2}));
        QCOMPARE(view->SelEnd(), (TextPos{0, 0}));
    }

    void shiftClickInTheMarginReachesTheLineEnd() {
        auto doc = Document("first\r\nsecond\r\nthird\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 3});
        Press(*view, {3, view->LineHeight() + 2}, Qt::ShiftModifier);
        QCOMPARE(view->CaretPos(), (TextPos{0, 3}));
        QCOMPARE(view->SelEnd(), (TextPos{2, 0}));
        // Not a whole-line drag: the next step goes to the point under the mouse.
        Drag(*view, At(*view, {1, 2}));
        Release(*view, At(*view, {1, 2}));
        QCOMPARE(view->SelEnd(), (TextPos{1, 2}));
    }

    // A click in the margin selects its line; dragging down adds lines, dragging back up
    // past the clicked line selects upwards from the end of the clicked line.
    void marginDragSelectsWholeLines() {
        auto doc = Document(Numbered(10));
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        auto margin = [&](int line) { return QPoint(3, line * lh + lh / 2); };
        Press(*view, margin(4));
        QCOMPARE(Selection(*view), (Range{{4, 0}, {5, 0}}));
        for (int line = 5; line <= 7; ++line)
            Drag(*view, margin(line));
        QCOMPARE(Selection(*view), (Range{{4, 0}, {8, 0}}));
        for (int line = 6; line >= 2; --line)
            Drag(*view, margin(line));
        QCOMPARE(Selection(*view), (Range{{2, 0}, {5, 0}}));
        QCOMPARE(view->SelEnd(), (TextPos{2, 0}));
        // Back down across the clicked line, also in one jump and in the text: it stays.
        Drag(*view, At(*view, {6, 3}));
        QCOMPARE(Selection(*view), (Range{{4, 0}, {7, 0}}));
        Drag(*view, At(*view, {1, 4}));
        QCOMPARE(Selection(*view), (Range{{1, 0}, {5, 0}}));
        Release(*view, margin(1));
        // The line mode ends with the drag.
        Press(*view, At(*view, {8, 2}));
        Drag(*view, At(*view, {9, 1}));
        QCOMPARE(Selection(*view), (Range{{8, 2}, {9, 1}}));
        Release(*view, At(*view, {9, 1}));
    }

    void marginClickOnTheLastLineSelectsToItsEnd() {
        auto doc = Document("first\r\nlast line\r\n");
        auto view = Show(doc.get());
        Click(*view, {2, view->LineHeight() + 3});
        QCOMPARE(Selection(*view), (Range{{1, 0}, {1, 9}}));
    }

    void dragSelectsFromThePress() {
        auto doc = Document("alpha beta\r\ngamma delta\r\nepsilon\r\n");
        auto view = Show(doc.get());
        Press(*view, At(*view, {0, 2}));
        Drag(*view, At(*view, {1, 3}));
        QCOMPARE(view->CaretPos(), (TextPos{0, 2}));
        QCOMPARE(view->SelEnd(), (TextPos{1, 3}));
        Drag(*view, At(*view, {0, 1}));
        QCOMPARE(view->SelEnd(), (TextPos{0, 1}));
        Release(*view, At(*view, {0, 1}));
        // The mouse passing over with no button changes nothing.
        Hover(*view, At(*view, {2, 4}));
        QCOMPARE(Selection(*view), (Range{{0, 1}, {0, 2}}));
        // A plain click ends the selection.
        Click(*view, At(*view, {2, 4}));
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{2, 4}));
    }

    // The button movement that closed a dialog does not start a selection.
    void ignoreNextDragEatsOneStep() {
        auto doc = Document("alpha beta\r\ngamma\r\n");
        auto view = Show(doc.get());
        Press(*view, At(*view, {0, 1}));
        g_bIgnoreNextDrag = true;
        Drag(*view, At(*view, {0, 4}));
        QVERIFY(!view->HasSelection());
        QVERIFY(!g_bIgnoreNextDrag);
        Drag(*view, At(*view, {0, 6}));
        QCOMPARE(Selection(*view), (Range{{0, 1}, {0, 6}}));
        Release(*view, At(*view, {0, 6}));
    }

    void dragsWaitForTheFirstPaint() {
        auto doc = Document("alpha beta\r\n");
        CKelvoView view(doc.get(), &defaults);
        view.resize(300, 200);
        view.OnInitialUpdate(nullptr);
        QVERIFY(!view.IsPainted());
        view.OnLButtonDown(Qt::NoModifier, {m + 1, 2});
        view.OnMouseMove(Qt::LeftButton, {m + 40, 2});
        QVERIFY(!view.HasSelection());
        view.OnLButtonUp();
    }

    void doubleClickSelectsAWordAndItsBlanks_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<TextPos>("to");
        QTest::newRow("inside a word with two blanks") << 8 << TextPos{0, 6} << TextPos{0, 12};
        QTest::newRow("the last word") << 14 << TextPos{0, 12} << TextPos{0, 17};
        QTest::newRow("a dot card") << 2 << TextPos{0, 0} << TextPos{0, 6};
        QTest::newRow("column 0") << 0 << TextPos{} << TextPos{};
    }
    void doubleClickSelectsAWordAndItsBlanks() {
        QFETCH(int, column);
        QFETCH(TextPos, from);
        QFETCH(TextPos, to);
        auto doc = Document(".tran beta  gamma\r\n");
        auto view = Show(doc.get());
        DoubleClick(*view, At(*view, {0, column}));
        QCOMPARE(view->HasSelection(), from != to);
        QCOMPARE(Selection(*view), (Range{from, to}));
    }

    // A Shift+double-click: the word replaces what the Shift+press selected, on the
    // screen too.
    void shiftDoubleClickShowsOnlyTheWord() {
        auto doc = Document("one two three four\r\n");
        auto view = Show<RecordingView>(doc.get());
        view->SetCaretPosition({0, 0});
        const QPoint point = At(*view, {0, 10});
        Click(*view, point, Qt::ShiftModifier);
        QCOMPARE(Selection(*view), (Range{{0, 0}, {0, 10}}));
        view->Settle();
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, point);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::ShiftModifier, point);
        QCOMPARE(Selection(*view), (Range{{0, 8}, {0, 14}}));
        // The part of the Shift+click's highlight left of the word is repainted.
        QTest::qWait(10);
        const int x = m + view->Extent(doc->GetStore()->FirstLine(), 2);
        QVERIFY(view->painted.contains(QPoint(x, view->LineHeight() / 2)));
    }

    // Dragging past an edge scrolls one line height a tick, slowly within 50 pixels of
    // the edge and fast beyond, and drags the moving end along.
    void autoScrollFollowsTheEdge_data() {
        QTest::addColumn<QPoint>("beyond"); // pixels past the edge, the first outside 1, signed
        QTest::addColumn<bool>("slow");
        QTest::addColumn<QPoint>("step"); // the scroll a tick makes, in line heights
        QTest::newRow("below, in the band") << QPoint(0, 30) << true << QPoint(0, 1);
        QTest::newRow("below, band's last pixel") << QPoint(0, 50) << true << QPoint(0, 1);
        QTest::newRow("below, past the band") << QPoint(0, 51) << false << QPoint(0, 1);
        QTest::newRow("below, far") << QPoint(0, 80) << false << QPoint(0, 1);
        QTest::newRow("above") << QPoint(0, -30) << true << QPoint(0, -1);
        QTest::newRow("above, far") << QPoint(0, -80) << false << QPoint(0, -1);
        QTest::newRow("right") << QPoint(30, 0) << true << QPoint(1, 0);
        QTest::newRow("left, band's last pixel") << QPoint(-50, 0) << true << QPoint(-1, 0);
        QTest::newRow("left, past the band") << QPoint(-51, 0) << false << QPoint(-1, 0);
    }
    void autoScrollFollowsTheEdge() {
        QFETCH(QPoint, beyond);
        QFETCH(bool, slow);
        QFETCH(QPoint, step);
        auto doc = TallWideDocument();
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        const int w = view->viewport()->width();
        const int h = view->viewport()->height();
        view->ScrollToPosition({3 * lh, 50 * lh});
        const QPoint centre(w / 2, h / 2);
        Press(*view, centre);
        const TextPos fixed = view->CaretPos();
        // Out through the edge the row names, the other coordinate at the centre's.
        const QPoint out(beyond.x() > 0   ? w - 1 + beyond.x()
                         : beyond.x() < 0 ? beyond.x()
                                          : centre.x(),
                         beyond.y() > 0   ? h - 1 + beyond.y()
                         : beyond.y() < 0 ? beyond.y()
                                          : centre.y());
        Drag(*view, out);
        QVERIFY(view->IsAutoScrolling());
        QCOMPARE(view->IsAutoScrollSlow(), slow);
        for (int tick = 1; tick <= 3; ++tick) {
            const QPoint before = view->GetScrollPosition();
            view->OnTimer();
            QCOMPARE(view->GetScrollPosition() - before, step * lh);
        }
        // The moving end is the text one pixel outside the edge the mouse left by.
        const QPoint edge(out.x() < 0    ? -1
                          : out.x() >= w ? w
                                         : out.x(),
                          out.y() < 0    ? -1
                          : out.y() >= h ? h
                                         : out.y());
        QCOMPARE(view->SelEnd(), view->PointToPos(edge));
        QCOMPARE(view->SelEnd().line, std::max(0, view->GetScrollPosition().y() + edge.y()) / lh);
        QCOMPARE(view->CaretPos(), fixed);
        // Back inside the timer stops.
        Drag(*view, centre);
        QVERIFY(!view->IsAutoScrolling());
        Release(*view, centre);
    }

    // Back inside at the very character the mouse left from, the scrolling stops.
    void autoScrollStopsWhenTheMouseComesBack() {
        auto doc = TallWideDocument();
        auto view = Show(doc.get());
        const int w = view->viewport()->width();
        const int h = view->viewport()->height();
        Press(*view, {w / 2, h / 2});
        Drag(*view, {w / 2, h / 2 + 1});
        Drag(*view, {w / 2, h + 90});
        QVERIFY(view->IsAutoScrolling());
        Drag(*view, {w / 2, h / 2 + 1});
        QVERIFY(!view->IsAutoScrolling());
        Release(*view, {w / 2, h / 2 + 1});
    }

    void autoScrollSwitchesSpeedAtTheBand() {
        auto doc = TallWideDocument();
        auto view = Show(doc.get());
        const int w = view->viewport()->width();
        const int h = view->viewport()->height();
        Press(*view, {w / 2, h / 2});
        Drag(*view, {w / 2, h + 20});
        QVERIFY(view->IsAutoScrollSlow());
        Drag(*view, {w / 2, h + 90});
        QVERIFY(view->IsAutoScrolling());
        QVERIFY(!view->IsAutoScrollSlow());
        Drag(*view, {w / 2, h + 10});
        QVERIFY(view->IsAutoScrollSlow());
        Release(*view, {w / 2, h + 10});
        QVERIFY(!view->IsAutoScrolling());
    }

    // While the mouse stays outside, the ticks scroll the way it first left, wherever it
    // goes meanwhile.
    void autoScrollKeepsItsDirectionWhileOutside() {
        auto doc = TallWideDocument();
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        const int w = view->viewport()->width();
        const int h = view->viewport()->height();
        Press(*view, {w / 2, h / 2});
        Drag(*view, {w / 2, h + 20});
        Drag(*view, {w + 20, h / 2}); // round the corner, never inside
        view->OnTimer();
        QCOMPARE(view->GetScrollPosition(), QPoint(0, lh));
        // In and out to the right: now it scrolls sideways.
        Drag(*view, {w / 2, h / 2});
        Drag(*view, {w + 20, h / 2});
        view->OnTimer();
        QCOMPARE(view->GetScrollPosition(), QPoint(lh, lh));
        Release(*view, {w + 20, h / 2});
    }

    void autoScrollAtTheLimitDoesNothing() {
        auto doc = TallWideDocument();
        auto view = Show(doc.get());
        const int w = view->viewport()->width();
        const int h = view->viewport()->height();
        view->ScrollToPosition({0, view->GetScrollLimit(1)});
        const QPoint limit = view->GetScrollPosition();
        Press(*view, {w / 2, h / 2});
        Drag(*view, {w / 2, h + 20});
        view->OnTimer();
        view->OnTimer();
        QCOMPARE(view->GetScrollPosition(), limit);
        QVERIFY(!view->HasSelection()); // the tick did nothing at all
        QVERIFY(view->IsAutoScrolling());
        // At the top and the left edge likewise.
        Release(*view, {w / 2, h + 20});
        view->ScrollToPosition({0, 0});
        Press(*view, {w / 2, h / 2});
        Drag(*view, {w / 2, -20});
        view->OnTimer();
        Drag(*view, {w / 2, h / 2});
        Drag(*view, {-20, h / 2});
        view->OnTimer();
        QCOMPARE(view->GetScrollPosition(), QPoint(0, 0));
        QVERIFY(view->IsAutoScrolling());
        Release(*view, {-20, h / 2});
        QVERIFY(!view->IsAutoScrolling());
    }

    // A whole-line drag out of the window: the ticks select whole lines, and the clicked
    // line stays selected above it as below it.
    void autoScrollInLineModeKeepsTheClickedLine_data() {
        QTest::addColumn<bool>("up");
        QTest::newRow("down") << false;
        QTest::newRow("up") << true;
    }
    void autoScrollInLineModeKeepsTheClickedLine() {
        QFETCH(bool, up);
        auto doc = TallWideDocument();
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        const int h = view->viewport()->height();
        view->ScrollToPosition({0, 100 * lh});
        const int clicked = 102;
        Press(*view, {3, 2 * lh + lh / 2});
        QCOMPARE(Selection(*view), (Range{{clicked, 0}, {clicked + 1, 0}}));
        Drag(*view, {3, up ? -10 : h + 10});
        view->OnTimer();
        view->OnTimer();
        const int y = view->GetScrollPosition().y();
        if (up) {
            const int reached = (y - 1) / lh;
            QCOMPARE(Selection(*view), (Range{{reached, 0}, {clicked + 1, 0}}));
        } else {
            const int reached = (y + h) / lh;
            QCOMPARE(Selection(*view), (Range{{clicked, 0}, {reached + 1, 0}}));
        }
        Release(*view, {3, up ? -10 : h + 10});
    }

    // A focus loss under the button ends the drag and its timer: the release may never
    // come here.
    void focusLossMidDragStopsTheTimer() {
        auto doc = TallWideDocument();
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* view = new CKelvoView(doc.get(), &defaults);
        auto* other = new QLineEdit;
        layout->addWidget(view);
        layout->addWidget(other);
        window.resize(400, 400);
        view->OnInitialUpdate(nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        view->viewport()->repaint();
        window.activateWindow();
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        const int w = view->viewport()->width();
        const int h = view->viewport()->height();
        Press(*view, {w / 2, h / 2});
        const TextPos fixed = view->CaretPos();
        Drag(*view, {w / 2, h / 2 + 2 * view->LineHeight()});
        QVERIFY(view->HasSelection());
        Drag(*view, {w / 2, h + 20});
        QVERIFY(view->IsAutoScrolling());
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QVERIFY(!view->IsAutoScrolling());
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), fixed);
        // The button still held: moves drag nothing.
        Drag(*view, {w / 4, h / 4});
        QVERIFY(!view->HasSelection());
        QVERIFY(!view->IsAutoScrolling());
        Release(*view, {w / 4, h / 4});
    }

    // A menu or popup keeps the selection, so the Edit menu has something to copy; any
    // other focus loss ends it.
    void focusLossEndsTheSelectionUnlessToAPopup() {
        auto doc = Document("alpha beta gamma\r\nsecond\r\n");
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* view = new CKelvoView(doc.get(), &defaults);
        auto* other = new QLineEdit;
        layout->addWidget(view);
        layout->addWidget(other);
        window.resize(400, 300);
        view->OnInitialUpdate(nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        view->SetCaretPosition({0, 6});
        view->ExtendSelection({1, 2});

        QMenu menu;
        menu.addAction("Copy");
        menu.popup(window.mapToGlobal(QPoint(20, 20)));
        QTRY_VERIFY(menu.isVisible());
        QVERIFY(view->HasSelection());
        menu.close();
        QTRY_VERIFY(!menu.isVisible());
        QVERIFY(view->HasSelection());

        QFocusEvent toMenuBar(QEvent::FocusOut, Qt::MenuBarFocusReason);
        QApplication::sendEvent(view, &toMenuBar);
        QVERIFY(view->HasSelection());

        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 6}));
    }

    void cursorShowsTheMarginAtItsEdge() {
        defaults.m_hMarginCursor = QCursor(Qt::PointingHandCursor);
        auto doc = Document("text\r\n");
        auto view = Show(doc.get());
        Hover(*view, {m, 4});
        const Qt::CursorShape atMargin = view->viewport()->cursor().shape();
        Hover(*view, {m + 1, 4});
        const Qt::CursorShape inText = view->viewport()->cursor().shape();
        Hover(*view, {0, 4});
        const Qt::CursorShape atEdge = view->viewport()->cursor().shape();
        defaults = ViewDefaults();
        QCOMPARE(atMargin, Qt::PointingHandCursor);
        QCOMPARE(inText, Qt::IBeamCursor);
        QCOMPARE(atEdge, Qt::PointingHandCursor);
    }
};

QTEST_MAIN(ViewMouseTest)
#include "tst_viewmouse.moc"
