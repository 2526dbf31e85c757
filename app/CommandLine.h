#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include "FileName.h"

// The command line as bytes: what a second start hands to the running editor and what
// OpenCommandLine reads. Tokens are separated by any of " \t\r\n+\""; a run in double
// quotes is one token, in which two double quotes stand for one, so that every name is
// carried exactly (text without a double quote scans as it always did). The separators
// are ASCII, which no byte of a longer UTF-8 sequence is: names are never decoded here.
namespace CommandLine {

inline constexpr char kSeparators[] = " \t\r\n+\"";

bool IsSeparator(char c);
// The next token from `at`, which moves past it; empty at the end. `exact`, when given,
// says whether the text shows where the token ends: it is false for a quoted run left open
// and for a token that touches a double quote (q"x.cir), which Build never writes.
QByteArray NextToken(const QByteArray& text, qsizetype& at, bool* exact = nullptr);

// The program name and its arguments as one line: the file argument (the first after the
// program name) made absolute, every argument holding a separator in double quotes, its
// own double quotes doubled. NextToken reads each argument back exactly.
QByteArray Build(const QByteArrayList& arguments, const FileName& currentDirectory);

// The process's arguments, every byte as the system gave it (QCoreApplication::arguments()
// would lose a byte that is not valid UTF-8).
QByteArrayList Arguments(int argc, const char* const* argv);

// The directory of the "/p" (or "-p") option: an argument after the file that starts with
// it. Empty when there is none; "/" is appended to what follows the option.
FileNameList DirectoryOptions(const QByteArrayList& arguments);

} // namespace CommandLine
