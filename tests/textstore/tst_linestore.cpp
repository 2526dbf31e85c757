#include <random>

#include "StoreTestKit.h"

class LineStoreTest : public QObject {
    Q_OBJECT
private slots:
    void lineAtClampsAndIndexOfFindsOnlyOwnLines() {
        StoreFixture f("a\r\nb\r\nc\r\n");
        QCOMPARE(f->LineCount(), 3);
        QCOMPARE(f->LineAt(-1), nullptr);
        QCOMPARE(f->LineAt(0), f->FirstLine());
        QCOMPARE(f->LineAt(3), f->LastLine());
        QCOMPARE(f->LineAt(1000), f->LastLine());
        QCOMPARE(f->IndexOf(f->LineAt(1)), 1);
        QCOMPARE(f->IndexOf(f->LastLine()), 2);
        QCOMPARE(f->IndexOf(nullptr), -1);

        StoreFixture other("x\r\ny\r\nz\r\nw\r\n");
        QCOMPARE(f->IndexOf(other->LineAt(1)), -1);
        QCOMPARE(f->IndexOf(other->LastLine()), -1);
        QCOMPARE(f->IndexOf(other->FirstLine()), -1);
    }

    void newDocumentLineGetsBufferOnFirstCharacter() {
        StoreFixture f;
        QCOMPARE(f->LineCount(), 1);
        QCOMPARE(f->FirstLine()->text, nullptr);
        QCOMPARE(int(f->FirstLine()->capacity), 0);
        f.Type({0, 0}, "x");
        QCOMPARE(int(f->FirstLine()->capacity), 20);
        QCOMPARE(f->FirstLine()->length, 1);
        for (int i = 1; i < 20; ++i)
            QCOMPARE(f->FirstLine()->text[i], '\0');
    }

    void linesAddedAndRemovedAtEitherEndKeepEndsAndCount() {
        StoreFixture f("b\r\n");
        const LineRecord* b = f->FirstLine();
        QCOMPARE(f->Edit({0, 0}, kInsertText, "a\r"), (TextPos{1, 0}));
        QCOMPARE(f->Edit({1, 1}, kInsertText, "\rc"), (TextPos{2, 1}));
        QCOMPARE(Lines(*f), (Strings{"a", "b", "c"}));
        QCOMPARE(f->LineCount(), 3);
        QCOMPARE(f->LineAt(1), b);
        QCOMPARE(f->FirstLine()->prev, nullptr);
        QCOMPARE(f->LastLine()->next, nullptr);
        CheckInvariants(*f);
        f->Edit({1, 1}, kDeleteBlock, "", {2, 1});
        f->Edit({0, 0}, kDeleteBlock, "", {1, 0});
        QCOMPARE(Lines(*f), (Strings{"b"}));
        QCOMPARE(f->LineCount(), 1);
        QCOMPARE(f->FirstLine(), f->LastLine());
        QCOMPARE(f->FirstLine()->prev, nullptr);
        QCOMPARE(f->FirstLine()->next, nullptr);
        CheckInvariants(*f);
    }

    void appendEmptyLineOnlyStartsAnEmptyStore() {
        StoreFixture f("a\r\nb\r\n");
        f->AppendEmptyLine();
        QCOMPARE(Lines(*f), (Strings{"a", "b"}));
        StoreFixture fresh;
        fresh->AppendEmptyLine();
        QCOMPARE(Lines(*fresh), (Strings{""}));
        CheckInvariants(*fresh);
    }

    // The walk cursor and the line marks must stay right whatever lines are added or
    // removed around them, and edits, which know where they are, never lose the marks.
    void lineAtStaysRightUnderRandomLineEdits() {
        StoreFixture f;
        LineListProbe::SetMarkSpacing(*f, 3);
        Strings model{""};
        std::mt19937 random(7);
        int made = 0;
        for (int step = 0; step < 20000; ++step) {
            const auto pick = [&](std::size_t n) {
                return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
            };
            const int what = int(pick(4));
            const std::int32_t last = std::int32_t(model.size()) - 1;
            const std::size_t marked = LineListProbe::Marks(*f).Size();
            if (what == 0 || model.size() < 2) {
                const std::size_t before = pick(model.size() + 1); // size: after the last
                const std::string text = std::to_string(++made);
                if (before < model.size()) {
                    f->Edit({std::int32_t(before), 0}, kInsertText, (text + "\r").c_str());
                } else {
                    const TextPos end{last, std::int32_t(model.back().size())};
                    f->Edit(end, kInsertText, ("\r" + text).c_str());
                }
                model.insert(model.begin() + std::ptrdiff_t(before), text);
            } else if (what == 1) {
                const std::int32_t at = std::int32_t(pick(model.size()));
                if (at < last) {
                    f->Edit({at, 0}, kDeleteBlock, "", {at + 1, 0});
                } else {
                    const std::int32_t above = at - 1;
                    f->Edit({above, std::int32_t(model[std::size_t(above)].size())}, kDeleteBlock,
                            "", {at, std::int32_t(model.back().size())});
                }
                model.erase(model.begin() + at);
            } else {
                const std::int32_t at = std::int32_t(pick(model.size()));
                const LineRecord* line = f->LineAt(at);
                QCOMPARE(std::string(Chars(line)), model[std::size_t(at)]);
                QCOMPARE(f->IndexOf(line), at);
            }
            if (what < 2 && marked > 2)
                QVERIFY2(LineListProbe::Marks(*f).Size() > 0, "an edit dropped the line marks");
            CheckLineCursor(*f);
        }
        QCOMPARE(Lines(*f), model);
        CheckInvariants(*f);
    }

    // The same under links and unlinks in any order, first and last lines included.
    void lineAtStaysRightUnderRandomLinking() {
        StoreFixture f;
        LineListProbe::SetMarkSpacing(*f, 2);
        std::vector<LineRecord*> model{LineListProbe::First(*f)};
        std::mt19937 random(7);
        for (int step = 0; step < 20000; ++step) {
            const auto pick = [&](std::size_t n) {
                return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
            };
            const int what = int(pick(4));
            if (what == 0 || model.size() < 2) {
                const std::size_t after = pick(model.size() + 1); // 0: at the front
                LineRecord* line = LineListProbe::Link(*f, after == 0 ? nullptr : model[after - 1]);
                model.insert(model.begin() + std::ptrdiff_t(after), line);
            } else if (what == 1) {
                const std::size_t at = pick(model.size());
                QVERIFY(LineListProbe::Unlink(*f, model[at]));
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

    // A line read from the file that must grow moves out of the file buffer; the bytes
    // it leaves become growth room for the nearest earlier line still in the buffer.
    void growingBorrowedLineHandsBytesToEarlierLine() {
        StoreFixture f("ab\r\ncd\r\nef\r\n");
        const LineRecord* first = f->LineAt(0);
        const LineRecord* second = f->LineAt(1);
        const LineRecord* third = f->LineAt(2);
        QCOMPARE(int(first->capacity), 4);
        QCOMPARE(int(second->capacity), 4);
        const int thirdCapacity = int(third->capacity);
        const char* fileBytes = f->FileBuffer();
        f.Type({1, 2}, "xy"); // cd x CR fills the line's 4 bytes; y must move it
        QCOMPARE(int(second->borrowed), 0);
        QCOMPARE(std::string(Chars(second)), std::string("cdxy"));
        QCOMPARE(f->FileBuffer(), fileBytes);
        QCOMPARE(int(first->capacity), 8); // now reaches the end of cd CR LF
        f.Type({2, 2}, std::string(std::size_t(thirdCapacity), 'z'));
        QCOMPARE(int(third->borrowed), 0);
        QCOMPARE(int(first->capacity), 8 + thirdCapacity); // ef CR LF and what follows
        QCOMPARE(int(first->borrowed), 1);
        // Typing into the first line now grows it in place, over the vacated bytes.
        f.Type({0, 2}, "xyzw");
        QCOMPARE(int(first->borrowed), 1);
        QCOMPARE(first, f->LineAt(0));
        QCOMPARE(Lines(*f),
                 (Strings{"abxyzw", "cdxy", "ef" + std::string(std::size_t(thirdCapacity), 'z')}));
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
