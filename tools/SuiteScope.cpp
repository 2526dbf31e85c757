#include "SuiteScope.h"

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryFile>

#include "RawPlots.h"

// Draws the plots of the circuit's last run with gnuplot, which goes on by itself: its
// windows stay after it has read its script, and kelvo-suite does not wait for them. Returns
// whether gnuplot started.
bool Scope(const Circuit& circuit) {
    const QString path = circuit.File("raw");
    const QString cir = circuit.File("cir");
    QFile raw(path);
    if (!raw.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr,
                     "kelvo-suite: Scope: %s has no waveforms yet; simulate it first (Ctrl+G in "
                     "the editor, or kelvo-suite simulate)\n",
                     qPrintable(cir));
        return false;
    }
    const QByteArray script =
        GnuplotScript(ReadRawPlots(raw.readAll()), QFile::encodeName(QFileInfo(path).fileName()));
    if (script.isEmpty()) {
        std::fprintf(stderr,
                     "kelvo-suite: Scope: the last run of %s left nothing to draw over time or "
                     "frequency (an operating point only)\n",
                     qPrintable(cir));
        return false;
    }
    // gnuplot reads its script from this file as its input: once it runs, the file can go.
    QTemporaryFile file(QDir::temp().filePath("kelvo-suite-scope-XXXXXX.gp"));
    if (!file.open() || file.write(script) != script.size() || !file.flush()) {
        std::fprintf(stderr, "kelvo-suite: Scope: cannot write the plot's script: %s\n",
                     qPrintable(file.errorString()));
        return false;
    }
    QProcess gnuplot;
    gnuplot.setProgram("gnuplot");
    gnuplot.setArguments({"-persist"});
    gnuplot.setStandardInputFile(file.fileName());
    gnuplot.setWorkingDirectory(circuit.folder);
    if (!gnuplot.startDetached()) {
        std::fprintf(stderr,
                     "kelvo-suite: Scope draws with gnuplot, which could not be started (%s); "
                     "install it with: sudo apt install gnuplot-x11\n",
                     qPrintable(gnuplot.errorString()));
        return false;
    }
    std::printf("drawing %s\n", qPrintable(path));
    std::fflush(stdout);
    return true;
}
