// The help context of a netlist line: its first word as a whole word of the keyword table,
// ASCII case ignored, or the first letter of an element's name; read in its netlist.

#include <random>
#include <set>
#include <string>
#include <vector>

#include "HelpTopics.h"
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
    // Each row is reached by its own word, outside .control and, for a command, inside it.
    void everyKeywordIsFoundAtTheStartOfALine() {
        std::set<std::string> words;
        for (const KeywordEntry* entry = ControlOnlyKeywords; entry->keyword != nullptr;
             ++entry) {
            QVERIFY2(words.insert(entry->keyword).second, entry->keyword);
            const QByteArray line = MixedCase(entry->keyword) + " 1 2 10k";
            QVERIFY2(KeywordContext(line.toStdString(), true) == entry->helpContext,
                     entry->keyword);
        }
        for (const KeywordEntry* entry = KeywordTable; entry->keyword != nullptr; ++entry) {
            QVERIFY2(words.insert(entry->keyword).second, entry->keyword); // no dead row
            const QByteArray line = MixedCase(entry->keyword) + " 1 2 10k";
            QVERIFY2(KeywordContext(line.toStdString(), false) == entry->helpContext,
                     entry->keyword);
            if (entry->keyword[0] != '.' && entry->keyword[0] != '*' && entry->keyword[1] != 0)
                QVERIFY2(KeywordContext(line.toStdString(), true) == entry->helpContext,
                         entry->keyword);
        }
    }

    // The page F1 opens on one line, inside .control or not, named by its title.
    void lineGivesTopic_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("inControl");
        QTest::addColumn<QString>("title");
        const QString none;
        const struct {
            const char* name;
            const char* line;
            bool inControl;
            const char* title;
        } rows[] = {
            {".MODEL in capitals", ".MODEL QGEN NPN(BF=150)", false, ".MODEL: device models"},
            {".options", ".options reltol=1e-4", false, ".OPTIONS: simulator options"},
            {".option is not .op", ".option noacct", false, ".OPTIONS: simulator options"},
            {".op", ".op", false, ".OP: operating point"},
            {".endif is not .end", ".endif", false, ".IF/.ELSE/.ENDIF: parts of the netlist by condition"},
            {".endc", ".endc", true, ".ENDC: end of control commands"},
            {".end", ".END", false, ".END: end of the netlist"},
            {".include", ".include models.lib", false, ".INCLUDE: read another file"},
            {".inc", ".INC opamp.mod", false, ".INCLUDE: read another file"},
            {".measure", ".measure tran t1 WHEN v(1)=0.5", false, ".MEAS/.MEASURE: measurements"},
            {".param", ".param r=1k", false, ".PARAM: parameters"},
            {".title", ".title amplifier", false, ".TITLE: the netlist's title"},
            {"an indented card", "   .model q npn", false, ".MODEL: device models"},
            {"a tab before an element", "\tR1 1 2 1k", false, "R: resistor"},
            {"a resistor", "rload 1 2 10k", false, "R: resistor"},
            {"resume outside .control", "resume", false, "RESUME: continue a stopped simulation"},
            {"a code model", "a1 in out amp", false, "A: code model instance"},
            {"a lossy line", "Y1 1 0 2 0 ymod", false, "Y: lossy line"},
            {"a comment", "* Two-stage amplifier", false, "*: comment line"},
            {"*include", "*INCLUDE lib/stage.lib", false, "*INCLUDE: include a file"},
            {"a commented-out card", "*.include x.lib", false, "*: comment line"},
            {"a comment in .control", "** results", true, "*: comment line"},
            {"a line of a $ comment", "   $ in volts", true, "*: comment line"},
            {"a line of a ; comment", "; the load", false, "*: comment line"},
            {"a $ variable is no comment", "$curplot", true, ""},
            {"pre_ before a command", "pre_set strict_errorhandling", true,
             "SET: set an option variable"},
            {"pre_ before no command", "pre_frobnicate", true, ""},
            {"digital event nodes", "eprvcd clk q1 > out.vcd", true,
             "EPRINT/EPRVCD/EDISPLAY: digital event nodes"},
            {".loop", ".loop M2/Gate DEC 10 1 10e9", false, ".LOOP: loop gain analysis"},
            {"setcs", "  setcs sourcepath = ( /home/ann )", true,
             "SETCS: set a variable, keeping letter case"},
            {"sp in .control", "sp lin 100 0.2e9 4.2e9", true, ".SP: S-parameter analysis"},
            {"sp outside is the switch p", "sp out vdd vdd in swswitch", false,
             "S: voltage-controlled switch"},
            {"plot", "plot v(out)", true, "PLOT: plot vectors"},
            {"an indented command", "  echo done", true, "ECHO: print text"},
            {"tran in .control", "tran 1u 1m", true, ".TRAN: transient analysis"},
            {"meas in .control", "meas tran t1 WHEN v(1)=0.5", true, ".MEAS/.MEASURE: measurements"},
            {"op in .control", "op", true, ".OP: operating point"},
            {"listing", "listing expand", true, "LISTING: list the circuit"},
            {"end closes a block", "end", true, "END: close a block"},
            {"set is not setplot", "set color0=white", true, "SET: set an option variable"},
            {"setplot", "setplot tran1", true, "SETPLOT: choose the current plot"},
            {"show is not showmod", "show all", true, "SHOW: show device values"},
            {"wrdata", "wrdata out.txt v(1)", true, "WRDATA: write vectors as a table"},
            {"no element in .control", "rload 1 2 10k", true, ""},
            {"a word no command", "foo", true, ""},
            {"empty", "", false, ""},
            {"a number", "1e-3 2e-3", false, ""},
            {"an unknown card", ".frobnicate", false, ""},
            {"a byte above ASCII", "\xc9tage 1", false, ""},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << QByteArray(row.line) << row.inControl
                                    << (row.title[0] != 0 ? QString(row.title) : none);
    }
    void lineGivesTopic() {
        QFETCH(QByteArray, line);
        QFETCH(bool, inControl);
        QFETCH(QString, title);
        const HelpTopics& topics = HelpTopics::Shipped();
        const QString page = topics.PageOf(KeywordContext(line.toStdString(), inControl));
        QCOMPARE(page.isEmpty() ? QString() : topics.TitleOf(page), title);
    }

    // A line is read in its netlist: the first is the title, a + line continues the card
    // before its comments (of either form), and .control to .endc holds commands.
    void netlistGivesEachLineItsContext() {
        const char* text = "Simple RC filter\r\n"
                           "* values\r\n"
                           "R1 in out 1k\r\n"
                           "* between\r\n"
                           "  $ and after a dollar\r\n"
                           "+ tc1=0.001\r\n"
                           "\r\n"
                           ".control\r\n"
                           "  tran 1u 1m\r\n"
                           "rload\r\n"
                           ".endc\r\n"
                           "run 1 2 1k\r\n";
        const std::vector<int> expected{kTitleHelpContext, 41, 2, 41, 41, 2, 0, 47, 27, 0, 48, 74};
        auto doc = Document(text);
        CKelvoView view(doc.get(), &defaults);
        view.OnInitialUpdate(nullptr);
        std::vector<int> contexts;
        for (int line = 0; line < int(expected.size()); ++line)
            contexts.push_back(view.FindHelpContext(line));
        QCOMPARE(contexts, expected);
        // A library or included file begins with a card or a comment, not a title.
        QCOMPARE(ContextOf(".subckt inv a y"), 18);
        QCOMPARE(ContextOf("* models"), 41);
    }

    // F1 reads upward from the line, not the whole netlist from its top; on random texts of
    // the lines that matter to it, every line gets what reading from the top gives it.
    void readingUpwardAgreesWithReadingFromTheTop() {
        const char* kinds[] = {
            ".control", "  .CONTROL", ".endc", "\t.Endc ; done", ".endcx", ".controls",
            ".end", "+ more", "  + more", "* note", "** .control", "; note", "  $ note",
            "$curplot", "", "   ", "R1 1 2 1k", "run", "tran 1u 1m", "pre_set x",
            ".model q npn", ".subckt inv a y", "let x = 1", "Title of the circuit",
        };
        std::mt19937 random(20261210);
        std::uniform_int_distribution<int> pick(0, int(std::size(kinds)) - 1);
        for (int round = 0; round < 200; ++round) {
            QByteArray text;
            const int lines = 1 + int(random() % 40);
            for (int i = 0; i < lines; ++i)
                text += QByteArray(kinds[pick(random)]) + "\r\n";
            auto doc = Document(text);
            const TextStore& store = *doc->GetStore();
            NetlistHelpReader reader;
            int index = 0;
            for (const LineRecord* line = store.FirstLine(); line != nullptr;
                 line = line->next, ++index)
                QVERIFY2(HelpContextOfLine(store, index) == reader.Next(Chars(line)),
                         qPrintable(QString("line %1 of\n%2").arg(index).arg(text)));
        }
    }

    void pointGivesTheLineUnderIt() {
        auto doc = Document("* amp\r\n.tran 10u 5m\r\n  1e-3\r\nQ1 c b e QGEN\r\n");
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
        auto doc = Document("* amp\r\n.MODEL QGEN NPN(BF=150)\r\n  1n 1u\r\n");
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
