#include <QLineEdit>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

#include "CMainFrame.h"
#include "view/ViewFixture.h"

namespace {

// A document that counts the edits asked of it and refuses them while `refuse` is set.
class GuardedDoc : public CKelvoDoc {
public:
    using CKelvoDoc::CKelvoDoc;
    bool refuse = false;
    int asked = 0;
    bool AllowEdit() override {
        ++asked;
        return !refuse;
    }
};

QString LineText(const CKelvoDoc* doc, int line) {
    return QString::fromLatin1(Chars(doc->GetStore()->LineAt(line)));
}

QStringList AllText(const CKelvoDoc* doc) {
    QStringList lines;
    for (const LineRecord* line = doc->GetStore()->FirstLine(); line != nullptr; line = line->next)
        lines << QString::fromLatin1(Chars(line));
    return lines;
}

// The key's event as the window system delivers it, with its text.
void Type(QWidget* view, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
          int key = 0) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(view, &press);
}

// The boundary on a line nearest to a pixel x, the one before when two are as near:
// where a caret keeping its x lands.
int NearestColumn(const CKelvoView& view, const LineRecord* line, int x) {
    int best = 0;
    for (int c = 1; c <= line->length; ++c)
        if (std::abs(view.Extent(line, c) - x) < std::abs(view.Extent(line, best) - x))
            best = c;
    return best;
}

bool Within(const CKelvoView& view, TextPos pos) {
    const TextStore* store = view.GetStore();
    return pos.line >= 0 && pos.line < store->LineCount() && pos.column >= 0 &&
           pos.column <= store->LineAt(pos.line)->length;
}

} // namespace

class ViewKeysTest : public QObject, public ViewFixture {
    Q_OBJECT
    static QByteArray Lines(int count) {
        QByteArray text;
        for (int i = 0; i < count; ++i)
            text += "line " + QByteArray::number(i) + " of the text\r\n";
        return text;
    }

private slots:
    void init() { platform = ScriptedPlatform(); }

    // --- Moving up and down keeps the caret's pixel x, not a column.
    void upDownKeepThePixelX_data() { FaceRows(); }
    void upDownKeepThePixelX() {
        FETCH_FACE_ROW();
        auto doc = Document("\tWi\tmm\r\nx\r\nabcdefghijklmnop\r\nI\tW.i\tlW\r\n");
        auto view = ShowInFont(doc.get(), face, pitch);
        const TextStore* store = doc->GetStore();
        const int x = view->Extent(store->LineAt(2), 10);

        view->SetCaretPosition({2, 10});
        QTest::keyClick(view.get(), Qt::Key_Down);
        QCOMPARE(view->CaretPos(), (TextPos{3, NearestColumn(*view, store->LineAt(3), x)}));
        QCOMPARE(view->CaretPixel(), view->PosToPoint(view->CaretPos()));

        // Over a short line the x is lost: the next line is reached from the short line's end.
        view->SetCaretPosition({2, 10});
        QTest::keyClick(view.get(), Qt::Key_Up);
        QCOMPARE(view->CaretPos(), (TextPos{1, 1}));
        QTest::keyClick(view.get(), Qt::Key_Up);
        const int shortEnd = view->Extent(store->LineAt(1), 1);
        QCOMPARE(view->CaretPos(), (TextPos{0, NearestColumn(*view, store->LineAt(0), shortEnd)}));

        // Up from after a tab lands on the boundary nearest to the tab's far side.
        view->SetCaretPosition({3, 2});
        QTest::keyClick(view.get(), Qt::Key_Up);
        const int afterTab = view->Extent(store->LineAt(3), 2);
        QCOMPARE(view->CaretPos(), (TextPos{2, NearestColumn(*view, store->LineAt(2), afterTab)}));
        QCOMPARE(view->CaretPixel(), view->PosToPoint(view->CaretPos()));
    }

    // --- Shift with a move selects; the selection can shrink to nothing and stay in force.
    void shiftSelectionGrowsAndShrinks() {
        auto doc = Document("abcdefgh\r\nsecond line\r\n");
        auto view = Show(doc.get());
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        view->SetCaretPosition({0, 2});
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
        QVERIFY(view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 2}));
        QCOMPARE(view->SelEnd(), (TextPos{0, 5}));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(view.get(), Qt::Key_Left, Qt::ShiftModifier);
        // Empty, but still in force: the caret stays hidden.
        QVERIFY(view->HasSelection());
        QCOMPARE(view->SelEnd(), (TextPos{0, 2}));
        QVERIFY(!view->IsCaretShown());
        QTest::keyClick(view.get(), Qt::Key_Right);
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 3}));
        QVERIFY(view->IsCaretShown());

        // Shift+Down selects to the next line; Shift+Up shrinks it back.
        QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
        QCOMPARE(view->SelEnd().line, 1);
        QTest::keyClick(view.get(), Qt::Key_Up, Qt::ShiftModifier);
        QCOMPARE(view->SelEnd(), (TextPos{0, 3}));
        QVERIFY(view->HasSelection());
        // A plain Up ends the selection at its lesser end, on the first line: column 0.
        QTest::keyClick(view.get(), Qt::Key_Up);
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 0}));
    }

    // A plain move out of a selection starts from the moving end; Home and End from the
    // fixed end, and they never select.
    void plainMovesEndASelection_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<TextPos>("caret");
        QTest::newRow("left") << int(Qt::Key_Left) << 0 << TextPos{1, 3};
        QTest::newRow("right") << int(Qt::Key_Right) << 0 << TextPos{1, 5};
        QTest::newRow("down") << int(Qt::Key_Down) << 0 << TextPos{2, 4};
        QTest::newRow("home") << int(Qt::Key_Home) << 0 << TextPos{0, 0};
        QTest::newRow("shift home") << int(Qt::Key_Home) << int(Qt::ShiftModifier) << TextPos{0, 0};
        QTest::newRow("end") << int(Qt::Key_End) << 0 << TextPos{0, 6};
        QTest::newRow("ctrl end") << int(Qt::Key_End) << int(Qt::ControlModifier) << TextPos{2, 0};
        QTest::newRow("ctrl home")
            << int(Qt::Key_Home) << int(Qt::ControlModifier) << TextPos{0, 0};
    }
    void plainMovesEndASelection() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(TextPos, caret);
        auto doc = Document("first.\r\nsecond\r\nthird.\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 2});
        view->ExtendSelection({1, 4});
        QTest::keyClick(view.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), caret);
        QCOMPARE(platform.beeps, 0);
    }

    // --- Ctrl+Left and Ctrl+Right: words, punctuation and SPICE dot cards.
    void ctrlMovesByWords_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<QList<TextPos>>("stops");
        QTest::newRow("right") << int(Qt::Key_Right) << TextPos{0, 0}
                               << QList<TextPos>{{0, 6}, {0, 9},  {0, 13}, {1, 0},
                                                 {1, 2}, {1, 3},  {1, 7},  {1, 8},
                                                 {1, 9}, {1, 10}, {1, 11}, {1, 12}};
        QTest::newRow("left") << int(Qt::Key_Left) << TextPos{1, 12}
                              << QList<TextPos>{{1, 11}, {1, 10}, {1, 9},  {1, 8}, {1, 7}, {1, 3},
                                                {1, 2},  {1, 0},  {0, 13}, {0, 9}, {0, 6}, {0, 0}};
    }
    void ctrlMovesByWords() {
        QFETCH(int, key);
        QFETCH(TextPos, from);
        QFETCH(QList<TextPos>, stops);
        auto doc = Document(".tran 1n 100n\r\nR1,R10 (a+b)\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition(from);
        for (const TextPos& stop : stops) {
            QTest::keyClick(view.get(), Qt::Key(key), Qt::ControlModifier);
            QCOMPARE(view->CaretPos(), stop);
        }
        QCOMPARE(platform.beeps, 0);
        // At the end of the text the move beeps and stays.
        QTest::keyClick(view.get(), Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(view->CaretPos(), stops.last());

        // With Shift the words are selected from where the move began.
        view->SetCaretPosition(from);
        QTest::keyClick(view.get(), Qt::Key(key), Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(view->CaretPos(), from);
        QCOMPARE(view->SelEnd(), stops.first());
    }

    // --- Page moves scroll by the window less one line and keep the caret's height.
    void pageMovesKeepTheCaretsHeight() {
        auto doc = Document(Lines(200));
        auto view = Show(doc.get(), {400, 300});
        const int lh = view->LineHeight();
        const int height = view->viewport()->height();
        const int limit = view->GetScrollLimit(1);
        QVERIFY(limit > 2 * height);
        view->SetCaretPosition({3, 4});

        int y = 0;
        while (y < limit) {
            const QPoint before = view->CaretPixel();
            QTest::keyClick(view.get(), Qt::Key_PageDown);
            y = std::min(limit, y + height - lh);
            QCOMPARE(view->GetScrollPosition().y(), y);
            // The caret is on the text now under its old window point; a line cut by the
            // window's top gives the caret to the line below it.
            const int under = (before.y() + y) / lh;
            QCOMPARE(view->CaretPos().line, under * lh < y ? under + 1 : under);
            QCOMPARE(view->CaretPos().column, 4);
            QVERIFY(std::abs(view->CaretPixel().y() - before.y()) < lh);
            QCOMPARE(view->CaretPixel(), view->PosToPoint(view->CaretPos()));
        }
        QCOMPARE(platform.beeps, 0);
        QTest::keyClick(view.get(), Qt::Key_PageDown);
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(view->GetScrollPosition().y(), limit);

        QTest::keyClick(view.get(), Qt::Key_PageUp);
        QCOMPARE(view->GetScrollPosition().y(), std::max(0, limit + lh - height));
        while (view->GetScrollPosition().y() > 0)
            QTest::keyClick(view.get(), Qt::Key_PageUp);
        QCOMPARE(platform.beeps, 1);
        QTest::keyClick(view.get(), Qt::Key_PageUp);
        QCOMPARE(platform.beeps, 2);
        QCOMPARE(view->CaretPixel(), view->PosToPoint(view->CaretPos()));
        QCOMPARE(view->CaretPixel().y(), view->CaretPos().line * lh);
    }

    // A page move down with a selection starts from its moving end, up from its fixed end.
    void pageMovesLeaveASelectionAtItsEnds() {
        auto doc = Document(Lines(200));
        auto view = Show(doc.get());
        view->SetCaretPosition({2, 0});
        view->ExtendSelection({5, 2});
        QTest::keyClick(view.get(), Qt::Key_PageDown, Qt::ShiftModifier);
        QVERIFY(!view->HasSelection());
        const int lh = view->LineHeight();
        QCOMPARE(view->CaretPos().line, (5 * lh + view->GetScrollPosition().y()) / lh);
        const int fixed = view->CaretPos().line;
        view->ExtendSelection({fixed + 3, 0});
        const int windowY = view->PosToPoint({fixed, 0}).y();
        const int scrolled = view->GetScrollPosition().y();
        QTest::keyClick(view.get(), Qt::Key_PageUp);
        QVERIFY(!view->HasSelection());
        const int y = std::max(0, scrolled + lh - view->viewport()->height());
        QCOMPARE(view->GetScrollPosition().y(), y);
        QCOMPARE(view->CaretPos().line, (windowY + y) / lh);
    }

    // --- Ctrl+Up and Ctrl+Down scroll; the caret keeps to its text while it shows.
    void ctrlUpDownScroll() {
        auto doc = Document(Lines(100));
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        view->SetCaretPosition({1, 2});
        QTest::keyClick(view.get(), Qt::Key_Down, Qt::ControlModifier);
        QCOMPARE(view->GetScrollPosition().y(), lh);
        QCOMPARE(view->CaretPos(), (TextPos{1, 2}));
        QTest::keyClick(view.get(), Qt::Key_Down, Qt::ControlModifier);
        // The caret's line went out at the top: it moves down a line with the text.
        QCOMPARE(view->GetScrollPosition().y(), 2 * lh);
        QCOMPARE(view->CaretPos(), (TextPos{2, 2}));
        QCOMPARE(view->CaretPixel(), view->PosToPoint({2, 2}));
        QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(view->GetScrollPosition().y(), 2 * lh);
        QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
        QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(view->GetScrollPosition().y(), 0);
        QCOMPARE(platform.beeps, 0);
        QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(platform.beeps, 1);

        // A caret on the bottom line stays inside the window as the text moves down.
        const int height = view->viewport()->height();
        QTest::keyClick(view.get(), Qt::Key_Down, Qt::ControlModifier);
        QTest::keyClick(view.get(), Qt::Key_Down, Qt::ControlModifier);
        const int bottom = (2 * lh + height - 2) / lh;
        view->SetCaretPosition({bottom, 3});
        QCOMPARE(view->GetScrollPosition().y(), 2 * lh);
        QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(view->GetScrollPosition().y(), lh);
        QVERIFY(view->CaretPixel().y() < height);
        QCOMPARE(view->CaretPixel(), view->PosToPoint(view->CaretPos()));
        QCOMPARE(view->CaretPos().line, bottom * lh >= height ? bottom - 1 : bottom);
    }

    // --- Every move that cannot go further beeps.
    void movesBeepAtTheEdges_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<TextPos>("to");
        QTest::addColumn<int>("beeps");
        const int ctrl = int(Qt::ControlModifier);
        QTest::newRow("up at the start")
            << int(Qt::Key_Up) << 0 << TextPos{0, 0} << TextPos{0, 0} << 1;
        QTest::newRow("up on line 0")
            << int(Qt::Key_Up) << 0 << TextPos{0, 3} << TextPos{0, 0} << 0;
        QTest::newRow("down at the end")
            << int(Qt::Key_Down) << 0 << TextPos{2, 4} << TextPos{2, 4} << 1;
        QTest::newRow("down on the last line")
            << int(Qt::Key_Down) << 0 << TextPos{2, 1} << TextPos{2, 4} << 0;
        QTest::newRow("left at the start")
            << int(Qt::Key_Left) << 0 << TextPos{0, 0} << TextPos{0, 0} << 1;
        QTest::newRow("left to the line above")
            << int(Qt::Key_Left) << 0 << TextPos{1, 0} << TextPos{0, 5} << 0;
        QTest::newRow("right at the end")
            << int(Qt::Key_Right) << 0 << TextPos{2, 4} << TextPos{2, 4} << 1;
        QTest::newRow("right to the next line")
            << int(Qt::Key_Right) << 0 << TextPos{0, 5} << TextPos{1, 0} << 0;
        QTest::newRow("ctrl left at the start")
            << int(Qt::Key_Left) << ctrl << TextPos{0, 0} << TextPos{0, 0} << 1;
        QTest::newRow("ctrl right at the end")
            << int(Qt::Key_Right) << ctrl << TextPos{2, 4} << TextPos{2, 4} << 1;
        QTest::newRow("page up at the top")
            << int(Qt::Key_PageUp) << 0 << TextPos{1, 2} << TextPos{1, 2} << 1;
        QTest::newRow("page down, all in view")
            << int(Qt::Key_PageDown) << 0 << TextPos{1, 2} << TextPos{1, 2} << 1;
        QTest::newRow("ctrl up at the top")
            << int(Qt::Key_Up) << ctrl << TextPos{1, 2} << TextPos{1, 2} << 1;
        QTest::newRow("ctrl down, all in view")
            << int(Qt::Key_Down) << ctrl << TextPos{1, 2} << TextPos{1, 2} << 1;
        QTest::newRow("home") << int(Qt::Key_Home) << 0 << TextPos{0, 0} << TextPos{0, 0} << 0;
        QTest::newRow("end") << int(Qt::Key_End) << 0 << TextPos{2, 4} << TextPos{2, 4} << 0;
    }
    void movesBeepAtTheEdges() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(TextPos, from);
        QFETCH(TextPos, to);
        QFETCH(int, beeps);
        auto doc = Document("alpha\r\nbeta\r\ngamm\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition(from);
        QTest::keyClick(view.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(platform.beeps, beeps);
        QCOMPARE(view->CaretPos(), to);
        QCOMPARE(view->GetScrollPosition(), QPoint(0, 0));
    }

    // --- Enter splits a line in insert mode and only moves in overwrite mode.
    void enterSplitsOrMoves_data() {
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<QStringList>("text");
        QTest::addColumn<TextPos>("caret");
        QTest::addColumn<int>("beeps");
        const QStringList unchanged{"one two", "three"};
        QTest::newRow("insert, mid line")
            << false << TextPos{0, 3} << QStringList{"one", " two", "three"} << TextPos{1, 0} << 0;
        QTest::newRow("insert, end of the last line")
            << false << TextPos{1, 5} << QStringList{"one two", "three", ""} << TextPos{2, 0} << 0;
        QTest::newRow("overwrite, mid line")
            << true << TextPos{0, 3} << unchanged << TextPos{1, 0} << 0;
        // On the last line Down goes to its end, then Home to its start.
        QTest::newRow("overwrite, last line")
            << true << TextPos{1, 2} << unchanged << TextPos{1, 0} << 0;
        QTest::newRow("overwrite, end of the last line")
            << true << TextPos{1, 5} << unchanged << TextPos{1, 0} << 1;
    }
    void enterSplitsOrMoves() {
        QFETCH(bool, overwrite);
        QFETCH(TextPos, from);
        QFETCH(QStringList, text);
        QFETCH(TextPos, caret);
        QFETCH(int, beeps);
        auto doc = Document("one two\r\nthree\r\n");
        auto view = Show(doc.get());
        if (overwrite)
            QTest::keyClick(view.get(), Qt::Key_Insert);
        QCOMPARE(view->IsOverwrite(), overwrite);
        view->SetCaretPosition(from);
        QTest::keyClick(view.get(), Qt::Key_Return);
        QCOMPARE(AllText(doc.get()), text);
        QCOMPARE(view->CaretPos(), caret);
        QCOMPARE(platform.beeps, beeps);
        QCOMPARE(doc->IsModified(), !overwrite);
    }

    // --- Backspace and Delete join lines; at the ends of the text they beep.
    void backspaceAndDeleteJoinLines_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<TextPos>("from");
        QTest::addColumn<QStringList>("text");
        QTest::addColumn<TextPos>("caret");
        QTest::addColumn<int>("beeps");
        const QStringList unchanged{"ab", "cd"};
        QTest::newRow("backspace joins")
            << int(Qt::Key_Backspace) << TextPos{1, 0} << QStringList{"abcd"} << TextPos{0, 2} << 0;
        QTest::newRow("backspace in a line") << int(Qt::Key_Backspace) << TextPos{1, 1}
                                             << QStringList{"ab", "d"} << TextPos{1, 0} << 0;
        QTest::newRow("backspace at the start")
            << int(Qt::Key_Backspace) << TextPos{0, 0} << unchanged << TextPos{0, 0} << 1;
        QTest::newRow("delete joins")
            << int(Qt::Key_Delete) << TextPos{0, 2} << QStringList{"abcd"} << TextPos{0, 2} << 0;
        QTest::newRow("delete in a line")
            << int(Qt::Key_Delete) << TextPos{0, 0} << QStringList{"b", "cd"} << TextPos{0, 0} << 0;
        QTest::newRow("delete at the end")
            << int(Qt::Key_Delete) << TextPos{1, 2} << unchanged << TextPos{1, 2} << 1;
    }
    void backspaceAndDeleteJoinLines() {
        QFETCH(int, key);
        QFETCH(TextPos, from);
        QFETCH(QStringList, text);
        QFETCH(TextPos, caret);
        QFETCH(int, beeps);
        auto doc = Document("ab\r\ncd\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition(from);
        QTest::keyClick(view.get(), Qt::Key(key));
        QCOMPARE(AllText(doc.get()), text);
        QCOMPARE(view->CaretPos(), caret);
        QCOMPARE(platform.beeps, beeps);
        QCOMPARE(view->GetTotalSize().height(), int(text.size()) * view->LineHeight());
    }

    // --- Typing over a selection.
    void typingReplacesTheSelection_data() {
        QTest::addColumn<TextPos>("fixed");
        QTest::addColumn<TextPos>("moving");
        QTest::addColumn<QStringList>("text");
        QTest::addColumn<TextPos>("caret");
        // A selection ending in a blank (a double-clicked word) keeps one blank.
        QTest::newRow("word and its blank")
            << TextPos{0, 6} << TextPos{0, 11} << QStringList{"alpha X gamma ", "next one"}
            << TextPos{0, 7};
        QTest::newRow("selected backwards")
            << TextPos{0, 11} << TextPos{0, 6} << QStringList{"alpha X gamma ", "next one"}
            << TextPos{0, 7};
        QTest::newRow("word alone") << TextPos{0, 6} << TextPos{0, 10}
                                    << QStringList{"alpha X gamma ", "next one"} << TextPos{0, 7};
        // The line ends in a blank, but the selection ends with the line break.
        QTest::newRow("through the line break")
            << TextPos{0, 12} << TextPos{1, 0} << QStringList{"alpha beta gXnext one"}
            << TextPos{0, 13};
        QTest::newRow("across lines, ending in a blank")
            << TextPos{1, 5} << TextPos{0, 12} << QStringList{"alpha beta gX one"}
            << TextPos{0, 13};
    }
    void typingReplacesTheSelection() {
        QFETCH(TextPos, fixed);
        QFETCH(TextPos, moving);
        QFETCH(QStringList, text);
        QFETCH(TextPos, caret);
        auto doc = Document("alpha beta gamma \r\nnext one\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition(fixed);
        view->ExtendSelection(moving);
        Type(view.get(), "X", Qt::ShiftModifier, Qt::Key_X);
        QCOMPARE(AllText(doc.get()), text);
        QCOMPARE(view->CaretPos(), caret);
        QVERIFY(!view->HasSelection());
    }

    // --- Overwrite mode: Insert toggles it in both panes; typed characters replace.
    void overwriteTypingReplaces() {
        auto doc = Document("abcd\r\nef\r\n");
        auto first = Show(doc.get());
        auto second = Show(doc.get(), {400, 150}, first.get());
        QTest::keyClick(second.get(), Qt::Key_Insert);
        QVERIFY(first->IsOverwrite());
        QVERIFY(second->IsOverwrite());
        first->SetCaretPosition({0, 1});
        QTest::keyClicks(first.get(), "xyz");
        QCOMPARE(LineText(doc.get(), 0), QString("axyz"));
        QTest::keyClicks(first.get(), "12");
        QCOMPARE(LineText(doc.get(), 0), QString("axyz12")); // the end of a line grows
        QCOMPARE(first->CaretPos(), (TextPos{0, 6}));
        // A tab cannot overwrite: it beeps.
        QTest::keyClick(first.get(), Qt::Key_Tab);
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(LineText(doc.get(), 0), QString("axyz12"));
        QTest::keyClick(first.get(), Qt::Key_Insert);
        QVERIFY(!second->IsOverwrite());
        QTest::keyClicks(first.get(), "!");
        QCOMPARE(LineText(doc.get(), 0), QString("axyz12!"));
        // Shift+Insert and Ctrl+Insert are Paste and Copy, never the mode.
        QTest::keyClick(first.get(), Qt::Key_Insert, Qt::ShiftModifier);
        QTest::keyClick(first.get(), Qt::Key_Insert, Qt::ControlModifier);
        QVERIFY(!first->IsOverwrite());
    }

    // --- The keys' text: Tab typed, Alt dropped, Windows-1252 bytes, refused characters.
    void tabIsTypedNotAFocusMove() {
        auto doc = Document("ab\r\n");
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* view = new CKelvoView(doc.get(), &defaults);
        auto* other = new QLineEdit;
        layout->addWidget(view);
        layout->addWidget(other);
        view->OnInitialUpdate();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        view->setFocus();
        QTRY_VERIFY(view->hasFocus());
        view->SetCaretPosition({0, 1});
        QTest::keyClick(view, Qt::Key_Tab);
        QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(LineText(doc.get(), 0), QString("a\t\tb"));
        QVERIFY(view->hasFocus());
        QCOMPARE(view->CaretPos(), (TextPos{0, 3}));
    }

    void altTextIsDropped() {
        auto doc = Document("ab\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 1});
        Type(view.get(), "f", Qt::AltModifier, Qt::Key_F);
        Type(view.get(), "", Qt::AltModifier, Qt::Key_Right);
        QCOMPARE(LineText(doc.get(), 0), QString("ab"));
        QCOMPARE(view->CaretPos(), (TextPos{0, 1}));
        // AltGr chooses a character: it types.
        Type(view.get(), "@", Qt::GroupSwitchModifier | Qt::AltModifier, Qt::Key_At);
        Type(view.get(), "|", Qt::GroupSwitchModifier, Qt::Key_Bar);
        QCOMPARE(LineText(doc.get(), 0), QString("a@|b"));
        QCOMPARE(platform.beeps, 0);
    }

    void typedTextBecomesWindows1252Bytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("refused");
        QTest::newRow("ascii") << "a1 ." << QByteArray("a1 .") << 0;
        QTest::newRow("euro") << QString::fromUtf8("\u20ac") << QByteArray("\x80") << 0;
        QTest::newRow("quotes and e acute")
            << QString::fromUtf8("\u201c\u00e9\u201d") << QByteArray("\x93\xe9\x94") << 0;
        QTest::newRow("han") << QString::fromUtf8("\u4e2d") << QByteArray() << 1;
        QTest::newRow("emoji between letters")
            << QString::fromUtf8("a\U0001F600b") << QByteArray("ab") << 1;
    }
    void typedTextBecomesWindows1252Bytes() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(int, refused);
        int lost = -1;
        QCOMPARE(QByteArray::fromStdString(CKelvoView::TypedBytes(text, &lost)), bytes);
        QCOMPARE(lost, refused);
    }

    // A character the table cannot hold is refused before the text is asked; one it holds
    // reaches the text as its byte, unless the text takes no typed byte of that value: the
    // euro sign's 0x80, like every byte from 128 up, is refused before the text is asked too.
    void charactersOutsideTheTableAreRefused() {
        auto doc = Document<GuardedDoc>("ab\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 1});
        Type(view.get(), QString::fromUtf8("\u4e2d"));
        QCOMPARE(platform.beeps, 1);
        QCOMPARE(doc->asked, 0);
        QCOMPARE(LineText(doc.get(), 0), QString("ab"));
        Type(view.get(), QString::fromUtf8("x\u4e2dy"));
        QCOMPARE(platform.beeps, 2);
        QCOMPARE(doc->asked, 2);
        QCOMPARE(LineText(doc.get(), 0), QString("axyb"));
        Type(view.get(), QString::fromUtf8("\u20ac"));
        QCOMPARE(platform.beeps, 3);
        QCOMPARE(doc->asked, 2);
    }

    // A key that types nothing the text can hold (Escape after a Find, Ctrl with a letter
    // no command takes, a byte from 128 up, a tab over a character) beeps and leaves the
    // selected text and the selection as they were.
    void keysThatTypeNothingLeaveTheSelection_data() {
        QTest::addColumn<int>("ch");
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("escape") << 27 << false;
        QTest::newRow("ctrl+b") << 2 << false;
        QTest::newRow("e acute") << 0xe9 << false;
        QTest::newRow("tab over a character") << 9 << true;
        QTest::newRow("escape in overwrite mode") << 27 << true;
    }
    void keysThatTypeNothingLeaveTheSelection() {
        QFETCH(int, ch);
        QFETCH(bool, overwrite);
        auto doc = Document("X1 src mid vcc CESTAGE\r\n");
        auto view = Show(doc.get());
        if (overwrite)
            view->OnKeyDown(Qt::Key_Insert, Qt::NoModifier);
        view->SetCaretPosition({0, 15});
        view->ExtendSelection({0, 22});
        view->OnChar(static_cast<unsigned char>(ch), Qt::NoModifier);
        QCOMPARE(LineText(doc.get(), 0), QString("X1 src mid vcc CESTAGE"));
        QVERIFY(view->HasSelection());
        QCOMPARE(view->SelEnd(), (TextPos{0, 22}));
        QCOMPARE(platform.beeps, 1);
        QVERIFY(!doc->IsModified());
    }

    // --- A document that refuses: each edit a key makes is asked on its own, the text
    // stays, and a selection ends all the same.
    void refusedEditsLeaveTheText_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("asked");
        QTest::newRow("typing over a selection ending in a blank") << 0 << "X" << 3;
        QTest::newRow("enter over a selection") << int(Qt::Key_Return) << "" << 2;
        QTest::newRow("backspace") << int(Qt::Key_Backspace) << "" << 1;
        QTest::newRow("delete") << int(Qt::Key_Delete) << "" << 1;
    }
    void refusedEditsLeaveTheText() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, asked);
        auto doc = Document<GuardedDoc>("alpha beta gamma\r\nnext\r\n");
        doc->refuse = true;
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 6});
        view->ExtendSelection({0, 11});
        Type(view.get(), text, Qt::NoModifier, key);
        QCOMPARE(doc->asked, asked);
        QCOMPARE(AllText(doc.get()), (QStringList{"alpha beta gamma", "next"}));
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 6}));
        QVERIFY(!doc->IsModified());
    }

    // --- The status bar follows the active pane's caret and mode at once.
    void statusPanesFollowTheCaret() {
        auto doc = Document("alpha\r\nbeta\r\n");
        CMainFrame frame;
        CChildFrame* child = frame.AddChild(doc.get(), &defaults);
        frame.show();
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        CKelvoView* view = frame.ActiveView();
        QVERIFY(view != nullptr);
        QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Right);
        QCOMPARE(frame.LinePane()->text(), QString(" Ln 2, Col 2 "));
        QTest::keyClick(view, Qt::Key_Insert);
        QCOMPARE(frame.OverwritePane()->text(), QString(" OVER "));
        QTest::keyClick(view, Qt::Key_Return); // overwrite: to the start of the next line
        QCOMPARE(frame.LinePane()->text(), QString(" Ln 2, Col 1 "));
        QTest::keyClick(view, Qt::Key_Insert);
        QCOMPARE(frame.OverwritePane()->text(), QString());
        QTest::keyClicks(view, "ab");
        QCOMPARE(frame.LinePane()->text(), QString(" Ln 2, Col 3 "));
        // A caret placed by a command shows at once too.
        view->SetCaretPosition({0, 3});
        QCOMPARE(frame.LinePane()->text(), QString(" Ln 1, Col 4 "));

        // The other pane, once active, shows its own caret.
        child->Split();
        child->OnNextPane();
        QTRY_VERIFY(child->ActiveView() != view);
        QCOMPARE(frame.LinePane()->text(), QString(" Ln 1, Col 1 "));
        QTest::keyClick(child->ActiveView(), Qt::Key_End);
        QCOMPARE(frame.LinePane()->text(), QString(" Ln 1, Col 6 "));
    }

    // --- Two panes: edits in one keep the other right.
    void siblingStaysRightAfterEdits() {
        QByteArray text = Lines(60);
        auto doc = Document(text);
        auto first = Show(doc.get(), {400, 150});
        auto second = Show(doc.get(), {400, 150}, first.get());
        second->SetCaretPosition({55, 8});
        second->ExtendSelection({58, 3});
        const int lh = first->LineHeight();

        // A line far outside the other pane grows: its scroll range reaches the line's end.
        first->SetCaretPosition({0, 0});
        for (int i = 0; i < 80; ++i)
            QTest::keyClick(first.get(), Qt::Key_W);
        QCOMPARE(second->GetTotalSize().width(), first->GetTotalSize().width());

        // The first pane takes almost all the text away.
        first->ExtendSelection({58, 2});
        QTest::keyClick(first.get(), Qt::Key_Delete);
        QCOMPARE(doc->GetStore()->LineCount(), 2);
        QCOMPARE(second->GetTotalSize().height(), 2 * lh);

        // The other pane's keys work on the shorter text.
        const int keys[] = {Qt::Key_Right,  Qt::Key_Left,     Qt::Key_Up,     Qt::Key_Down,
                            Qt::Key_End,    Qt::Key_PageDown, Qt::Key_PageUp, Qt::Key_Backspace,
                            Qt::Key_Delete, Qt::Key_Return,   Qt::Key_Home,   Qt::Key_Q};
        for (const int key : keys) {
            QTest::keyClick(second.get(), Qt::Key(key));
            QVERIFY2(Within(*second, second->CaretPos()), qPrintable(QString::number(key)));
            QVERIFY(Within(*first, first->CaretPos()));
            second->viewport()->repaint();
            first->viewport()->repaint();
        }
        QCOMPARE(second->GetTotalSize().height(), doc->GetStore()->LineCount() * lh);
        QCOMPARE(first->GetTotalSize().height(), doc->GetStore()->LineCount() * lh);
    }

    // Bringing the positions within the text leaves the store's walk at the caret, so the
    // key's edit there does not walk from an end of a large text.
    void keepingPositionsLeavesTheWalkAtTheCaret() {
        auto doc = Document(Lines(3000));
        auto view = Show(doc.get());
        view->SetCaretPosition({1500, 4});
        const TextStore::LineCursor before = doc->GetStore()->WalkCursor();
        QCOMPARE(before.index, 1500);
        view->KeepPositionsInText();
        QCOMPARE(doc->GetStore()->WalkCursor().index, before.index);
        QCOMPARE(doc->GetStore()->WalkCursor().line, before.line);
        QCOMPARE(view->CaretPos(), (TextPos{1500, 4}));
    }

    // --- Each edit repaints what it changed, at once, and the other pane whole.
    void keysRepaintWhatTheyChange() {
        auto doc = Document("alpha beta\r\nsecond\r\nthird\r\n");
        auto view = Show<RecordingView>(doc.get());
        auto other = Show<RecordingView>(doc.get(), {400, 150}, view.get());
        const int lh = view->LineHeight();
        const int width = view->viewport()->width();
        view->SetCaretPosition({0, 5});
        QTest::qWait(20);
        view->painted = QRegion();
        other->painted = QRegion();

        QTest::keyClick(view.get(), Qt::Key_X);
        const int x = CKelvoView::kLeftMargin + view->Extent(doc->GetStore()->FirstLine(), 5);
        QVERIFY(view->painted.contains(QRect(x, 0, width - x, lh)));
        QVERIFY(!view->painted.intersects(QRect(0, lh, width, 2 * lh)));
        QVERIFY(!view->painted.intersects(QRect(0, 0, x - 3, lh)));
        QVERIFY(other->painted.contains(other->viewport()->rect()));

        view->painted = QRegion();
        QTest::keyClick(view.get(), Qt::Key_Return);
        QVERIFY(view->painted.contains(QRect(0, 0, width, view->viewport()->height())));

        // Delete at the end of the last line changes nothing: only that line's tail.
        view->SetCaretPosition({3, 5});
        QTest::qWait(20);
        view->painted = QRegion();
        QTest::keyClick(view.get(), Qt::Key_Delete);
        const int tail = CKelvoView::kLeftMargin + view->Extent(doc->GetStore()->LineAt(3), 5);
        QVERIFY(view->painted.contains(QRect(tail, 3 * lh, width - tail, lh)));
        QVERIFY(!view->painted.intersects(QRect(0, 0, width, 3 * lh)));

        // Growing a selection repaints only the part that changed.
        view->SetCaretPosition({1, 0});
        QTest::qWait(20);
        view->painted = QRegion();
        QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
        QTest::keyClick(view.get(), Qt::Key_Right, Qt::ShiftModifier);
        const LineRecord* line = doc->GetStore()->LineAt(1);
        QVERIFY(
            view->painted.contains(QRect(CKelvoView::kLeftMargin, lh, view->Extent(line, 2), lh)));
        QVERIFY(!view->painted.intersects(
            QRect(CKelvoView::kLeftMargin + view->Extent(line, 2) + 3, 0, width, 4 * lh)));
    }
};

QTEST_MAIN(ViewKeysTest)
#include "tst_viewkeys.moc"
