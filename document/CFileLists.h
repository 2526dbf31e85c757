#pragma once

#include <QString>
#include <QStringList>

// The files opened so far and the directories they came from, in the order first seen.
// Bare file names are later looked for in these directories. The application owns it.
class CFileLists {
public:
    const QStringList& OpenedFiles() const { return m_openedFiles; }
    // Each ends with "/".
    const QStringList& Directories() const { return m_directories; }

    // Exact, case-sensitive comparison: paths that differ only in case are both kept.
    void AddOpenedFile(const QString& path);
    // Puts the path first, unless it is already listed.
    void PrefixPath(const QString& path);
    void AddDirectory(const QString& directory);
    // The directory part of a path, up to and including its last "/"; added when not empty.
    void AddDirectoryOf(const QString& path);

private:
    QStringList m_openedFiles;
    QStringList m_directories;
};
