#pragma once

// What the suite's side makes of a netlist and of the simulator's output before they become
// files beside the circuit.

#include <QByteArray>
#include <QList>

// The text in lines that end with CR LF, as the suite's files are read: a line ends at an LF,
// with the CR just before it if there is one. Any other CR only returns the carriage, as a
// progress count does to write over itself: of such a line the text after its last CR
// survives, which is what a terminal ends up showing, without what is left of a longer text
// written over (half of an old count). A CR that nothing follows on its line overwrites
// nothing and is dropped. A last line without its LF gets its CR LF too.
QByteArray CrLfLines(const QByteArray& text);

// The netlist with its control section turned into comment lines: the lines from .control to
// .endc and the lines that begin with "*#", after any blanks, letters in either case; the first
// line is the title and never a command. Each such line becomes a lone "*" with its own line
// end, so every other line keeps its number. Loading the result runs no command of the netlist.
QByteArray WithoutControlSection(const QByteArray& netlist);

// Whether the netlist has a control section: a line, after the title, that begins with .control
// (after any blanks, letters in either case).
bool HasControlSection(const QByteArray& netlist);

// The netlist with every plot its control section leaves written into `folder`, one raw file
// a plot (PLOT.raw, the constants' plot too), as ngspice's `write` does: the lines that do it
// stand before each quit or exit of a control section and before the .endc of the last one,
// so they run however the section ends, and leave the current plot as it was. Every other
// line is kept as it is, with its line end; a netlist without a control section comes back
// unchanged. `folder` is written between single quotes and holds none.
QByteArray WithPlotsWritten(const QByteArray& netlist, const QByteArray& folder);

// What ngspice wrote to its output, without the lines with which it reported writing a raw
// file into `folder` ("binary raw file "FOLDER/NAME"", or ASCII), and those files' names in the
// order written, each once.
struct RawReports {
    QByteArray output;
    QList<QByteArray> files;
};
RawReports TakeRawReports(const QByteArray& output, const QByteArray& folder);
