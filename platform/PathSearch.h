#pragma once

#include <QString>

// The directory of the running program, ending in "/".
QString ProgramDirectory();
// The current directory, ending in "/".
QString CurrentDirectory();

// The full path of an existing file named `name`: a name starting with "/" is used as it
// stands, "~/" starts from the home directory; any other name is looked for in
// `directory` only (which ends in "/"), or, with no directory, in the program's directory,
// the current directory, then each PATH entry. Empty when nothing is found.
QString SearchFile(const QString& directory, const QString& name);
