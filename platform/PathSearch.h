#pragma once

#include "FileName.h"

// The directory of the running program, ending in "/".
FileName ProgramDirectory();
// The current directory, ending in "/".
FileName CurrentDirectory();
// The home directory, without a final "/".
FileName HomeDirectory();

// The full path of an existing file named `name`: a name starting with "/" is used as it
// stands, "~/" starts from the home directory; any other name is looked for in
// `directory` only (which ends in "/"), or, with no directory, in the program's directory,
// the current directory, then each PATH entry. Empty when nothing is found.
FileName SearchFile(const FileName& directory, const FileName& name);
// As SearchFile, but whatever the name names counts, a folder, a FIFO or a device too.
FileName SearchEntry(const FileName& directory, const FileName& name);

// The name made absolute against the current directory, with "." and ".." resolved as
// text (links are not followed).
FileName AbsolutePath(const FileName& name);
// The path with every link resolved; the absolute path when it cannot be resolved.
FileName CanonicalPath(const FileName& path);
