#include "SuiteSimulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "SuiteFiles.h"

Circuit CircuitOf(const QString& argument) {
    const QFileInfo info(QDir::current().absoluteFilePath(argument));
    Circuit circuit;
    circuit.folder = info.absolutePath();
    if (!circuit.folder.endsWith('/'))
        circuit.folder += '/';
    const QString suffix = info.suffix();
    circuit.name =
        suffix.compare("cir", Qt::CaseInsensitive) == 0 ? info.completeBaseName() : info.fileName();
    circuit.upperCase = suffix == "CIR";
    return circuit;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return false;
    return file.flush();
}

// ngspice run as its user runs it: from the circuit's folder, where it looks for includes
// first and for the user's init file (.spiceinit, which may set ngbehavior, say) before the
// home folder.
Run RunSimulator(const Circuit& circuit, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.setWorkingDirectory(circuit.folder);
    process.start("ngspice", arguments);
    Run run;
    run.started = process.waitForStarted(10000);
    if (!run.started) {
        run.err = "kelvo-suite: ngspice could not be started (" + process.errorString().toUtf8() +
                  "); install it with: apt-get install ngspice\n";
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
    }
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return run;
}

// The netlist as ngspice expands it (subcircuits and includes in place): what comes after
// a marker that is echoed just before the listing, without ngspice's last words ("ngspice-39
// done"). Loading a netlist runs its control section, which may simulate and write files, so
// ngspice loads a copy without it, kept in a folder of its own: run from the circuit's
// folder, it finds the includes there all the same.
QByteArray ExpandedListing(const Circuit& circuit) {
    static const QByteArray marker = "@@kelvo-suite-listing@@";
    QFile netlist(circuit.File("cir"));
    const QTemporaryDir folder;
    if (!folder.isValid() || !netlist.open(QIODevice::ReadOnly))
        return {};
    const QString copy = folder.filePath(QFileInfo(netlist).fileName());
    if (!WriteFile(copy, WithoutControlSection(netlist.readAll())))
        return {};
    const Run run =
        RunSimulator(circuit, {"-p", copy}, "echo " + marker + "\nlisting expand\nquit\n");
    const qsizetype at = run.out.indexOf(marker + '\n');
    if (at < 0)
        return {};
    QByteArray listing = run.out.mid(at + marker.size() + 1);
    const qsizetype last = listing.lastIndexOf('\n', listing.size() - 2) + 1;
    if (listing.mid(last).startsWith("ngspice-"))
        listing.truncate(last);
    return listing;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the circuit as `ngspice -b` does, and gives the plots the run leaves as one raw file.
// ngspice in batch mode leaves the tables of .print out of its output when it writes a raw
// file, and writes none for a netlist with a control section. So a netlist without one runs a
// second time for its plots; one with a control section, which may write files of its own,
// runs once, from a copy whose control section writes every plot it leaves as it ends. The
// copies live in a folder of their own; run from the circuit's folder, they find the includes
// there all the same.
Run SimulateKeepingPlots(const Circuit& circuit, QByteArray& raw) {
    raw.clear();
    const QString path = circuit.File("cir");
    QFile netlist(path);
    const QTemporaryDir folder;
    if (!folder.isValid() || !netlist.open(QIODevice::ReadOnly))
        return RunSimulator(circuit, {"-b", path}, {});
    const QByteArray text = netlist.readAll();
    const QString copy = folder.filePath(QFileInfo(netlist).fileName());
    const QByteArray where = QFile::encodeName(folder.path());
    if (HasControlSection(text) && WriteFile(copy, WithPlotsWritten(text, where))) {
        Run run = RunSimulator(circuit, {"-b", copy}, {});
        RawReports reports = TakeRawReports(run.out, where);
        run.out = reports.output;
        // The constants' plot is ngspice's own, the same for every circuit.
        for (const QByteArray& name : reports.files)
            if (name != "const.raw")
                raw += ReadFile(folder.filePath(QFile::decodeName(name)));
        return run;
    }
    const Run run = RunSimulator(circuit, {"-b", path}, {});
    if (run.started && !HasControlSection(text) && WriteFile(copy, WithoutControlSection(text))) {
        const QString plots = folder.filePath("plots.raw");
        RunSimulator(circuit, {"-b", "-r", plots, copy}, {});
        raw = ReadFile(plots);
    }
    return run;
}
