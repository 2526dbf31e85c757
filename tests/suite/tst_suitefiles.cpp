// What the suite's side writes beside a circuit: the simulator's output in CR LF lines, with
// progress counts that return the carriage reduced to what a terminal ends up showing; and
// the netlist that makes the expanded listing, its control section turned into comments.

#include <QTest>

#include "SuiteFiles.h"

class SuiteFilesTest : public QObject {
    Q_OBJECT
private slots:
    void crLfLines_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("lines");
        QTest::newRow("nothing") << QByteArray() << QByteArray();
        QTest::newRow("LF ends") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("CR LF ends kept") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("a last line without its LF")
            << QByteArray("a\nb") << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty lines kept") << QByteArray("\n\na\n") << QByteArray("\r\n\r\na\r\n");
        QTest::newRow("a count written over itself")
            << QByteArray(" Reference value :  4.38891e-02\r Reference value :  8.38371e-02\r\n")
            << QByteArray(" Reference value :  8.38371e-02\r\n");
        QTest::newRow("a count written over by a message")
            << QByteArray("Ref : 1\rRef : 2\rNote: no simulations run\nNext\n")
            << QByteArray("Note: no simulations run\r\nNext\r\n");
        QTest::newRow("a shorter text leaves nothing of a longer one")
            << QByteArray("Reference value : 12345\rdone\n") << QByteArray("done\r\n");
        QTest::newRow("a count the output ends on")
            << QByteArray("Ref : 1\rRef : 2\r") << QByteArray("Ref : 2\r\n");
        QTest::newRow("CRs before the line end")
            << QByteArray("abc\r\r\n") << QByteArray("abc\r\n");
        QTest::newRow("a lone CR") << QByteArray("\r") << QByteArray("\r\n");
        QTest::newRow("LF CR: a line end, then a return")
            << QByteArray("a\n\rb\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("bytes above ASCII and tabs pass")
            << QByteArray("\xb5s\t1\n") << QByteArray("\xb5s\t1\r\n");
    }
    void crLfLines() {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, lines);
        QCOMPARE(CrLfLines(text), lines);
    }

    void withoutControlSection_data() {
        QTest::addColumn<QByteArray>("netlist");
        QTest::addColumn<QByteArray>("listed");
        const QByteArray plain("* amp\nR1 1 0 1k\n* see the .control section\n.end\n");
        QTest::newRow("no control section") << plain << plain;
        QTest::newRow("a section in the middle")
            << QByteArray("* t\nR1 1 0 1k\n.control\nrun\nwrdata out.txt v(1)\n.endc\nR2 1 0 2k\n")
            << QByteArray("* t\nR1 1 0 1k\n*\n*\n*\n*\nR2 1 0 2k\n");
        QTest::newRow("capitals and blanks")
            << QByteArray("* t\n  .CONTROL\n\tRUN\n .EndC\nV1 1 0 1\n")
            << QByteArray("* t\n*\n*\n*\nV1 1 0 1\n");
        QTest::newRow("CR LF ends kept") << QByteArray("* t\r\n.control\r\nop\r\n.endc\r\n.end\r\n")
                                         << QByteArray("* t\r\n*\r\n*\r\n*\r\n.end\r\n");
        QTest::newRow("command lines with a star and a hash")
            << QByteArray("* t\n*# echo hi\nR1 1 0 1k\n  *#run")
            << QByteArray("* t\n*\nR1 1 0 1k\n*");
        QTest::newRow("a hash line in a section leaves no star-hash")
            << QByteArray("* t\n.control\n#x\n.endc\n") << QByteArray("* t\n*\n*\n*\n");
        QTest::newRow("the title is never a command")
            << QByteArray(".control\nR1 1 0 1k\n") << QByteArray(".control\nR1 1 0 1k\n");
        QTest::newRow("a section without its end runs to the last line")
            << QByteArray("* t\nR1 1 0 1\n.control\nrun\nquit")
            << QByteArray("* t\nR1 1 0 1\n*\n*\n*");
        QTest::newRow("an end with no section")
            << QByteArray("* t\n.endc\nR1 1 0 1\n") << QByteArray("* t\n.endc\nR1 1 0 1\n");
        QTest::newRow("two sections")
            << QByteArray("* t\n.control\nop\n.endc\nR1 1 0 1\n.control\nquit\n.endc\n.end\n")
            << QByteArray("* t\n*\n*\n*\nR1 1 0 1\n*\n*\n*\n.end\n");
    }
    void withoutControlSection() {
        QFETCH(QByteArray, netlist);
        QFETCH(QByteArray, listed);
        QCOMPARE(WithoutControlSection(netlist), listed);
    }
};

QTEST_MAIN(SuiteFilesTest)
#include "tst_suitefiles.moc"
