// The help context of a netlist line: the first word of the keyword table that begins it,
// ASCII case ignored, longer words found before the shorter ones they start with.

#include <set>

#include "KeywordTable.h"
#include "ViewFixture.h"

namespace {

// The keyword with every other letter in capitals, as users type cards.
QByteArray MixedCase(const char* keyword) {
    QByteArray word(keyword);
    for (int i = 0; i < word.size(); i += 2)
        if (word[i] >= 'a' && word[i] <= 'z')
            word[i] = char(word[i] - 'a' + 'A');
    return word;
}

} // namespace

class KeywordHelpTest : public QObject, ViewFixture {
    Q_OBJECT

    int ContextOf(const QByteArray& line) {
        auto doc = Document(line + "\r\n");
        CKelvoView view(doc.get(), &defaults);
        view.OnInitialUpdate(nullptr);
        return view.FindHelpContext(0);
    }

private slots:
    void everyKeywordIsFoundAtTheStartOfALine() {
        QByteArray text;
        int rows = 0;
        for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry, ++rows)
            text += MixedCase(entry->keyword) + " 1 2 10k\r\n";
        QCOMPARE(rows, 102);
        auto doc = Document(text);
        CKelvoView view(doc.get(), &defaults);
        view.OnInitialUpdate(nullptr);
        for (int row = 0; row < rows; ++row)
            QVERIFY2(view.FindHelpContext(row) == KeywordTable[row].helpContext,
                     KeywordTable[row].keyword);
    }

    void everyContextNumberOnce() {
        std::set<int> contexts;
        for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry)
            QVERIFY2(contexts.insert(entry->helpContext).second, entry->keyword);
        std::set<int> expected;
        for (int context = 2; context <= 113; ++context)
            expected.insert(context);
        // The gaps are numbers the help never used.
        for (int unused : {33, 34, 35, 36, 37, 40, 104, 106, 108, 109})
            expected.erase(unused);
        QCOMPARE(contexts, expected);
    }

    void lineGivesContext_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("context");
        QTest::newRow(".MODEL in capitals") << QByteArray(".MODEL QGEN NPN(BF=150)") << 19;
        QTest::newRow(".options before .op") << QByteArray(".options reltol=1e-4") << 32;
        QTest::newRow(".op") << QByteArray(".op") << 21;
        QTest::newRow("showmod before show") << QByteArray("showmod q1") << 56;
        QTest::newRow("show") << QByteArray("show all") << 55;
        QTest::newRow("setplot before set") << QByteArray("setplot tran1") << 97;
        QTest::newRow("set") << QByteArray("set width=80") << 95;
        QTest::newRow(".endc") << QByteArray(".endc") << 48;
        QTest::newRow(".ends") << QByteArray(".ENDS CESTAGE") << 38;
        QTest::newRow(".end") << QByteArray(".end") << 39;
        QTest::newRow("functionundef before function") << QByteArray("functionundef f") << 63;
        QTest::newRow("function") << QByteArray("function f(x) x*2") << 62;
        QTest::newRow("a voltage source") << QByteArray("VIN in 0 AC 1") << 105;
        QTest::newRow("version") << QByteArray("version") << 101;
        QTest::newRow("view") << QByteArray("View") << 57;
        QTest::newRow(".view") << QByteArray(".view tran v(1)") << 107;
        QTest::newRow("a comment") << QByteArray("* Two-stage amplifier") << 41;
        QTest::newRow("*include") << QByteArray("*INCLUDE lib/stage.lib") << 110;
        QTest::newRow("a capacitor") << QByteArray("C2 col2 out 10u") << 3;
        QTest::newRow("a coupling of two inductors") << QByteArray("K1 L1 L2 0.99") << 6;
        QTest::newRow("a resistor") << QByteArray("rload 1 2 10k") << 2;
        QTest::newRow("resume before r") << QByteArray("resume") << 71;
        QTest::newRow("run before r") << QByteArray("RUN") << 74;
        QTest::newRow("foreach") << QByteArray("foreach v 1 2 3") << 83;
        QTest::newRow("a subcircuit call") << QByteArray("X1 src mid vcc CESTAGE") << 17;
        QTest::newRow("leading blanks") << QByteArray("   .model q npn") << 0;
        QTest::newRow("a leading tab") << QByteArray("\tR1 1 2 1k") << 0;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("shorter than every dot card") << QByteArray(".e") << 0;
        QTest::newRow("a number") << QByteArray("1e-3 2e-3") << 0;
        QTest::newRow("a byte above ASCII") << QByteArray("\xc9tage 1") << 0;
    }
    void lineGivesContext() {
        QFETCH(QByteArray, line);
        QFETCH(int, context);
        QCOMPARE(ContextOf(line), context);
    }

    void pointGivesTheLineUnderIt() {
        auto doc = Document("* amp\r\n.tran 10u 5m\r\n  indented\r\nQ1 c b e QGEN\r\n");
        auto view = Show(doc.get());
        const int lh = view->LineHeight();
        QCOMPARE(view->HelpHitTest({20, lh + lh / 2}), 27);
        QCOMPARE(view->HelpHitTest({20, 2 * lh + 1}), 0);
        // Below the text: the last line.
        QCOMPARE(view->HelpHitTest({20, 250}), 13);
        QCOMPARE(view->FindHelpContext(-1), 0);
        QCOMPARE(view->FindHelpContext(4), 0);
    }

    // F1: a topic the frame names wins; else the caret's line; a line with no keyword
    // leaves the help to the frame and shows nothing itself.
    void keywordHelpShowsTheTopicOfTheCaretsLine() {
        auto doc = Document("* amp\r\n.MODEL QGEN NPN(BF=150)\r\n  .tran 1n 1u\r\n");
        auto view = Show(doc.get());
        view->SetCaretPosition({1, 4});
        QVERIFY(view->OnKeywordHelp(0, 0));
        view->SetCaretPosition({2, 0});
        QVERIFY(!view->OnKeywordHelp(0, 0));
        QVERIFY(view->OnKeywordHelp(0, 83));
        using Shown = std::vector<std::pair<unsigned, int>>;
        QCOMPARE(platform.helpShown, (Shown{{HELP_CONTEXT, 19}, {HELP_CONTEXT, 83}}));
    }
};

QTEST_MAIN(KeywordHelpTest)
#include "tst_keywordhelp.moc"
