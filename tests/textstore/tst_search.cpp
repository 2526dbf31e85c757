#include <cctype>
#include <random>

#include "StoreTestKit.h"

namespace {

struct Hit {
    bool found;
    TextPos start;
    TextPos end;
};

Hit Find(const TextStore& store, const std::string& pattern, TextPos from, bool forward,
         bool matchCase = true, bool wholeWord = false) {
    TextPos start = from;
    TextPos end{-7, -7};
    FindRequest request{pattern, matchCase, wholeWord, &start, &end};
    const bool found = forward ? store.FindForward(request) : store.FindBackward(request);
    return {found, start, end};
}

bool SameLetter(char a, char b, bool matchCase) {
    return matchCase ? a == b
                     : std::tolower(static_cast<unsigned char>(a)) ==
                           std::tolower(static_cast<unsigned char>(b));
}

// The first match at or after `from`, found the slow, obvious way.
Hit PlainFind(const std::vector<std::string>& rows, const std::string& pattern, TextPos from,
              bool matchCase, bool wholeWord) {
    const int n = int(pattern.size());
    for (int line = from.line; line < int(rows.size()); ++line) {
        const std::string& row = rows[line];
        for (int column = line == from.line ? from.column : 0; column + n <= int(row.size());
             ++column) {
            bool same = true;
            for (int i = 0; i < n && same; ++i)
                same = SameLetter(pattern[i], row[column + i], matchCase);
            const auto delimiter = [](char c) { return c == ' ' || c == '('; };
            if (same && wholeWord)
                same = (column == 0 || delimiter(row[column - 1])) &&
                       (column + n == int(row.size()) || delimiter(row[column + n]));
            if (same)
                return {true, {line, column}, {line, column + n}};
        }
    }
    return {false, from, {-7, -7}};
}

} // namespace

class SearchTest : public QObject {
    Q_OBJECT
private slots:
    void forwardFindsAMatchAtTheStart() {
        StoreFixture f("xaby\r\n");
        Hit hit = Find(*f, "ab", {0, 0}, true);
        QVERIFY(hit.found);
        QCOMPARE(hit.start, (TextPos{0, 1}));
        QCOMPARE(hit.end, (TextPos{0, 3}));
        hit = Find(*f, "ab", {0, 1}, true);
        QCOMPARE(hit.start, (TextPos{0, 1}));
        hit = Find(*f, "ab", {0, 2}, true);
        QVERIFY(!hit.found);
        QCOMPARE(hit.start, (TextPos{0, 2})); // untouched
        QCOMPARE(hit.end, (TextPos{-7, -7}));
    }

    void caseFoldsOnlyAsciiLetters() {
        StoreFixture f("ab Ab aB AB \xc9\r\n");
        QCOMPARE(Find(*f, "AB", {0, 0}, true, false).start, (TextPos{0, 0}));
        QCOMPARE(Find(*f, "AB", {0, 1}, true, false).start, (TextPos{0, 3}));
        QCOMPARE(Find(*f, "AB", {0, 4}, true, false).start, (TextPos{0, 6}));
        QCOMPARE(Find(*f, "AB", {0, 0}, true, true).start, (TextPos{0, 9}));
        QVERIFY(!Find(*f, "\xe9", {0, 0}, true, false).found);
        QCOMPARE(Find(*f, "aB", {0, 12}, false, false).start, (TextPos{0, 9}));
        QCOMPARE(Find(*f, "aB", {0, 12}, false, true).start, (TextPos{0, 6}));
    }

    void wholeWord_data() {
        QTest::addColumn<std::string>("line");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("column"); // -1: not found
        QTest::newRow("R1,R10") << std::string("R1,R10") << true << 0;
        QTest::newRow("R1,R10 back") << std::string("R1,R10") << false << 0;
        QTest::newRow("R10 only") << std::string("R10 xR1") << true << -1;
        QTest::newRow("dot joins words") << std::string("R1.X") << true << -1;
        QTest::newRow("tabs forward") << std::string("\tR1\t") << true << 1;
        QTest::newRow("tabs backward") << std::string("\tR1\t") << false << 1;
        QTest::newRow("at the end") << std::string("x=R1") << true << 2;
    }

    void wholeWord() {
        QFETCH(std::string, line);
        QFETCH(bool, forward);
        QFETCH(int, column);
        StoreFixture f(line + "\r\n");
        const TextPos from = forward ? TextPos{0, 0} : TextPos{0, std::int32_t(line.size())};
        const Hit hit = Find(*f, "R1", from, forward, true, true);
        QCOMPARE(hit.found, column >= 0);
        if (hit.found)
            QCOMPARE(hit.start, (TextPos{0, column}));
    }

    void searchesCrossLinesButNeverWrap() {
        StoreFixture f("needle one\r\nshort\r\n\r\nno\r\nneedle two\r\n");
        QCOMPARE(Find(*f, "needle", {0, 1}, true).start, (TextPos{4, 0}));
        QVERIFY(!Find(*f, "needle", {4, 1}, true).found);
        QCOMPARE(Find(*f, "needle", {4, 5}, false).start, (TextPos{0, 0}));
        QCOMPARE(Find(*f, "needle", {4, 6}, false).start, (TextPos{4, 0}));
        QVERIFY(!Find(*f, "needle", {0, 5}, false).found);
        QVERIFY(!Find(*f, "a pattern longer than any line", {0, 0}, true).found);
        QVERIFY(!Find(*f, "a pattern longer than any line", {4, 10}, false).found);
        QCOMPARE(Find(*f, "two", {99, 0}, true).start, (TextPos{4, 7})); // past the end: last line
        QVERIFY(!Find(*f, "", {0, 0}, true).found);
    }

    // Forward search against the plain definition, over texts of few letters in both
    // cases: every start position, both case rules, whole words or not.
    void forwardAgreesWithAPlainScan() {
        std::mt19937 random(12);
        const char letters[] = "aAbB (";
        for (int round = 0; round < 60; ++round) {
            std::string text;
            const int lines = 1 + int(random() % 4);
            std::vector<std::string> rows;
            for (int l = 0; l < lines; ++l) {
                std::string row;
                const int length = int(random() % 24);
                for (int c = 0; c < length; ++c)
                    row += letters[random() % 6];
                rows.push_back(row);
                text += row + "\r\n";
            }
            StoreFixture f(text);
            std::string pattern;
            for (int c = 0, length = 1 + int(random() % 3); c < length; ++c)
                pattern += letters[random() % 4];
            for (const bool matchCase : {true, false})
                for (const bool wholeWord : {true, false})
                    for (int line = 0; line < lines; ++line)
                        for (int column = 0; column <= int(rows[line].size()); ++column) {
                            const Hit hit =
                                Find(*f, pattern, {line, column}, true, matchCase, wholeWord);
                            const Hit expected =
                                PlainFind(rows, pattern, {line, column}, matchCase, wholeWord);
                            QCOMPARE(hit.found, expected.found);
                            if (expected.found)
                                QCOMPARE(hit.start, expected.start);
                        }
        }
    }

    // Whoever searched goes on at the match: the next walk to it must not start back where
    // the search began, which in a large file is hundreds of thousands of lines away.
    void aMatchLeavesTheWalkThere() {
        std::string text;
        for (int i = 0; i < 50; ++i)
            text += i == 37 ? "x MARK y\r\n" : "plain line\r\n";
        StoreFixture f(text);
        QCOMPARE(Find(*f, "MARK", {3, 0}, true).start, (TextPos{37, 2}));
        QCOMPARE(f->WalkCursor().index, 37);
        QCOMPARE(f->WalkCursor().line, f->LineAt(37));
        (void)f->LineAt(45);
        QCOMPARE(Find(*f, "mark", {45, 0}, false, false).start, (TextPos{37, 2}));
        QCOMPARE(f->WalkCursor().index, 37);
        QCOMPARE(f->WalkCursor().line, f->LineAt(37));
    }

    void compareNoCase() {
        QCOMPARE(TextStore::CompareNoCase("abc", "ABD", 3), -1);
        QCOMPARE(TextStore::CompareNoCase("abc", "ABC", 3), 0);
        QCOMPARE(TextStore::CompareNoCase("ABD", "abc", 3), -1); // t > p, whatever the case
        QCOMPARE(TextStore::CompareNoCase("c", "B", 1), 1);
        QCOMPARE(TextStore::CompareNoCase(".tran", ".TRAN x", 5), 0);
        QCOMPARE(TextStore::CompareNoCase("a", "\xe1", 1), 1); // signed: 0xe1 is below 'a'
    }

    void wordPositions_data() {
        QTest::addColumn<std::string>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("previous");
        QTest::addColumn<int>("next");
        QTest::newRow("leading spaces") << std::string("  ab") << 2 << 1 << 4;
        QTest::newRow("alpha, beta: a") << std::string("alpha, beta") << 0 << 0 << 5;
        QTest::newRow("alpha, beta: comma") << std::string("alpha, beta") << 5 << 0 << 7;
        QTest::newRow("after punctuation") << std::string("x=(y)") << 3 << 1 << 4;
        QTest::newRow("dot command") << std::string(".tran 1n") << 5 << 0 << 6;
        QTest::newRow("punctuation at 0") << std::string("((x") << 2 << 0 << 3;
        QTest::newRow("high byte") << std::string("ab\xe9\xe9 cd") << 3 << 2 << 4;
    }

    void wordPositions() {
        QFETCH(std::string, line);
        QFETCH(int, column);
        QFETCH(int, previous);
        QFETCH(int, next);
        StoreFixture f(line + "\r\n");
        QCOMPARE(f->PrevWordPos({0, column}), (TextPos{0, previous}));
        QCOMPARE(f->NextWordPos({0, column}), (TextPos{0, next}));
    }

    void wordPositionsCrossLines() {
        StoreFixture f("ab\r\ncd\r\n");
        QCOMPARE(f->PrevWordPos({1, 0}), (TextPos{0, 2}));
        QCOMPARE(f->PrevWordPos({0, 0}), (TextPos{0, 0}));
        QCOMPARE(f->NextWordPos({0, 2}), (TextPos{1, 0}));
        QCOMPARE(f->NextWordPos({1, 2}), (TextPos{1, 2}));
    }

    void wordAt() {
        StoreFixture f("alpha\tbeta\r\nalpha beta\r\n  .model  \r\n\r\n");
        QCOMPARE(f->WordAt({0, 2}), std::string("alpha\t"));
        QCOMPARE(f->WordAt({1, 2}), std::string("alpha"));
        QCOMPARE(f->WordAt({1, 6}), std::string("beta"));
        QCOMPARE(f->WordAt({2, 4}), std::string(".model"));
        QCOMPARE(f->WordAt({3, 0}), std::string());

        // The caret's one-character step over a byte of no class is not part of a word.
        StoreFixture odd("abc\xe9"
                         "def\r\n\tabc\r\n");
        QCOMPARE(odd->WordAt({0, 3}), std::string("abc"));
        QCOMPARE(odd->WordAt({1, 1}), std::string("abc"));
        QCOMPARE(odd->PrevWordPos({1, 1}), (TextPos{1, 0}));
    }

    // Replace All against a model that replaces, line by line from the start position,
    // the matches of the text as it stood; one Undo gives the text back, one Redo the
    // replaced text again, and the document hears of each as one change.
    void replaceAllMatchesTheModelAndIsOneStep() {
        std::mt19937 random(11);
        const auto below = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        const std::string alphabet = "aAb ";
        for (int round = 0; round < 300; ++round) {
            std::string text;
            for (std::size_t n = below(60); n > 0; --n)
                text += below(8) == 0 ? std::string("\r\n") : std::string(1, alphabet[below(4)]);
            StoreFixture f(text);
            Strings lines = Lines(*f);
            std::string pattern(1 + below(2), 'a');
            if (below(2) == 0)
                pattern[0] = 'b';
            const std::string by = std::string(below(3), 'x');
            const bool matchCase = below(2) == 0;
            const bool wholeWord = below(3) == 0;
            const TextPos from{std::int32_t(below(lines.size())), 0};
            Strings model = lines;
            std::int32_t expected = 0;
            for (std::size_t l = std::size_t(from.line); l < model.size(); ++l) {
                const std::string& old = lines[l];
                std::string out;
                std::size_t c = 0;
                while (c < old.size()) {
                    bool hit = c + pattern.size() <= old.size();
                    for (std::size_t k = 0; hit && k < pattern.size(); ++k)
                        hit = matchCase ? old[c + k] == pattern[k]
                                        : std::tolower(old[c + k]) == std::tolower(pattern[k]);
                    if (hit && wholeWord)
                        hit = (c == 0 || old[c - 1] == ' ') &&
                              (c + pattern.size() == old.size() || old[c + pattern.size()] == ' ');
                    if (hit) {
                        out += by;
                        c += pattern.size();
                        ++expected;
                    } else {
                        out += old[c++];
                    }
                }
                model[l] = out;
            }
            const FindRequest request{pattern, matchCase, wholeWord, nullptr, nullptr};
            std::int32_t count = -1;
            f.doc.changes.clear();
            f->Edit(from, request, by, count);
            QCOMPARE(count, expected);
            QCOMPARE(Lines(*f), model);
            QCOMPARE(f.doc.changes.size(), std::size_t(expected > 0 ? 1 : 0));
            CheckInvariants(*f);
            if (expected == 0)
                continue;
            QVERIFY(f->Undo()->done);
            QCOMPARE(Lines(*f), lines);
            QVERIFY(!f->CanUndo());
            QVERIFY(f->Redo()->done);
            QCOMPARE(Lines(*f), model);
            QVERIFY(!f->CanRedo());
            CheckInvariants(*f);
        }
    }
};

QTEST_APPLESS_MAIN(SearchTest)
#include "tst_search.moc"
