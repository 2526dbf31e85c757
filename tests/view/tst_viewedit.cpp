// The view's Edit menu: Select All, Copy, Cut, Paste, Undo and Redo, their enabling, what
// they repaint, and what they do in a document that refuses changes.

#include <functional>

#include <QClipboard>
#include <QGuiApplication>

#include "CommandIds.h"
#include "ViewFixture.h"
#include "Windows1252.h"

namespace {

void SetClipboard(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

QString Clipboard() {
    return QGuiApplication::clipboard()->text();
}

} // namespace

using Range = std::pair<TextPos, TextPos>;
// An edit made on the store; returns the caret it leaves.
using EditStep = std::function<TextPos(TextStore&)>;
Q_DECLARE_METATYPE(EditStep)

class ViewEditTest : public QObject, ViewFixture {
    Q_OBJECT

    static constexpr int m = CKelvoView::kLeftMargin;

private slots:
    void init() { platform.beeps = 0; }

    void selectAllStopsAtTheStartOfAnEmptyLastLine_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TextPos>("end");
        QTest::addColumn<bool>("selected");
        QTest::newRow("text on the last line")
            << QByteArray("ab\r\ncd\r\n") << TextPos{1, 2} << true;
        QTest::newRow("an empty last line")
            << QByteArray("ab\r\ncd\r\n\r\n") << TextPos{2, 0} << true;
        QTest::newRow("one empty line") << QByteArray("\r\n") << TextPos{0, 0} << false;
    }
    void selectAllStopsAtTheStartOfAnEmptyLastLine() {
        QFETCH(QByteArray, text);
        QFETCH(TextPos, end);
        QFETCH(bool, selected);
        auto doc = Document(text);
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 0});
        view->ExtendSelection(doc->GetStore()->Clamp({0, 1}));
        QVERIFY(view->OnCommand(ID_EDIT_SELECT_ALL));
        QCOMPARE(view->HasSelection(), selected);
        QCOMPARE(view->CaretPos(), (TextPos{0, 0}));
        QCOMPARE(view->SelEnd(), end);
    }

    void selectAllScrollsToNeitherEnd() {
        auto doc = Document(Numbered(300));
        auto view = Show(doc.get());
        view->SetCaretPosition({150, 2});
        const QPoint scrolled = view->GetScrollPosition();
        QVERIFY(scrolled.y() > 0);
        view->OnEditSelectAll();
        QCOMPARE(view->GetScrollPosition(), scrolled);
        QCOMPARE(Selection(*view), (Range{{0, 0}, {299, 8}}));
    }

    // Copy puts the selection on the clipboard as Windows-1252 text with CR LF between
    // lines; pasting it back gives the same bytes.
    void copyAndPasteRoundTrip() {
        const QByteArray text("R1 in out 10k\r\n\tC1 out 0 1u \x80\xe9\r\n\r\n.end\r\n");
        auto doc = Document(text);
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 3});
        view->ExtendSelection({3, 2});
        QVERIFY(view->OnCommand(ID_EDIT_COPY));
        QCOMPARE(Clipboard(),
                 QString::fromUtf8("in out 10k\r\n\tC1 out 0 1u \u20ac\u00e9\r\n\r\n.e"));
        QVERIFY(view->HasSelection()); // Copy keeps it
        // Shrunk to nothing, the selection is still in force and copies nothing: the
        // clipboard keeps what it held.
        view->ExtendSelection({0, 3});
        QVERIFY(view->HasSelection());
        view->OnEditCopy();
        QCOMPARE(Clipboard(),
                 QString::fromUtf8("in out 10k\r\n\tC1 out 0 1u \u20ac\u00e9\r\n\r\n.e"));

        auto empty = Document("\r\n");
        auto other = Show(empty.get());
        QVERIFY(other->OnCommand(ID_EDIT_PASTE));
        QCOMPARE(Bytes(*empty->GetStore()), text.mid(3, text.size() - 3 - 4) + "\r\n");
        QCOMPARE(other->CaretPos(), (TextPos{3, 2}));
        QCOMPARE(platform.beeps, 0);
    }

    // CR, LF and CR LF each break a pasted line.
    void pasteAcceptsEveryLineBreak_data() {
        QTest::addColumn<QString>("clip");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<TextPos>("caret");
        QTest::newRow("CR LF") << "1\r\n2\r\n3" << QByteArray("x1\r\n2\r\n3y\r\n") << TextPos{2, 1};
        QTest::newRow("CR only") << "1\r2\r3" << QByteArray("x1\r\n2\r\n3y\r\n") << TextPos{2, 1};
        QTest::newRow("LF only") << "1\n2\n3" << QByteArray("x1\r\n2\r\n3y\r\n") << TextPos{2, 1};
        QTest::newRow("LF CR is two")
            << "1\n\r2" << QByteArray("x1\r\n\r\n2y\r\n") << TextPos{2, 1};
        QTest::newRow("ending in a break") << "1\n" << QByteArray("x1\r\ny\r\n") << TextPos{1, 0};
        QTest::newRow("a NUL breaks, ends nothing")
            << QString("1") + QChar(0) + "2" << QByteArray("x1\r\n2y\r\n") << TextPos{1, 1};
    }
    void pasteAcceptsEveryLineBreak() {
        QFETCH(QString, clip);
        QFETCH(QByteArray, text);
        QFETCH(TextPos, caret);
        auto doc = Document("xy\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 1});
        SetClipboard(clip);
        view->OnEditPaste();
        QCOMPARE(Bytes(*doc->GetStore()), text);
        QCOMPARE(view->CaretPos(), caret);
        QCOMPARE(view->CaretPixel(), view->PosToPoint(caret));
    }

    // Text the table cannot hold pastes as '?', with one beep for the paste.
    void pasteOfForeignCharactersBeepsOnce() {
        auto doc = Document("<>\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 1});
        SetClipboard(QString::fromUtf8("\u4e2d\u6587 \u20ac \U0001F600"));
        view->OnEditPaste();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("<?? \x80 ?>\r\n"));
        QCOMPARE(platform.beeps, 1);
    }

    void pasteReplacesTheSelection() {
        auto doc = Document("alpha beta\r\ngamma delta\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({1, 5});
        view->ExtendSelection({0, 6});
        SetClipboard("X\r\nY");
        view->OnEditPaste();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("alpha X\r\nY delta\r\n"));
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{1, 1}));
        // Two steps back: the paste, then the deletion.
        view->OnEditUndo();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("alpha  delta\r\n"));
        view->OnEditUndo();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("alpha beta\r\ngamma delta\r\n"));

        // With nothing on the clipboard the selection still goes, and is repainted.
        auto recording = Show<RecordingView>(doc.get());
        recording->SetCaretPosition({0, 2});
        recording->ExtendSelection({0, 4});
        QGuiApplication::clipboard()->clear();
        recording->Settle();
        recording->OnEditPaste();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("ala beta\r\ngamma delta\r\n"));
        QTest::qWait(10);
        const int x = m + recording->Extent(doc->GetStore()->FirstLine(), 2);
        QVERIFY(recording->painted.contains(
            QRect(x, 0, recording->viewport()->width() - x, recording->LineHeight())));
    }

    void cutTakesTheSelectionToTheClipboard() {
        auto doc = Document("one\r\ntwo\r\nthree\r\n");
        auto view = Show<RecordingView>(doc.get());
        view->SetCaretPosition({2, 2});
        view->ExtendSelection({0, 1});
        view->Settle();
        const int height = view->GetTotalSize().height();
        QVERIFY(view->OnCommand(ID_EDIT_CUT));
        QCOMPARE(Clipboard(), QString("ne\r\ntwo\r\nth"));
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("oree\r\n"));
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 1}));
        // Lines went: everything from the cut's line down, and the scroll size.
        QTest::qWait(10);
        QCOMPARE(view->GetTotalSize().height(), height - 2 * view->LineHeight());
        QVERIFY(view->painted.contains(
            QRect(0, 0, view->viewport()->width(), view->viewport()->height())));
        view->OnEditUndo();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("one\r\ntwo\r\nthree\r\n"));
    }

    // Cut and Copy need a selection, Paste text on the clipboard, Undo and Redo their
    // history; Select All is always there.
    void commandsFollowTheirState() {
        auto doc = Document("abc\r\n");
        auto view = Show(doc.get());
        SetClipboard("clip");
        QVERIFY(!Enabled(*view, ID_EDIT_CUT));
        QVERIFY(!Enabled(*view, ID_EDIT_COPY));
        QVERIFY(Enabled(*view, ID_EDIT_PASTE));
        QVERIFY(Enabled(*view, ID_EDIT_SELECT_ALL));
        QVERIFY(!Enabled(*view, ID_EDIT_UNDO));
        QVERIFY(!Enabled(*view, ID_EDIT_REDO));

        view->ExtendSelection({0, 2});
        QVERIFY(Enabled(*view, ID_EDIT_CUT));
        QVERIFY(Enabled(*view, ID_EDIT_COPY));
        QGuiApplication::clipboard()->clear();
        QVERIFY(!Enabled(*view, ID_EDIT_PASTE));
        SetClipboard("");
        QVERIFY(!Enabled(*view, ID_EDIT_PASTE));

        view->OnEditCut();
        QVERIFY(Enabled(*view, ID_EDIT_UNDO));
        QVERIFY(!Enabled(*view, ID_EDIT_REDO));
        QVERIFY(Enabled(*view, ID_EDIT_PASTE));
        view->OnEditUndo();
        QVERIFY(!Enabled(*view, ID_EDIT_UNDO));
        QVERIFY(Enabled(*view, ID_EDIT_REDO));
        // Nothing to undo changes nothing.
        view->OnEditUndo();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("abc\r\n"));
    }

    // Undo and Redo of each kind of edit give the text back, put the caret where the edit
    // was, and repaint from there: the rest of the line, or everything below when the
    // line count changed. The other pane repaints whole.
    void undoAndRedoRepaintWhatChanged_data() {
        QTest::addColumn<EditStep>("edit");
        QTest::addColumn<TextPos>("from"); // where the undo's repaint starts
        QTest::addColumn<bool>("wholeRest");
        QTest::newRow("typed character") << EditStep([](TextStore& s) {
            return s.Edit({3, 5}, kInsertChar, "x");
        }) << TextPos{3, 5} << false;
        QTest::newRow("Enter") << EditStep([](TextStore& s) {
            return s.Edit({1, 2}, kInsertChar, "\r");
        }) << TextPos{1, 2} << true;
        QTest::newRow("Backspace") << EditStep([](TextStore& s) {
            return s.Edit({2, 4}, kDeleteBefore, "");
        }) << TextPos{2, 3} << false;
        QTest::newRow("Backspace joining lines") << EditStep([](TextStore& s) {
            return s.Edit({2, 0}, kDeleteBefore, "");
        }) << TextPos{1, 10} << true;
        QTest::newRow("overtyped character") << EditStep([](TextStore& s) {
            return s.Edit({0, 1}, kOvertypeChar, "Z");
        }) << TextPos{0, 1} << false;
        QTest::newRow("Delete") << EditStep([](TextStore& s) {
            return s.Edit({4, 0}, kDeleteAt, "");
        }) << TextPos{4, 0} << false;
        QTest::newRow("block in a line") << EditStep([](TextStore& s) {
            return s.Edit({3, 1}, kDeleteBlock, "", {3, 4});
        }) << TextPos{3, 1} << false;
        QTest::newRow("block over lines") << EditStep([](TextStore& s) {
            return s.Edit({1, 3}, kDeleteBlock, "", {3, 2});
        }) << TextPos{1, 3} << true;
        QTest::newRow("pasted lines") << EditStep([](TextStore& s) {
            return s.Edit({2, 2}, kInsertText, "p\rq");
        }) << TextPos{2, 2} << true;
    }
    void undoAndRedoRepaintWhatChanged() {
        QFETCH(EditStep, edit);
        QFETCH(TextPos, from);
        QFETCH(bool, wholeRest);
        const QByteArray text = "line 0 zero\r\nline 1 one\r\nline 2 two\r\nline 3 three\r\n"
                                "line 4 four\r\nline 5 five\r\n";
        auto doc = Document(text);
        auto view = Show<RecordingView>(doc.get(), {400, 200});
        auto sibling = Show<RecordingView>(doc.get(), {400, 150}, view.get());
        view->SetCaretPosition(edit(*doc->GetStore()));
        const QByteArray edited = Bytes(*doc->GetStore());
        view->viewport()->update();
        const int lh = view->LineHeight();
        const int width = view->viewport()->width();
        const int height = view->viewport()->height();

        for (const bool undo : {true, false}) {
            view->Settle();
            sibling->Settle();
            const int totalBefore = view->GetTotalSize().height();
            QVERIFY(view->OnCommand(undo ? ID_EDIT_UNDO : ID_EDIT_REDO));
            QCOMPARE(Bytes(*doc->GetStore()), undo ? text : edited);
            QTest::qWait(10);
            const LineRecord* line = doc->GetStore()->LineAt(from.line);
            const int x = m + view->Extent(line, from.column);
            const int top = from.line * lh;
            if (wholeRest) {
                QVERIFY(view->painted.contains(QRect(0, top, width, height - top)));
                QVERIFY(view->GetTotalSize().height() != totalBefore);
            } else {
                QVERIFY(view->painted.contains(QRect(x, top, width - x, lh)));
                QVERIFY(!view->painted.intersects(QRect(0, top + lh + 1, width, height)));
            }
            QVERIFY(!view->painted.intersects(QRect(0, 0, width, top)));
            if (!wholeRest)
                QVERIFY(!view->painted.intersects(QRect(0, top, x, lh)));
            QVERIFY(sibling->painted.contains(sibling->viewport()->rect()));
        }
        QCOMPARE(view->CaretPixel(), view->PosToPoint(view->CaretPos()));
    }

    // A document that refuses changes: Cut still copies, nothing changes, and the
    // selection ends all the same.
    void refusingDocumentChangesNothing() {
        const QByteArray text = "alpha beta\r\ngamma\r\n";
        auto doc = Document<RefusingDoc>(text);
        auto view = Show(doc.get());
        view->SetCaretPosition({0, 6});
        view->ExtendSelection({1, 2});
        view->OnEditCut();
        QCOMPARE(Bytes(*doc->GetStore()), text);
        QCOMPARE(Clipboard(), QString("beta\r\nga"));
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{0, 6}));
        QCOMPARE(doc->asked, 1);

        view->SetCaretPosition({1, 3});
        view->ExtendSelection({0, 1});
        SetClipboard("\u4e2d");
        view->OnEditPaste();
        QCOMPARE(Bytes(*doc->GetStore()), text);
        QVERIFY(!view->HasSelection());
        QCOMPARE(view->CaretPos(), (TextPos{1, 3}));
        QCOMPARE(doc->asked, 3); // the deletion, then the insertion
        // The lost character adds no beep to a paste that did not happen.
        QCOMPARE(platform.beeps, 0);
        QVERIFY(!doc->IsModified());
    }

    // The other pane shortened the text: this pane's stale selection is brought within it
    // before Copy, Cut, Paste, Select All and the mouse use it.
    void staleSiblingPositionsComeIntoTheText() {
        auto doc = Document(Numbered(40));
        auto first = Show(doc.get());
        auto second = Show(doc.get(), {400, 150}, first.get());
        first->SetCaretPosition({30, 2});
        first->ExtendSelection({35, 4});
        second->OnEditSelectAll();
        SetClipboard("kept");
        second->OnEditCut();
        QCOMPARE(doc->GetStore()->LineCount(), 1);
        // Both ends now lie at the one position there is: nothing to copy.
        first->OnEditCopy();
        QCOMPARE(Clipboard(), DecodeBytes(Numbered(40).chopped(2).toStdString()));
        SetClipboard("new");
        first->OnEditPaste();
        QCOMPARE(Bytes(*doc->GetStore()), QByteArray("new\r\n"));
        QCOMPARE(first->CaretPos(), (TextPos{0, 3}));
        Click(*first, {first->viewport()->width() / 2, first->viewport()->height() / 2});
        QCOMPARE(first->CaretPos(), (TextPos{0, 3}));
    }
};

QTEST_MAIN(ViewEditTest)
#include "tst_viewedit.moc"
