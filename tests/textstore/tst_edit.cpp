#include "StoreTestKit.h"

namespace {

// 400 lines of 8 characters: line1000 to line1399.
std::string NumberedLines() {
    std::string file;
    for (int i = 0; i < 400; ++i)
        file += "line" + std::to_string(1000 + i) + "\r\n";
    return file;
}

} // namespace

class EditTest : public QObject {
    Q_OBJECT
private slots:
    void typingMakesOneRun() {
        StoreFixture f;
        QCOMPARE(f.Type({0, 0}, "abc"), (TextPos{0, 3}));
        const UndoRecord* top = f->Journal().undoList;
        QCOMPARE(top->kind, kUndoInsertChar);
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
        const UndoRecord* top = f->Journal().undoList;
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
        const UndoRecord* top = f->Journal().undoList;
        QCOMPARE(top->kind, kUndoDeleteAt);
        QCOMPARE(top->count, 2);
        QCOMPARE(top->next, nullptr);
    }

    void deleteAtTheLineEndJoins() {
        StoreFixture f("ab\r\ncd\r\n");
        QCOMPARE(f->Edit({0, 2}, kDeleteAt, ""), (TextPos{0, 2}));
        QCOMPARE(Lines(*f), (Strings{"abcd"}));
        QCOMPARE(f->Journal().undoList->buffer[0], '\r');
    }

    void overtypeReplacesAndAppends() {
        StoreFixture f("ab\r\n");
        TextPos at = f.Type({0, 1}, "XYZ", kOvertypeChar);
        QCOMPARE(at, (TextPos{0, 4}));
        QCOMPARE(Lines(*f), (Strings{"aXYZ"}));
        const UndoRecord* top = f->Journal().undoList;
        QCOMPARE(top->kind, kUndoOvertypeChar);
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
        const UndoRecord* top = f->Journal().undoList;
        QCOMPARE(top->kind, kUndoDeleteBlock);
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
        const UndoRecord* top = f->Journal().undoList;
        QCOMPARE(top->kind, kUndoInsertText);
        QCOMPARE((TextPos{top->line, top->column}), at);
        QCOMPARE((TextPos{top->endLine, top->endColumn}), result);
        CheckInvariants(*f);
        f->Undo();
        QCOMPARE(Lines(*f), (Strings{"abcd"}));
    }

    // Pasting links its lines one after another in the middle of the file; the store must
    // still know where it is afterwards, or every later LineAt walks from an end of the file.
    void pasteKeepsLineCursor_data() {
        QTest::addColumn<std::string>("text");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("breaks");
        const std::string four = "R1 a b 1k\r\nC2 b 0 1n\r\nV3 a 0 5\r\nR4 b c 2k";
        QTest::newRow("one line") << std::string("R1 a b 1k") << 4 << 0;
        QTest::newRow("two lines") << std::string("R1 a b 1k\r\nC2") << 4 << 1;
        QTest::newRow("three lines") << std::string("R1\r\nC2\r\nV3") << 4 << 2;
        QTest::newRow("four lines") << four << 4 << 3;
        QTest::newRow("four lines at column 0") << four << 0 << 3;
        QTest::newRow("four lines at the line end") << four << 8 << 3;
        QTest::newRow("four lines ended by CR") << std::string("a\rb\rc\rd") << 1 << 3;
        QTest::newRow("four lines ended by LF") << std::string("a\nb\nc\nd") << 1 << 3;
        QTest::newRow("ending in a break") << std::string("a\r\nb\r\nc\r\n") << 2 << 3;
        QTest::newRow("empty lines") << std::string("\n\n\n\n\n\n") << 3 << 6;
        QTest::newRow("forty lines") << [] {
            std::string text;
            for (int i = 0; i < 40; ++i)
                text += "x" + std::to_string(i) + "\r\n";
            return text + "end";
        }() << 5 << 40;
    }

    void pasteKeepsLineCursor() {
        QFETCH(std::string, text);
        QFETCH(int, column);
        QFETCH(int, breaks);
        StoreFixture f(NumberedLines());
        const Strings before = Lines(*f);
        const TextPos at{200, column};

        const TextPos pasted = f.Insert(at, text);
        QCOMPARE(pasted.line, at.line + breaks);
        CheckLineCursorAt(*f, pasted);
        QCOMPARE(f->LineCount(), 400 + breaks);
        QCOMPARE(f->IndexOf(f->LineAt(pasted.line)), pasted.line);

        QVERIFY(f->Undo()->done);
        QCOMPARE(Lines(*f), before);
        CheckLineCursorAt(*f, at);
        QCOMPARE(f->Redo()->newPos, pasted);
        CheckLineCursorAt(*f, pasted);
        CheckInvariants(*f);
    }

    // Every edit that links or unlinks lines leaves the line cursor at the caret.
    void lineEditsKeepLineCursor_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<TextPos>("at");
        QTest::addColumn<TextPos>("to");
        QTest::addColumn<TextPos>("result");
        QTest::newRow("Enter") << int(kInsertChar) << TextPos{200, 3} << TextPos{}
                               << TextPos{201, 0};
        QTest::newRow("Enter at the start")
            << int(kInsertChar) << TextPos{200, 0} << TextPos{} << TextPos{201, 0};
        QTest::newRow("Backspace joining")
            << int(kDeleteBefore) << TextPos{200, 0} << TextPos{} << TextPos{199, 8};
        QTest::newRow("Delete joining")
            << int(kDeleteAt) << TextPos{200, 8} << TextPos{} << TextPos{200, 8};
        QTest::newRow("block over lines")
            << int(kDeleteBlock) << TextPos{260, 2} << TextPos{200, 5} << TextPos{200, 5};
        QTest::newRow("block to the last line")
            << int(kDeleteBlock) << TextPos{200, 1} << TextPos{399, 3} << TextPos{200, 1};
        QTest::newRow("Backspace joining the last line")
            << int(kDeleteBefore) << TextPos{399, 0} << TextPos{} << TextPos{398, 8};
    }

    void lineEditsKeepLineCursor() {
        QFETCH(int, kind);
        QFETCH(TextPos, at);
        QFETCH(TextPos, to);
        QFETCH(TextPos, result);
        StoreFixture f(NumberedLines());
        const Strings before = Lines(*f);
        const char enter = '\r';
        QCOMPARE(f->Edit(at, EditKind(kind), kind == kInsertChar ? &enter : "", to), result);
        CheckLineCursorAt(*f, result);
        const std::optional<UndoStep> undone = f->Undo();
        QVERIFY(undone && undone->done);
        QCOMPARE(Lines(*f), before);
        CheckLineCursorAt(*f, undone->newPos);
        const std::optional<UndoStep> redone = f->Redo();
        QVERIFY(redone && redone->done);
        CheckLineCursorAt(*f, redone->newPos);
        CheckInvariants(*f);
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

    // A message box shown while an edit asks the document runs an event loop; a key it
    // delivers must not start a second edit inside the first.
    void editStartedInsideAnEditIsRefused_data() {
        QTest::addColumn<QString>("inner");
        QTest::newRow("typing") << "typing";
        QTest::newRow("paste") << "paste";
        QTest::newRow("block delete") << "block delete";
        QTest::newRow("undo") << "undo";
    }

    void editStartedInsideAnEditIsRefused() {
        QFETCH(QString, inner);
        StoreFixture f("abc\r\ndef\r\n");
        f.Type({1, 3}, "g"); // something for an inner Undo to take back
        const int allowCallsBefore = f.doc.allowCalls;
        bool innerDone = true;
        TextPos innerPos;
        bool armed = true; // once: an inner edit that got through would ask again
        f.doc.duringAllowEdit = [&] {
            if (!armed)
                return;
            armed = false;
            const char x = 'x';
            if (inner == "typing") {
                innerPos = f->Edit({0, 2}, kInsertChar, &x);
                innerDone = innerPos != TextPos{0, 2};
            } else if (inner == "paste") {
                innerPos = f->Edit({0, 0}, kInsertText, "pasted\r");
                innerDone = innerPos != TextPos{0, 0};
            } else if (inner == "block delete") {
                innerPos = f->Edit({1, 1}, kDeleteBlock, "", {0, 1});
                innerDone = innerPos != TextPos{1, 1};
            } else {
                innerDone = f->Undo()->done;
            }
        };
        QCOMPARE(f->Edit({0, 1}, kInsertText, "12\r3"), (TextPos{1, 1}));
        QVERIFY(!innerDone);
        QCOMPARE(f.doc.allowCalls, allowCallsBefore + 1); // the inner edit asked nothing
        QCOMPARE(f.doc.beeps, 0);
        QCOMPARE(Lines(*f), (Strings{"a12", "3bc", "defg"}));
        QVERIFY(f.doc.modified);
        CheckInvariants(*f);

        f.doc.duringAllowEdit = nullptr;
        QVERIFY(f->Undo()->done);
        QCOMPARE(Lines(*f), (Strings{"abc", "defg"}));
        QVERIFY(f->Undo()->done);
        QCOMPARE(Lines(*f), (Strings{"abc", "def"}));
        QVERIFY(!f->CanUndo());
        QVERIFY(f->Redo()->done);
        QVERIFY(f->Redo()->done);
        QCOMPARE(Lines(*f), (Strings{"a12", "3bc", "defg"}));
        CheckInvariants(*f);
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
        QCOMPARE(f->Edit({0, 1}, EditKind(0), ""), (TextPos{0, 1}));
        QCOMPARE(f->Edit({0, 1}, EditKind(19), ""), (TextPos{0, 1}));
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
