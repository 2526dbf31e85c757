#include <random>

#include "StoreTestKit.h"

class LineStoreTest : public QObject {
    Q_OBJECT
private slots:
    void lineAtClampsAndIndexOfFindsOnlyOwnLines() {
        StoreFixture f("a\r\nb\r\nc\r\n");
        QCOMPARE(f->lineCount, 3);
        QCOMPARE(f->LineAt(-1), nullptr);
        QCOMPARE(f->LineAt(0), f->firstLine);
        QCOMPARE(f->LineAt(3), f->lastLine);
        QCOMPARE(f->LineAt(1000), f->lastLine);
        QCOMPARE(f->IndexOf(f->LineAt(1)), 1);
        QCOMPARE(f->IndexOf(f->lastLine), 2);
        QCOMPARE(f->IndexOf(nullptr), -1);

        StoreFixture other("x\r\ny\r\nz\r\nw\r\n");
        QCOMPARE(f->IndexOf(other->LineAt(1)), -1);
        QCOMPARE(f->IndexOf(other->lastLine), -1);
        LineRecord* loose = f->NewLine();
        QCOMPARE(f->IndexOf(loose), -1);
        f->FreeLine(loose);
    }

    void newDocumentLineGetsBufferOnFirstCharacter() {
        StoreFixture f;
        QCOMPARE(f->lineCount, 1);
        QCOMPARE(f->firstLine->text, nullptr);
        QCOMPARE(int(f->firstLine->capacity), 0);
        f.Type({0, 0}, "x");
        QCOMPARE(int(f->firstLine->capacity), 20);
        QCOMPARE(f->firstLine->length, 1);
        for (int i = 1; i < 20; ++i)
            QCOMPARE(f->firstLine->text[i], '\0');
    }

    void insertAndUnlinkKeepEndsAndCount() {
        StoreFixture f("b\r\n");
        LineRecord* a = f->InsertLineAfter(f->NewLine(), nullptr);
        LineRecord* c = f->InsertLineAfter(f->NewLine(), f->lastLine);
        QCOMPARE(f->firstLine, a);
        QCOMPARE(f->lastLine, c);
        QCOMPARE(f->lineCount, 3);
        QCOMPARE(f->InsertLineAfter(nullptr, a), nullptr);
        QCOMPARE(f->lineCount, 3);
        f->FreeLine(f->UnlinkLine(a));
        f->FreeLine(f->UnlinkLine(c));
        QCOMPARE(f->lineCount, 1);
        QCOMPARE(f->firstLine, f->lastLine);
        QCOMPARE(f->firstLine->prev, nullptr);
        QCOMPARE(f->firstLine->next, nullptr);
        CheckInvariants(*f);
    }

    // The walk cursor must stay right whatever is linked or unlinked around it.
    void lineAtStaysRightUnderRandomLinking() {
        StoreFixture f;
        std::vector<LineRecord*> model{f->firstLine};
        std::mt19937 random(7);
        for (int step = 0; step < 20000; ++step) {
            const auto pick = [&](std::size_t n) {
                return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
            };
            const int what = int(pick(4));
            if (what == 0 || model.size() < 2) {
                const std::size_t after = pick(model.size() + 1); // 0: at the front
                LineRecord* line = f->NewLine();
                f->InsertLineAfter(line, after == 0 ? nullptr : model[after - 1]);
                model.insert(model.begin() + std::ptrdiff_t(after), line);
            } else if (what == 1) {
                const std::size_t at = pick(model.size());
                f->FreeLine(f->UnlinkLine(model[at]));
                model.erase(model.begin() + std::ptrdiff_t(at));
            } else {
                const std::size_t at = pick(model.size());
                QCOMPARE(f->LineAt(std::int32_t(at)), model[at]);
                QCOMPARE(f->IndexOf(model[at]), std::int32_t(at));
            }
            CheckLineCursor(*f);
        }
        CheckInvariants(*f);
    }

    void growingBorrowedLineHandsBytesToEarlierLine() {
        StoreFixture f("ab\r\ncd\r\nef\r\n");
        LineRecord* first = f->LineAt(0);
        LineRecord* second = f->LineAt(1);
        LineRecord* third = f->LineAt(2);
        QCOMPARE(int(first->capacity), 4);
        const char* fileBytes = f->fileBuffer;
        QVERIFY(f->GrowLine(second, 5));
        QCOMPARE(int(second->borrowed), 0);
        QCOMPARE(int(second->capacity), 9);
        QCOMPARE(std::string(Chars(second)), std::string("cd"));
        QCOMPARE(f->fileBuffer, fileBytes);
        QCOMPARE(int(first->capacity), 8); // now reaches the end of cd CR LF
        QVERIFY(f->GrowLine(third, 1));
        QCOMPARE(int(first->capacity), 4 + 4 + 5); // ef CR LF and the buffer's NUL as well
        QVERIFY(f->EnsureCapacity(first, 13));
        QCOMPARE(int(first->borrowed), 1);
        // Typing into the first line now grows it in place, over the vacated bytes.
        f.Type({0, 2}, "xyzw");
        QCOMPARE(int(first->borrowed), 1);
        QCOMPARE(Lines(*f), (Strings{"abxyzw", "cd", "ef"}));
        CheckInvariants(*f);
    }

    void getTextJoinsLinesEitherWay() {
        StoreFixture f("ab\r\ncd\r\nef\r\n");
        QCOMPARE(f->GetText({0, 1}, {2, 1}, true), std::string("b\r\ncd\r\ne"));
        QCOMPARE(f->GetText({2, 1}, {0, 1}, false), std::string("b\rcd\re"));
        QCOMPARE(f->GetText({1, 1}, {1, 1}, true), std::string());
        QCOMPARE(f->GetText({1, 2}, {1, 0}, true), std::string("cd"));
        QCOMPARE(f->CopyToGlobal({0, 0}, {2, 2}), std::string("ab\r\ncd\r\nef"));
        // Positions beyond the text are brought within it.
        QCOMPARE(f->GetText({-4, 9}, {70, 70}, false), std::string("\rcd\ref"));
        QCOMPARE(f.doc.waitDepth, 0);
        QVERIFY(f.doc.waitShown > 0);
    }

    void getTextOfLongLinesIsWhole() {
        const std::string longLine(30000, 'q');
        StoreFixture f(longLine + "\r\n" + longLine + "\r\nz");
        const std::string text = f->GetText({0, 0}, {2, 1}, true);
        QCOMPARE(text.size(), 2 * longLine.size() + 5);
        QCOMPARE(text, longLine + "\r\n" + longLine + "\r\nz");
    }

    void clearHistoryForgetsAndUnmodifies() {
        StoreFixture f;
        f.Type({0, 0}, "ab");
        f->Undo();
        f.Type({0, 1}, "c");
        QVERIFY(f.doc.modified);
        f->ClearHistory();
        QVERIFY(!f.doc.modified);
        QVERIFY(!f->CanUndo());
        QVERIFY(!f->Undo().has_value());
    }
};

QTEST_APPLESS_MAIN(LineStoreTest)
#include "tst_linestore.moc"
