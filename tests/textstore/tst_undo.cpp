#include "StoreTestKit.h"

class UndoTest : public QObject {
    Q_OBJECT
private slots:
    void typedRunUndoesOneCharacterAStep() {
        StoreFixture f;
        f.Type({0, 0}, "abc");
        QCOMPARE(f->Undo()->newPos, (TextPos{0, 2}));
        QCOMPARE(Lines(*f), (Strings{"ab"}));
        f->Undo();
        const UndoStep last = *f->Undo();
        QCOMPARE(last.kind, kUndoInsertChar);
        QCOMPARE(last.recordPos, (TextPos{0, 1}));
        QCOMPARE(last.newPos, (TextPos{0, 0}));
        QVERIFY(last.done);
        QCOMPARE(Lines(*f), (Strings{""}));
        QVERIFY(!f.doc.modified);
        const UndoRecord* redo = f->Journal().redoList;
        QCOMPARE(redo->kind, kRedoInsertChar);
        QCOMPARE(redo->count, 3);
        QCOMPARE(redo->next, nullptr);
        QCOMPARE(f->Redo()->newPos, (TextPos{0, 1}));
        QCOMPARE(Lines(*f), (Strings{"a"}));
        f->Redo();
        f->Redo();
        QCOMPARE(Lines(*f), (Strings{"abc"}));
        QVERIFY(!f->CanRedo());
        QCOMPARE(f->Journal().undoList->count, 3);
    }

    void enterUndoesWithTheCharacterAfterIt() {
        StoreFixture f;
        f.Type({0, 0}, "a\rb");
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"a", ""}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"a"}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{""}));
        while (f->CanRedo())
            f->Redo();
        QCOMPARE(Lines(*f), (Strings{"a", "b"}));
    }

    void backspaceRunComesBackLeftmostFirst() {
        StoreFixture f("xyz\r\n");
        TextPos at{0, 3};
        for (int i = 0; i < 3; ++i)
            at = f->Edit(at, kDeleteBefore, "");
        QCOMPARE(f->Journal().undoList->count, 3);
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"x"}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"xy"}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"xyz"}));
        QVERIFY(!f.doc.modified);
    }

    void deleteRunComesBackInPlace() {
        StoreFixture f("abc\r\n");
        for (int i = 0; i < 3; ++i)
            f->Edit({0, 0}, kDeleteAt, "");
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"c"}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"bc"}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"abc"}));
        // One redo record a step, folding back into one run on the undo list.
        f->Redo();
        f->Redo();
        QCOMPARE(Lines(*f), (Strings{"c"}));
        QCOMPARE(f->Journal().undoList->count, 2);
    }

    void savedBytesOfEveryKindComeBack() {
        StoreFixture f("\t\xe9z\r\nq\r\n");
        f->Edit({0, 2}, kDeleteBefore, "");
        f->Edit({0, 1}, kDeleteBefore, "");
        QCOMPARE(Lines(*f), (Strings{"z", "q"}));
        f->Undo();
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"\t\xe9z", "q"}));
        const char x = 'x';
        f->Edit({0, 0}, kOvertypeChar, &x);
        QCOMPARE(Lines(*f), (Strings{"x\xe9z", "q"}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"\t\xe9z", "q"}));
        f->Edit({0, 3}, kDeleteAt, "");
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"\t\xe9z", "q"}));
    }

    void overtypeAtTheEndUndoesByRemoving() {
        StoreFixture f("ab\r\n");
        f.Type({0, 1}, "XYZ", kOvertypeChar);
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"aXY"}));
        f->Undo();
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"ab"}));
        f->Redo();
        f->Redo();
        f->Redo();
        QCOMPARE(Lines(*f), (Strings{"aXYZ"}));
    }

    void pasteUndoesAndRedoesWhole() {
        StoreFixture f("abcd\r\n");
        f.Insert({0, 2}, "one\r\ntwo");
        const UndoStep undo = *f->Undo();
        QCOMPARE(undo.newPos, (TextPos{0, 2}));
        QCOMPARE(Lines(*f), (Strings{"abcd"}));
        QCOMPARE(f->Redo()->newPos, (TextPos{1, 3}));
        QCOMPARE(Lines(*f), (Strings{"abone", "twocd"}));
        f->Undo();
        f->Edit({0, 1}, kDeleteBlock, "", {0, 3});
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"abcd"}));
    }

    void emptyListsChangeNothing() {
        StoreFixture f("abc\r\n");
        QVERIFY(!f->Undo().has_value());
        QVERIFY(!f->Redo().has_value());
        QCOMPARE(f.doc.modifiedCalls, 0);
    }

    void historyIsClearedBySave() {
        StoreFixture f("abc\r\n");
        f.Type({0, 3}, "d");
        f->ClearHistory();
        QVERIFY(!f->Undo().has_value());
        QCOMPARE(Lines(*f), (Strings{"abcd"}));
        f.Type({0, 4}, "e");
        QVERIFY(f.doc.modified);
    }

    // A refused replay must leave the record where it was, or every older record would
    // act at positions that no longer fit the text.
    void refusedReplayKeepsItsRecord() {
        StoreFixture f("abc\r\n");
        f.Type({0, 3}, "de");
        f.doc.refuse = true;
        const UndoStep refused = *f->Undo();
        QVERIFY(!refused.done);
        QCOMPARE(refused.newPos, (TextPos{0, 5}));
        QCOMPARE(f->Journal().undoList->count, 2);
        QCOMPARE(f->Journal().redoList, nullptr);
        QVERIFY(f.doc.modified);
        f.doc.refuse = false;
        f->Undo();
        f.doc.refuse = true;
        QVERIFY(!f->Redo()->done);
        QCOMPARE(f->Journal().redoList->count, 1);
        f.doc.refuse = false;
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"abc"}));
        QVERIFY(!f.doc.modified);
        f->Redo();
        f->Redo();
        QCOMPARE(Lines(*f), (Strings{"abcde"}));
    }

    void longHistoriesAreFreedWithoutRecursion() {
        StoreFixture f;
        TextPos at{0, 0};
        for (int i = 0; i < 200000; ++i) {
            at = f->Edit(at, kInsertChar, "x");
            at = f->Edit(at, kDeleteBefore, ""); // alternating kinds: one record each
        }
        f->ClearHistory();
        QVERIFY(!f->CanUndo());
    }
};

QTEST_APPLESS_MAIN(UndoTest)
#include "tst_undo.moc"
