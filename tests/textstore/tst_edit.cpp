#include "StoreTestKit.h"

class EditTest : public QObject {
    Q_OBJECT
private slots:
    void typingMakesOneRun() {
        StoreFixture f;
        QCOMPARE(f.Type({0, 0}, "abc"), (TextPos{0, 3}));
        const UndoRecord* top = f->journal.undoList;
        QCOMPARE(top->kind, int(kUndoInsertChar));
        QCOMPARE(top->count, 3);
        QCOMPARE((TextPos{top->line, top->column}), (TextPos{0, 3}));
        QCOMPARE(top->next, nullptr);
        QVERIFY(f.doc.modified);
    }

    void enterStartsARunThatTheNextLineJoins() {
        StoreFixture f;
        TextPos at = f.Type({0, 0}, "a");
        at = f.Type(at, "\r");
        QCOMPARE(at, (TextPos{1, 0}));
        at = f.Type(at, "b");
        QCOMPARE(Lines(*f), (Strings{"a", "b"}));
        const UndoRecord* top = f->journal.undoList;
        QCOMPARE(top->count, 2);
        QCOMPARE((TextPos{top->line, top->column}), (TextPos{1, 1}));
        QCOMPARE(top->next->count, 1);
        CheckInvariants(*f);
    }

    void invalidCharactersBeep() {
        StoreFixture f("ab\r\n");
        for (char c : {'\x01', '\x1b', '\x80', '\xe9', '\0', '\n'}) {
            QCOMPARE(f->Edit({0, 1}, kInsertChar, &c), (TextPos{0, 1}));
        }
        for (char c : {'\t', '\r', '\x1f', '\xff'})
            QCOMPARE(f->Edit({0, 1}, kOvertypeChar, &c), (TextPos{0, 1}));
        QCOMPARE(f.doc.beeps, 10);
        QCOMPARE(Lines(*f), (Strings{"ab"}));
        QVERIFY(!f->CanUndo());
        const char tab = '\t';
        QCOMPARE(f->Edit({0, 1}, kInsertChar, &tab), (TextPos{0, 2}));
        QCOMPARE(Lines(*f), (Strings{"a\tb"}));
    }

    void backspaceJoinsAndBeepsAtTheStart() {
        StoreFixture f("l0\r\nl1\r\nline2\r\nxyz\r\n");
        QCOMPARE(f->Edit({0, 0}, kDeleteBefore, ""), (TextPos{0, 0}));
        QCOMPARE(f.doc.beeps, 1);
        QVERIFY(!f->CanUndo());
        QCOMPARE(f->Edit({3, 0}, kDeleteBefore, ""), (TextPos{2, 5}));
        QCOMPARE(Lines(*f), (Strings{"l0", "l1", "line2xyz"}));
        QCOMPARE(f->Edit({2, 8}, kDeleteBefore, ""), (TextPos{2, 7}));
        QCOMPARE(Lines(*f), (Strings{"l0", "l1", "line2xy"}));
        CheckInvariants(*f);
    }

    void deleteAtTheEndOfTheTextBeepsAndKeepsTheRun() {
        StoreFixture f("abc\r\n");
        f->Edit({0, 1}, kDeleteAt, "");
        f->Edit({0, 1}, kDeleteAt, "");
        QCOMPARE(Lines(*f), (Strings{"a"}));
        QCOMPARE(f->Edit({0, 1}, kDeleteAt, ""), (TextPos{0, 1}));
        QCOMPARE(f.doc.beeps, 1);
        const UndoRecord* top = f->journal.undoList;
        QCOMPARE(top->kind, int(kUndoDeleteAt));
        QCOMPARE(top->count, 2);
        QCOMPARE(top->next, nullptr);
    }

    void deleteAtTheLineEndJoins() {
        StoreFixture f("ab\r\ncd\r\n");
        QCOMPARE(f->Edit({0, 2}, kDeleteAt, ""), (TextPos{0, 2}));
        QCOMPARE(Lines(*f), (Strings{"abcd"}));
        QCOMPARE(f->journal.undoList->buffer[0], '\r');
    }

    void overtypeReplacesAndAppends() {
        StoreFixture f("ab\r\n");
        TextPos at = f.Type({0, 1}, "XYZ", kOvertypeChar);
        QCOMPARE(at, (TextPos{0, 4}));
        QCOMPARE(Lines(*f), (Strings{"aXYZ"}));
        const UndoRecord* top = f->journal.undoList;
        QCOMPARE(top->kind, int(kUndoOvertypeChar));
        QCOMPARE(top->count, 3);
        QCOMPARE(std::string(top->buffer, 3), std::string("b\0\0", 3));
        CheckInvariants(*f);
    }

    void deleteBlockEitherWay_data() {
        QTest::addColumn<TextPos>("a");
        QTest::addColumn<TextPos>("b");
        QTest::addColumn<Strings>("lines");
        QTest::addColumn<std::string>("saved");
        QTest::newRow("in a line")
            << TextPos{1, 1} << TextPos{1, 3} << Strings{"abc", "dg", "hij"} << std::string("ef");
        QTest::newRow("swapped") << TextPos{2, 1} << TextPos{0, 2} << Strings{"abij"}
                                 << std::string("c\rdefg\rh");
        QTest::newRow("whole lines")
            << TextPos{0, 0} << TextPos{2, 0} << Strings{"hij"} << std::string("abc\rdefg\r");
        QTest::newRow("empty") << TextPos{1, 2} << TextPos{1, 2} << Strings{"abc", "defg", "hij"}
                               << std::string();
    }

    void deleteBlockEitherWay() {
        QFETCH(TextPos, a);
        QFETCH(TextPos, b);
        QFETCH(Strings, lines);
        QFETCH(std::string, saved);
        StoreFixture f("abc\r\ndefg\r\nhij\r\n");
        QCOMPARE(f->Edit(a, kDeleteBlock, "", b), std::min(a, b));
        QCOMPARE(Lines(*f), lines);
        const UndoRecord* top = f->journal.undoList;
        QCOMPARE(top->kind, int(kUndoDeleteBlock));
        QCOMPARE(std::string(top->buffer), saved);
        QCOMPARE(top->bufferSize, int(saved.size()) + 1);
        QCOMPARE(f.doc.waitDepth, 0);
        CheckInvariants(*f);
    }

    // A line ended by a NUL in its file must come back whole after Undo.
    void deleteBlockOverNulEndedLinesUndoesWhole() {
        StoreFixture f(std::string("ab\0cd\0ef", 8));
        f->Edit({0, 1}, kDeleteBlock, "", {2, 1});
        QCOMPARE(Lines(*f), (Strings{"af"}));
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"ab", "cd", "ef"}));
    }

    void insertText_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<TextPos>("at");
        QTest::addColumn<Strings>("lines");
        QTest::addColumn<TextPos>("result");
        QTest::newRow("CR LF") << std::string("x\r\ny") << TextPos{0, 2} << Strings{"abx", "ycd"}
                               << TextPos{1, 1};
        QTest::newRow("CR") << std::string("x\ry") << TextPos{0, 2} << Strings{"abx", "ycd"}
                            << TextPos{1, 1};
        QTest::newRow("LF") << std::string("x\ny") << TextPos{0, 2} << Strings{"abx", "ycd"}
                            << TextPos{1, 1};
        QTest::newRow("whole lines above") << std::string("p\r\nq\n") << TextPos{0, 0}
                                           << Strings{"p", "q", "abcd"} << TextPos{2, 0};
        QTest::newRow("lines inside") << std::string("1\r2\r3") << TextPos{0, 1}
                                      << Strings{"a1", "2", "3bcd"} << TextPos{2, 1};
        QTest::newRow("at the end")
            << std::string("\r\n") << TextPos{0, 4} << Strings{"abcd", ""} << TextPos{1, 0};
        QTest::newRow("empty") << std::string() << TextPos{0, 3} << Strings{"abcd"}
                               << TextPos{0, 3};
        QTest::newRow("LF CR") << std::string("x\n\ry") << TextPos{0, 2}
                               << Strings{"abx", "", "ycd"} << TextPos{2, 1};
    }

    void insertText() {
        QFETCH(std::string, text);
        QFETCH(TextPos, at);
        QFETCH(Strings, lines);
        QFETCH(TextPos, result);
        StoreFixture f("abcd\r\n");
        QCOMPARE(f.Insert(at, text), result);
        QCOMPARE(Lines(*f), lines);
        const UndoRecord* top = f->journal.undoList;
        QCOMPARE(top->kind, int(kUndoInsertText));
        QCOMPARE((TextPos{top->line, top->column}), at);
        QCOMPARE((TextPos{top->endLine, top->endColumn}), result);
        CheckInvariants(*f);
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"abcd"}));
    }

    void anyUserEditEmptiesRedoEvenWhenItBeeps() {
        StoreFixture f;
        f.Type({0, 0}, "ab");
        f->Undo();
        QVERIFY(f->CanRedo());
        QCOMPARE(f->Edit({0, 0}, kDeleteBefore, ""), (TextPos{0, 0}));
        QCOMPARE(f.doc.beeps, 1);
        QVERIFY(!f->CanRedo());
    }

    void refusedEditChangesNothing() {
        StoreFixture f("abc\r\n");
        f.doc.refuse = true;
        f.Type({0, 0}, "x");
        f->Edit({0, 0}, kDeleteBlock, "", {0, 3});
        QCOMPARE(Lines(*f), (Strings{"abc"}));
        QVERIFY(!f->CanUndo());
        QVERIFY(!f.doc.modified);
        QVERIFY(f.doc.modifiedCalls >= 2);
    }

    // A second pane can hold positions that another pane's edit made stale.
    void stalePositionsAreBroughtWithinTheText() {
        StoreFixture f("abc\r\nde\r\n");
        const char x = 'x';
        QCOMPARE(f->Edit({9, 9}, kInsertChar, &x), (TextPos{1, 3}));
        QCOMPARE(f->Edit({0, 50}, kOvertypeChar, &x), (TextPos{0, 4}));
        QCOMPARE(f->Edit({-3, -3}, kDeleteAt, ""), (TextPos{0, 0}));
        QCOMPARE(f->Edit({1, 99}, kDeleteBlock, "", {0, 99}), (TextPos{0, 3}));
        QCOMPARE(Lines(*f), (Strings{"bcx"}));
        CheckInvariants(*f);
        while (f->CanUndo())
            QVERIFY(f->Undo()->done);
        QCOMPARE(Lines(*f), (Strings{"abc", "de"}));
    }

    void unknownKindChangesNothing() {
        StoreFixture f("abc\r\n");
        QCOMPARE(f->Edit({0, 1}, 0, ""), (TextPos{0, 1}));
        QCOMPARE(f->Edit({0, 1}, 19, ""), (TextPos{0, 1}));
        QCOMPARE(Lines(*f), (Strings{"abc"}));
    }

    // Typing into lines read from a file: they grow in place until they must move.
    void editsOfBorrowedLinesLeaveNeighboursAlone() {
        StoreFixture f("one\r\ntwo\r\nthree\r\n");
        TextPos at = f.Type({0, 3}, "!!!!!");
        QCOMPARE(at, (TextPos{0, 8}));
        at = f.Type({1, 0}, "<<");
        f->Edit({2, 5}, kDeleteAt, "");
        f.Type({2, 2}, "\r");
        QCOMPARE(Lines(*f), (Strings{"one!!!!!", "<<two", "th", "ree"}));
        f->Edit({1, 0}, kDeleteBefore, "");
        QCOMPARE(Lines(*f), (Strings{"one!!!!!<<two", "th", "ree"}));
        CheckInvariants(*f);
    }
};

QTEST_APPLESS_MAIN(EditTest)
#include "tst_edit.moc"
