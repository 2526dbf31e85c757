// The colouring of netlists and outputs, line by line, and the line states kept for it.

#include <random>
#include <string>
#include <vector>

#include <QtTest>

#include "CArchive.h"
#include "CFile.h"
#include "SpiceLineStates.h"
#include "TextStore.h"
#include "fakes/FakeStoreDocument.h"

Q_DECLARE_METATYPE(SpiceKind)

namespace {

// One letter a byte for the style that colours it; '.' for plain.
std::string Mask(std::string_view line, const std::vector<SpiceSpan>& spans) {
    static constexpr char kLetters[] = ".Tc+Dpsdxnea\"kvEW";
    static_assert(sizeof kLetters == kSpiceStyles + 1);
    std::string mask(line.size(), '.');
    for (const SpiceSpan& span : spans)
        for (std::uint32_t i = span.start; i < span.start + span.length && i < mask.size(); ++i)
            mask[i] = kLetters[int(span.style)];
    return mask;
}

std::vector<std::string> Masks(SpiceKind kind, const QStringList& lines) {
    std::vector<std::string> masks;
    SpiceLexer::State state = SpiceLexer::Start(kind);
    for (const QString& text : lines) {
        const std::string line = text.toStdString();
        std::vector<SpiceSpan> spans;
        const SpiceLexer::State end = SpiceLexer::Lex(kind, line, state, &spans);
        // The state alone comes out the same as with the runs.
        if (SpiceLexer::Lex(kind, line, state, nullptr) != end)
            return {"state differs without spans: " + line};
        state = end;
        masks.push_back(Mask(line, spans));
    }
    return masks;
}

std::unique_ptr<TextStore> StoreOf(FakeStoreDocument& doc, const std::string& bytes) {
    auto store = std::make_unique<TextStore>(&doc);
    CMemFile file(bytes);
    CArchive archive(&file, CArchive::load);
    store->Serialize(archive);
    return store;
}

} // namespace

class TestSpiceLexer : public QObject {
    Q_OBJECT

private slots:
    void coloursNetlistShapes_data() {
        QTest::addColumn<SpiceKind>("kind");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("masks");
        QTest::newRow("title, elements, numbers and end-of-line comments")
            << SpiceKind::Netlist
            << QStringList{"R1 stays the title",
                           "* a comment",
                           "R1 in out 1k ; load",
                           "C2 out 0 10meg $ big",
                           "V1 in 0 DC 2.5u a$b",
                           "Q1 c b e 2N2222 1e-9 -3.3E+2v"}
            << QStringList{"TTTTTTTTTTTTTTTTTT",
                           "ccccccccccc",
                           "pp........nn.cccccc",
                           "pp.....n.nnnnn.ccccc",
                           "ss....n....nnnn....",
                           "dd..............nnnn.nnnnnnnn"};
        QTest::newRow("expressions, parameters and continuations")
            << SpiceKind::Netlist
            << QStringList{"t",
                           "X1 a b stage gain={2*(g+1)} w = 'w0*2'",
                           ".model 2N2222 npn(bf=100",
                           "* between the lines",
                           "+ is=1e-14)",
                           ".include \"lib/x.lib\""}
            << QStringList{"T",
                           "xx...........aaaa.eeeeeeeee.a...eeeeee",
                           "DDDDDD............aa.nnn",
                           "ccccccccccccccccccc",
                           "+.aa.nnnnn.",
                           "DDDDDDDD.\"\"\"\"\"\"\"\"\"\"\""};
        QTest::newRow("continuations into and out of .control")
            << SpiceKind::Netlist
            << QStringList{"t",
                           "+ nothing to continue",
                           ".tran 1u 1m",
                           "+ uic",
                           ".control",
                           "run",
                           "let x = $y + 1 ; note",
                           "echo \"done\" $&vec $ said",
                           "* still a comment",
                           "$ a comment too",
                           "  ; and this",
                           ".endc",
                           "+ after the control section",
                           ".endc"}
            << QStringList{"T",
                           "EEEEEEEEEEEEEEEEEEEEE",
                           "DDDDD.nn.nn",
                           "+....",
                           "DDDDDDDD",
                           "kkk",
                           "kkk.a...vv...n.cccccc",
                           "kkkk.\"\"\"\"\"\".vvvvv.cccccc",
                           "ccccccccccccccccc",
                           "ccccccccccccccc",
                           "..cccccccccc",
                           "DDDDD",
                           "EEEEEEEEEEEEEEEEEEEEEEEEEEE",
                           "EEEEE"};
        QTest::newRow("a .subckt inside a .lib section")
            << SpiceKind::Library
            << QStringList{".lib tt",
                           ".subckt stage in out",
                           "R1 in out {rload}",
                           ".ends stage",
                           ".ends",
                           ".endl tt",
                           ".endl"}
            << QStringList{"DDDD...",
                           "DDDDDDD.............",
                           "pp........eeeeeee",
                           "DDDDD......",
                           "EEEEE",
                           "DDDDD...",
                           "EEEEE"};
        QTest::newRow("errors and warnings of an output")
            << SpiceKind::Output
            << QStringList{"Circuit: amp", "Error: unknown model", "warning: step too small",
                           "no terrors here"}
            << QStringList{"............", "EEEEEEEEEEEEEEEEEEEE",
                           "WWWWWWWWWWWWWWWWWWWWWWW", "..............."};
    }

    void coloursNetlistShapes() {
        QFETCH(SpiceKind, kind);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, masks);
        const std::vector<std::string> got = Masks(kind, lines);
        QCOMPARE(got.size(), std::size_t(masks.size()));
        for (std::size_t i = 0; i < got.size(); ++i)
            QCOMPARE(QString::fromStdString(got[i]) + " | " + lines[int(i)],
                     masks[int(i)] + " | " + lines[int(i)]);
    }

    void kindFollowsTheExtension() {
        QCOMPARE(SpiceLexer::KindOf("amp.CIR"), SpiceKind::Netlist);
        QCOMPARE(SpiceLexer::KindOf("models.lib"), SpiceKind::Library);
        QCOMPARE(SpiceLexer::KindOf("amp.err"), SpiceKind::Output);
        QCOMPARE(SpiceLexer::KindOf("amp.tmp"), SpiceKind::Plain);
        QCOMPARE(SpiceLexer::KindOf("dir.cir/notes"), SpiceKind::Plain);
    }

    // Outputs and plain text keep the first state on every line, so the colours of a line
    // far down read no line above it.
    void outputsAndPlainTextCarryNoState() {
        std::mt19937 random(7);
        const char* words[] = {".control", ".endc", ".subckt", ".ends", ".lib", ".endl",
                               "+", "title", "Error:", "R1 a b 1k", "* note", ""};
        for (const SpiceKind kind : {SpiceKind::Output, SpiceKind::Plain}) {
            QVERIFY(!SpiceLexer::CarriesState(kind));
            for (int i = 0; i < 2000; ++i) {
                const std::string line = std::string(words[random() % std::size(words)]) + " " +
                                         words[random() % std::size(words)];
                const auto state = SpiceLexer::State(random() % 64);
                QCOMPARE(SpiceLexer::Lex(kind, line, state, nullptr), state);
            }
        }
        std::string text;
        for (int i = 0; i < 1000; ++i)
            text += i % 7 == 0 ? ".control\r\n" : "step " + std::to_string(i) + "\r\n";
        FakeStoreDocument doc;
        auto store = StoreOf(doc, text);
        SpiceLineStates states(SpiceKind::Output);
        QCOMPARE(states.StateBefore(*store, store->LineCount() - 1),
                 SpiceLexer::Start(SpiceKind::Output));
        QCOMPARE(states.LinesLexed(), std::int64_t{0});
    }

    // After an edit only the lines whose state may have changed are lexed again, and the
    // states always come out as a fresh lexing of the whole text gives them.
    void mendingStopsWhereTheStatesSettle_data() {
        QTest::addColumn<TextPos>("at");
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<int>("lexed");
        QTest::addColumn<bool>("settled");
        QTest::newRow("a character in a card") << TextPos{500, 3} << QByteArray("x") << 1 << true;
        QTest::newRow("a line broken in two") << TextPos{500, 3} << QByteArray("\r") << 2 << true;
        QTest::newRow("a .control that opens the rest")
            << TextPos{990, 0} << QByteArray(".control\r") << 11 << false;
        QTest::newRow(".control's effect stopped by the .endc further on")
            << TextPos{200, 0} << QByteArray(".control\r") << 103 << false;
    }

    void mendingStopsWhereTheStatesSettle() {
        QFETCH(TextPos, at);
        QFETCH(QByteArray, typed);
        QFETCH(int, lexed);
        QFETCH(bool, settled);
        std::string text = "title\r\n";
        for (int i = 1; i < 1000; ++i)
            text += i == 300 ? ".endc\r\n" : "R" + std::to_string(i) + " a b 1k\r\n";
        FakeStoreDocument doc;
        auto store = StoreOf(doc, text);
        SpiceLineStates states(SpiceKind::Netlist);
        states.StateBefore(*store, store->LineCount());
        QCOMPARE(states.KnownLines(), store->LineCount());
        const std::int64_t before = states.LinesLexed();
        doc.changes.clear();
        store->Edit(at, kInsertText, typed.constData());
        QCOMPARE(doc.changes.size(), std::size_t(1));
        QCOMPARE(states.OnTextChanged(*store, doc.changes.front()), settled);
        QCOMPARE(states.LinesLexed() - before, lexed);

        SpiceLineStates fresh(SpiceKind::Netlist);
        for (std::int32_t i = 0; i <= store->LineCount(); ++i)
            QCOMPARE(states.StateBefore(*store, i), fresh.StateBefore(*store, i));
    }
};

QTEST_GUILESS_MAIN(TestSpiceLexer)
#include "tst_spicelexer.moc"
