#pragma once

#include "FileName.h"

// The files opened so far and the directories they came from, in the order first seen.
// Bare file names are later looked for in these directories. The application owns it.
class CFileLists {
public:
    const FileNameList& OpenedFiles() const { return m_openedFiles; }
    // Each ends with "/".
    const FileNameList& Directories() const { return m_directories; }

    // Exact, case-sensitive comparison: paths that differ only in case are both kept.
    void AddOpenedFile(const FileName& path);
    // Puts the path first, unless it is already listed.
    void PrefixPath(const FileName& path);
    void AddDirectory(const FileName& directory);
    // The directory part of a path, up to and including its last "/"; added when not empty.
    void AddDirectoryOf(const FileName& path);

private:
    FileNameList m_openedFiles;
    FileNameList m_directories;
};
