#pragma once

#include <QString>

// Names here are file names as FileName.h carries them: the system's bytes, exactly.

// The directory of the running program, ending in "/".
QString ProgramDirectory();
// The current directory, ending in "/".
QString CurrentDirectory();
// The home directory, without a final "/".
QString HomeDirectory();

// The full path of an existing file named `name`: a name starting with "/" is used as it
// stands, "~/" starts from the home directory; any other name is looked for in
// `directory` only (which ends in "/"), or, with no directory, in the program's directory,
// the current directory, then each PATH entry. Empty when nothing is found.
QString SearchFile(const QString& directory, const QString& name);
// As SearchFile, but whatever the name names counts, a folder, a FIFO or a device too.
QString SearchEntry(const QString& directory, const QString& name);

// The name made absolute against the current directory, with "." and ".." resolved as
// text (links are not followed).
QString AbsolutePath(const QString& name);
// The path with every link resolved; the absolute path when it cannot be resolved.
QString CanonicalPath(const QString& path);
