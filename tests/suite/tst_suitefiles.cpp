// What the suite's side writes beside a circuit: the simulator's output in CR LF lines, with
// progress counts that return the carriage reduced to what a terminal ends up showing; and
// the netlist that makes the expanded listing, its control section turned into comments; the
// netlist whose control section keeps its plots, and the raw files read back for Scope.

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstring>

#include "RawPlots.h"
#include "SuiteFiles.h"

namespace {

// The lines WithPlotsWritten puts in, each ended with `end`.
QByteArray Writer(const QByteArray& end = "\n") {
    return "set kelvo_suite_plot = $curplot" + end + "foreach kelvo_suite_p $plots" + end +
           "write '/t/{$kelvo_suite_p}.raw' {$kelvo_suite_p}.all" + end + "end" + end +
           "setplot $kelvo_suite_plot" + end;
}

// A raw file as ngspice writes one, binary or ASCII: the model the reader is held against.
QByteArray RawFile(const std::vector<RawPlot>& plots, bool binary) {
    QByteArray bytes;
    for (const RawPlot& plot : plots) {
        bytes += "Title: " + plot.title +
                 "\nDate: Wed Dec  9 21:58:40  2026\nPlotname: " + plot.name +
                 "\nFlags: " + (plot.complex ? "complex" : "real") +
                 "\nNo. Variables: " + QByteArray::number(plot.variables.size()) +
                 "\nNo. Points: " + QByteArray::number(plot.Points()) + "     \nVariables:\n";
        for (qsizetype i = 0; i < plot.variables.size(); ++i)
            bytes += '\t' + QByteArray::number(i) + '\t' + plot.variables[i].name + '\t' +
                     plot.variables[i].type + "\n";
        if (binary) {
            bytes += "Binary:\n";
            bytes.append(reinterpret_cast<const char*>(plot.values.data()),
                         qsizetype(plot.values.size() * sizeof(double)));
            continue;
        }
        bytes += "Values:\n";
        const int step = plot.complex ? 2 : 1;
        for (qsizetype point = 0; point < plot.Points(); ++point) {
            bytes += ' ' + QByteArray::number(point);
            for (qsizetype at = point * plot.Width(); at < (point + 1) * plot.Width(); at += step) {
                bytes += '\t' + QByteArray::number(plot.values[std::size_t(at)], 'e', 15);
                if (plot.complex)
                    bytes += ',' + QByteArray::number(plot.values[std::size_t(at + 1)], 'e', 15);
                bytes += "\n";
            }
        }
        bytes += "\n";
    }
    return bytes;
}

RawPlot RandomPlot(QRandomGenerator& random) {
    static const char* const kTypes[] = {"voltage", "current", "notype"};
    RawPlot plot;
    plot.title = "* circuit " + QByteArray::number(random.bounded(100));
    plot.name = random.bounded(2) ? "Transient Analysis" : "AC Analysis";
    plot.complex = random.bounded(2) == 1;
    plot.variables.append(RawVariable{"time", "time"});
    for (int i = random.bounded(4); i > 0; --i)
        plot.variables.append(
            RawVariable{"v(n" + QByteArray::number(i) + ")", kTypes[random.bounded(3)]});
    for (qsizetype i = random.bounded(6) * plot.Width(); i > 0; --i)
        plot.values.push_back((random.generateDouble() - 0.5) *
                              std::pow(10, random.bounded(-12, 12)));
    return plot;
}

} // namespace

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

    // Every plot is written however the control section ends: before each quit or exit in a
    // section, and before the end of the last section; every line of the netlist stays.
    void withPlotsWritten_data() {
        QTest::addColumn<QByteArray>("netlist");
        QTest::addColumn<QByteArray>("written"); // empty: the netlist as it was, no section
        QTest::newRow("no control section")
            << QByteArray("* t\nR1 1 0 1k\n.tran 1u 1m\n.end\n") << QByteArray();
        QTest::newRow("a title that reads .control")
            << QByteArray(".control\nR1 1 0 1k\n.endc\n") << QByteArray();
        QTest::newRow("a section that ends with quit")
            << QByteArray("* t\n.control\nrun\nquit\n.endc\n.end\n")
            << "* t\n.control\nrun\n" + Writer() + "quit\n" + Writer() + ".endc\n.end\n";
        QTest::newRow("exit and quit with a status, in capitals, after blanks")
            << QByteArray("* t\n.CONTROL\nif 1\n  Quit 1\nend\n\texit\n.ENDC\n")
            << "* t\n.CONTROL\nif 1\n" + Writer() + "  Quit 1\nend\n" + Writer() + "\texit\n" +
                   Writer() + ".ENDC\n";
        QTest::newRow("words that only begin like quit")
            << QByteArray("* t\n.control\nquitter\nexits\n.endc\n")
            << "* t\n.control\nquitter\nexits\n" + Writer() + ".endc\n";
        QTest::newRow("quit outside a section is no command")
            << QByteArray("* t\nquit\n.control\nop\n.endc\nquit\n")
            << "* t\nquit\n.control\nop\n" + Writer() + ".endc\nquit\n";
        QTest::newRow("the last of two sections")
            << QByteArray("* t\n.control\nop\n.endc\nR1 1 0 1\n.control\ntran 1u 1m\n.endc\n")
            << "* t\n.control\nop\n.endc\nR1 1 0 1\n.control\ntran 1u 1m\n" + Writer() + ".endc\n";
        QTest::newRow("CR LF ends kept")
            << QByteArray("* t\r\n.control\r\nquit\r\n.endc")
            << "* t\r\n.control\r\n" + Writer("\r\n") + "quit\r\n" + Writer() + ".endc";
    }
    void withPlotsWritten() {
        QFETCH(QByteArray, netlist);
        QFETCH(QByteArray, written);
        QCOMPARE(HasControlSection(netlist), !written.isEmpty());
        QCOMPARE(WithPlotsWritten(netlist, "/t"), written.isEmpty() ? netlist : written);
    }

    void takeRawReports() {
        const QByteArray output = "v(out)[3] = 1.28e-07\n"
                                  "binary raw file \"/t/op1.raw\"\n"
                                  "binary raw file \"/home/u/mine.raw\"\r\n"
                                  "ASCII raw file \"/t/tran1.raw\"\n"
                                  "binary raw file \"/t/op1.raw\"\n"
                                  "echo binary raw file \"/t/x.raw\"\n"
                                  "binary raw file \"/t/sub/a.raw\" \n"
                                  "ngspice-39 done";
        const RawReports reports = TakeRawReports(output, "/t");
        QCOMPARE(reports.output, QByteArray("v(out)[3] = 1.28e-07\n"
                                            "binary raw file \"/home/u/mine.raw\"\r\n"
                                            "echo binary raw file \"/t/x.raw\"\n"
                                            "binary raw file \"/t/sub/a.raw\" \n"
                                            "ngspice-39 done"));
        QCOMPARE(reports.files, (QList<QByteArray>{"op1.raw", "tran1.raw"}));
    }

    // Random plots written as ngspice writes them, binary and ASCII, read back whole.
    void rawPlotsReadBack() {
        QRandomGenerator random(19);
        for (int round = 0; round < 200; ++round) {
            std::vector<RawPlot> plots;
            for (int i = random.bounded(1, 4); i > 0; --i)
                plots.push_back(RandomPlot(random));
            for (const bool binary : {true, false}) {
                const std::vector<RawPlot> read = ReadRawPlots(RawFile(plots, binary));
                QCOMPARE(read.size(), plots.size());
                for (std::size_t i = 0; i < plots.size(); ++i) {
                    QCOMPARE(read[i].title, plots[i].title);
                    QCOMPARE(read[i].name, plots[i].name);
                    QCOMPARE(read[i].complex, plots[i].complex);
                    QCOMPARE(read[i].variables.size(), plots[i].variables.size());
                    QCOMPARE(read[i].variables.last().type, plots[i].variables.last().type);
                    QCOMPARE(read[i].values.size(), plots[i].values.size());
                    for (std::size_t v = 0; v < plots[i].values.size(); ++v)
                        QVERIFY(qFuzzyCompare(1 + read[i].values[v], 1 + plots[i].values[v]) ||
                                std::abs(read[i].values[v] - plots[i].values[v]) <=
                                    1e-14 * std::abs(plots[i].values[v]));
                }
            }
        }
    }

    // A run cut short leaves its whole points; what is no raw file is no plot.
    void rawPlotsCutShort() {
        RawPlot plot;
        plot.name = "Transient Analysis";
        plot.variables = {{"time", "time"}, {"v(1)", "voltage"}};
        plot.values = {0, 1, 1, 2, 2, 4};
        QByteArray binary = RawFile({plot}, true);
        binary.chop(3);
        QCOMPARE(ReadRawPlots(binary).at(0).Points(), 2);
        QByteArray ascii = RawFile({plot}, false);
        ascii.truncate(ascii.lastIndexOf(" 2\t"));
        QCOMPARE(ReadRawPlots(ascii).at(0).Points(), 2);
        QVERIFY(ReadRawPlots("* a netlist\nR1 1 0 1k\n.end\n").empty());
        QVERIFY(ReadRawPlots({}).empty());
    }

    // The data are in the script, a window a plot of two points or more; currents on the
    // right axis, complex values in dB over a logarithmic scale.
    void gnuplotScript() {
        RawPlot op;
        op.name = "Operating Point";
        op.variables = {{"v(1)", "voltage"}, {"v(2)", "voltage"}};
        op.values = {1, 2};
        QVERIFY(GnuplotScript({op}, "a.raw").isEmpty());
        RawPlot tran;
        tran.title = "* it's a test";
        tran.name = "Transient Analysis";
        tran.variables = {{"time", "time"}, {"v(out)", "voltage"}, {"i(v1)", "current"}};
        tran.values = {0, 1, -0.5, 1e-3, 2, 0.25};
        RawPlot ac;
        ac.name = "AC Analysis";
        ac.complex = true;
        ac.variables = {{"frequency", "frequency"}, {"v(out)", "voltage"}};
        ac.values = {10, 0, 3, 4, 100, 0, 0, 0};
        const QByteArray script = GnuplotScript({op, tran, ac}, "a.raw");
        QVERIFY(script.contains("$kelvo0 << EOD\n0 1 -0.5\n0.001 2 0.25\nEOD\n"));
        QVERIFY(script.contains("set terminal @GPVAL_TERM 0 title 'Scope - a.raw: Transient "
                                "Analysis'\n"));
        QVERIFY(script.contains("set title '* it''s a test'\n"));
        QVERIFY(script.contains("plot $kelvo0 using 1:2 with lines title 'v(out)', '' using "
                                "1:3 axes x1y2 with lines title 'i(v1)'\n"));
        QVERIFY(script.contains("set xlabel 'time (s)'\n"));
        // |3 + 4i| = 5 is 13.98 dB; 0 has none.
        QVERIFY(script.contains("$kelvo1 << EOD\n10 13.9794000867\n100 NaN\nEOD\n"));
        QVERIFY(script.contains("set terminal @GPVAL_TERM 1 title 'Scope - a.raw: AC Analysis'"));
        QVERIFY(script.contains("set logscale x\nset ylabel 'voltage (dB)'\n"));
        QCOMPARE(script.count("set logscale x"), 1);
        QCOMPARE(script.count("set terminal"), 2);
    }
};

QTEST_MAIN(SuiteFilesTest)
#include "tst_suitefiles.moc"
