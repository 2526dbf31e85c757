#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "Definitions.h"

using Definitions::Kind;

// Go To Definition's resolver over a small tree of netlist files: the name at the caret,
// and where it is defined through .include and .lib.
class DefinitionsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_top; // top.cir's bytes, which the walk starts from as an open document's

    void Write(const QString& name, const QByteArray& bytes) {
        QDir(m_dir.path()).mkpath(QFileInfo(name).path());
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static Definitions::Lines Split(const QByteArray& bytes) {
        Definitions::Lines lines;
        for (qsizetype start = 0; start < bytes.size();) {
            qsizetype end = bytes.indexOf('\n', start);
            if (end < 0)
                end = bytes.size();
            lines.emplace_back(bytes.constData() + start, std::size_t(end - start));
            start = end + 1;
        }
        return lines;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_top = "* an amplifier\n"                    // 0: the title
                ".include sub/level1.inc\n"           // 1
                ".lib 'lib/models.lib' tt\n"          // 2
                ".param gain=2\n"                     // 3
                "X1 in out amp\n"                     // 4
                "Q1 c b e sub qfast 1.5 off\n"        // 5
                "R1 out 0 {gain*rload}\n"             // 6
                "D1 a 0 dtwice\n"                     // 7
                "X2 a b\n"                            // 8
                "+ nowhere params: w=1\n"             // 9
                ".subckt local a b params: rload=5\n" // 10
                ".param gain=3\n"                     // 11
                "R2 a b {gain}\n"                     // 12
                "X3 a b amp\n"                        // 13
                ".ends local\n"                       // 14
                ".include loop1.inc\n"                // 15
                ".end\n";
        Write("top.cir", m_top);
        // Found beside the file that includes it, two levels down.
        Write("sub/level1.inc", ".include level2.inc\n.model dtwice d is=1\n");
        Write("sub/level2.inc", ".subckt amp in out\nR1 in out 1k\n.ends amp\n"
                                ".param rload=1k\n.model DTWICE d is=2\n");
        // Only the section asked for counts.
        Write("lib/models.lib", ".lib ff\n.model qfast npn bf=50\n.endl ff\n"
                                ".lib tt\n* typical\n.model qfast npn bf=100\n.endl tt\n");
        Write("loop1.inc", ".include loop2.inc\n.model inloop d\n");
        Write("loop2.inc", ".include loop1.inc\n.include top.cir\n");
    }

    void findsTheDefinitionOfTheNameAtTheCaret_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("word"); // the caret in its middle
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("places"); // file:line, 0-based

        const int none = int(Kind::None);
        const int subckt = int(Kind::Subcircuit);
        const int model = int(Kind::Model);
        const int param = int(Kind::Parameter);
        QTest::newRow("subcircuit two includes down")
            << 4 << QByteArray("amp") << subckt << QStringList{"sub/level2.inc:0"};
        QTest::newRow("model in a library's section")
            << 5 << QByteArray("qfast") << model << QStringList{"lib/models.lib:5"};
        QTest::newRow("parameter in braces")
            << 6 << QByteArray("gain") << param << QStringList{"top.cir:3"};
        QTest::newRow("parameter in an included file")
            << 6 << QByteArray("rload") << param << QStringList{"sub/level2.inc:3"};
        QTest::newRow("the subcircuit's own parameter wins inside it")
            << 12 << QByteArray("gain") << param << QStringList{"top.cir:11"};
        QTest::newRow("a subcircuit used inside another")
            << 13 << QByteArray("amp") << subckt << QStringList{"sub/level2.inc:0"};
        QTest::newRow("defined twice, letter case aside")
            << 7 << QByteArray("dtwice") << model
            << QStringList{"sub/level2.inc:4", "sub/level1.inc:1"};
        QTest::newRow("subcircuit on a + line, defined nowhere")
            << 9 << QByteArray("nowhere") << subckt << QStringList{};
        QTest::newRow("a .param's own name")
            << 3 << QByteArray("gain") << param << QStringList{"top.cir:3"};
        QTest::newRow("a node names nothing") << 4 << QByteArray("out") << none << QStringList{};
        QTest::newRow("a substrate node is not the model")
            << 5 << QByteArray("sub") << none << QStringList{};
        QTest::newRow("the title names nothing")
            << 0 << QByteArray("amplifier") << none << QStringList{};
        QTest::newRow("an included file's name")
            << 15 << QByteArray("loop1") << none << QStringList{};
    }

    void findsTheDefinitionOfTheNameAtTheCaret() {
        QFETCH(int, line);
        QFETCH(QByteArray, word);
        QFETCH(int, kind);
        QFETCH(QStringList, places);
        const Definitions::Lines lines = Split(m_top);
        const std::string_view text = lines[std::size_t(line)];
        const std::size_t at = text.find(word.toStdString());
        QVERIFY(at != std::string_view::npos);
        const TextPos caret{line, std::int16_t(at + std::size_t(word.size()) / 2)};

        const Definitions::Word found = Definitions::WordAt(lines, true, caret);
        QCOMPARE(int(found.kind), kind);
        if (kind != int(Kind::None))
            QCOMPARE(QByteArray::fromStdString(found.name), word);

        const FileName top = FileName::FromText(m_dir.filePath("top.cir"));
        const std::vector<Definitions::Place> result =
            Definitions::Find(top, lines, true, caret, found, {});
        QStringList got;
        for (const Definitions::Place& place : result)
            got << QString("%1:%2")
                       .arg(QDir(m_dir.path()).relativeFilePath(place.file.Display()))
                       .arg(place.line);
        QCOMPARE(got, places);
    }

    // Each file of a cycle is read once: the model defined inside it is found once, and
    // the walk ends.
    void includeCycleEndsAndFindsOnce() {
        const Definitions::Lines lines = Split(m_top);
        const Definitions::Word word{"inloop", Kind::Model};
        const std::vector<Definitions::Place> result = Definitions::Find(
            FileName::FromText(m_dir.filePath("top.cir")), lines, true, {7, 0}, word, {});
        QCOMPARE(result.size(), std::size_t(1));
        QCOMPARE(result[0].file, FileName::FromText(m_dir.filePath("loop1.inc")));
        QCOMPARE(result[0].text, std::string(".model inloop d"));
    }

    // An untitled netlist has no folder: its includes are looked for in the search list.
    void untitledNetlistSearchesTheList() {
        const QByteArray untitled = "* t\n.include level1.inc\nD1 a 0 dtwice\n";
        const Definitions::Lines lines = Split(untitled);
        Definitions::Sources sources;
        sources.directories = {FileName::FromText(m_dir.filePath("sub") + "/")};
        QCOMPARE(
            Definitions::Find({}, lines, true, {2, 10}, {"dtwice", Kind::Model}, sources).size(),
            std::size_t(2));
    }
};

QTEST_MAIN(DefinitionsTest)
#include "tst_definitions.moc"
