#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The circuit as the suite names it: its folder (ending in "/"), its name without the
// extension, and the extension's letter case, which the simulation's files follow.
struct Circuit {
    QString folder;
    QString name;
    bool upperCase = false;

    QString File(const char* extension) const {
        const QString ext = QString::fromLatin1(extension);
        return folder + name + '.' + (upperCase ? ext.toUpper() : ext.toLower());
    }
};

// The circuit a command line names (PATH with or without .cir), made absolute.
Circuit CircuitOf(const QString& argument);

bool WriteFile(const QString& path, const QByteArray& bytes);
// The file's bytes; empty when it cannot be read.
QByteArray ReadFile(const QString& path);

// One run of ngspice: whether it started, whether it ended by itself with status 0, and
// what it wrote.
struct Run {
    bool started = false;
    bool ok = false;
    QByteArray out;
    QByteArray err;
};

// ngspice on the circuit with these arguments and this input, from the circuit's folder.
Run RunSimulator(const Circuit& circuit, const QStringList& arguments, const QByteArray& input);
// The netlist as ngspice expands it, subcircuits and includes in place; empty when ngspice
// gives none.
QByteArray ExpandedListing(const Circuit& circuit);
// Runs the circuit as `ngspice -b` does; `raw` gets the plots the run leaves, as one raw file.
Run SimulateKeepingPlots(const Circuit& circuit, QByteArray& raw);
