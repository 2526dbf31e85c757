#pragma once

// What the suite's side makes of a netlist and of the simulator's output before they become
// files beside the circuit.

#include <QByteArray>

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
