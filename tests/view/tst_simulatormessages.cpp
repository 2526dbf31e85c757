// From a simulator's messages to the netlist: the forms of message ngspice writes into its
// output and error files, as it wrote them for failing netlists, and the card an element's
// flattened name leads to.

#include <QtTest>

#include "SimulatorMessages.h"
#include "TextStore.h"
#include "fakes/FakeStoreDocument.h"

namespace {

struct Text {
    FakeStoreDocument doc;
    TextStore store{&doc};
    explicit Text(const char* bytes) {
        store.AppendEmptyLine();
        store.Edit({0, 0}, kInsertText, bytes);
    }
};

// An ngspice output with each form of message it writes, the first at line 3.
const char kOutput[] = "\n"
                       "Circuit: amp\n"
                       "\n"
                       "Error on line 4 or its substitute:\n"
                       "  m1 1 1 0 0 nmos w=1u l=1u\n"
                       "could not find a valid modelname\n"
                       "    Simulation interrupted due to error!\n"
                       "Netlist line no. 2:\n"
                       "Undefined parameter [undefparam]\n"
                       "Error on line:\n"
                       "  q.x1.q7 1 2 2 qmissing\n"
                       "could not find a valid modelname\n"
                       "Error: unknown subckt: x2 1 0 nosuch\n"
                       "Original line no.: 12, new internal line no.: 54\n"
                       "Error on line:\n"
                       "Warning: baseline 3 is not a card\n"
                       "  n.x3.x4.nqhcm0 is floating\n"
                       " 1.000e-03\t2.5e+00\n";

} // namespace

class SimulatorMessagesTest : public QObject {
    Q_OBJECT
private slots:
    void messagesNameTheirPlace_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("netlistLine"); // 0-based; -1: a card by name
        QTest::addColumn<QString>("card");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("message"); // empty: the line heads no message
        QTest::newRow("error on line N") << 3 << 3 << "" << ""
                                         << "Error on line 4 or its substitute: could not find "
                                            "a valid modelname";
        QTest::newRow("the quoted card heads nothing") << 4 << -1 << "" << "" << "";
        QTest::newRow("netlist line no.")
            << 7 << 1 << "" << "" << "Netlist line no. 2: Undefined parameter [undefparam]";
        QTest::newRow("element inside a subcircuit")
            << 9 << -1 << "x1" << "q7" << "Error on line: could not find a valid modelname";
        QTest::newRow("unknown subcircuit") << 12 << -1 << "x2" << ""
                                            << "Error: unknown subckt: x2 1 0 nosuch";
        QTest::newRow("the original line, not the internal one")
            << 13 << 11 << "" << "" << "Original line no.: 12, new internal line no.: 54";
        QTest::newRow("a heading whose next line is no card") << 14 << -1 << "" << "" << "";
        QTest::newRow("a word ending in line") << 15 << -1 << "" << "" << "";
        QTest::newRow("numbers") << 17 << -1 << "" << "" << "";
    }
    void messagesNameTheirPlace() {
        QFETCH(int, line);
        QFETCH(int, netlistLine);
        QFETCH(QString, card);
        QFETCH(QString, inner);
        QFETCH(QString, message);
        Text output(kOutput);
        const std::optional<NetlistPlace> place = PlaceAt(output.store, line);
        QCOMPARE(place.has_value(), !message.isEmpty());
        if (!place)
            return;
        QCOMPARE(place->line, netlistLine);
        QCOMPARE(QString::fromStdString(place->card), card);
        QCOMPARE(QString::fromStdString(place->innerPath), inner);
        QCOMPARE(QString::fromStdString(place->message), message);
    }

    // F4 and Shift+F4 step from message to message, over everything else.
    void stepsGoFromMessageToMessage() {
        Text output(kOutput);
        QList<int> forward;
        for (int line = -1; (line = NextPlaceLine(output.store, line, true)) >= 0;)
            forward << line;
        QCOMPARE(forward, (QList<int>{3, 7, 9, 12, 13}));
        QList<int> back;
        for (int line = output.store.LineCount(); (line = NextPlaceLine(output.store, line, false)) >= 0;)
            back << line;
        QCOMPARE(back, (QList<int>{13, 12, 9, 7, 3}));
    }

    // A card is found among the netlist's own, case ignored, not in a subcircuit's
    // definition, a .control section, a comment or the title.
    void cardsAreFoundAtTheTop() {
        Text netlist("x1 title line\n"
                     "* x1 in a comment\n"
                     ".subckt amp a b\n"
                     "X1 a b inner\n"
                     ".ends\n"
                     ".control\n"
                     "x1 = 3\n"
                     ".endc\n"
                     "  X1 in out amp\n"
                     "+ x1\n"
                     "R1 in 0 1k\n");
        QCOMPARE(FindCard(netlist.store, "x1"), 8);
        QCOMPARE(FindCard(netlist.store, "r1"), 10);
        QCOMPARE(FindCard(netlist.store, "r2"), -1);
        Text titleOnly("x1 title\n");
        QCOMPARE(FindCard(titleOnly.store, "x1"), -1);
    }
};

QTEST_APPLESS_MAIN(SimulatorMessagesTest)
#include "tst_simulatormessages.moc"
