#pragma once

#include <QString>
#include <QStringList>

// The command line as text: what a second start hands to the running editor and what
// OpenCommandLine reads. Tokens are separated by any of " \t\r\n+\""; a run in double
// quotes is one token, in which two double quotes stand for one, so that every name is
// carried exactly (text without a double quote scans as it always did).
namespace CommandLine {

inline constexpr char kSeparators[] = " \t\r\n+\"";

bool IsSeparator(QChar c);
// The next token from `at`, which moves past it; empty at the end. `exact`, when given,
// says whether the text shows where the token ends: it is false for a quoted run left open
// and for a token that touches a double quote (q"x.cir), which Build never writes.
QString NextToken(const QString& text, qsizetype& at, bool* exact = nullptr);

// The program name and its arguments as one text: the file argument (the first after the
// program name) made absolute, every argument holding a separator in double quotes, its
// own double quotes doubled. NextToken reads each argument back exactly.
QString Build(const QStringList& arguments, const QString& currentDirectory);

// The process's arguments as file names carry them: every byte comes back exactly, also
// where it is not valid UTF-8 (QCoreApplication::arguments() would lose it).
QStringList Arguments(int argc, const char* const* argv);

// The directory of the "/p" (or "-p") option: an argument after the file that starts with
// it. Empty when there is none; "/" is appended to what follows the option.
QStringList DirectoryOptions(const QStringList& arguments);

} // namespace CommandLine
