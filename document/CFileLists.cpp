#include "CFileLists.h"

void CFileLists::AddOpenedFile(const QString& path) {
    if (!m_openedFiles.contains(path))
        m_openedFiles.append(path);
}

void CFileLists::PrefixPath(const QString& path) {
    if (!m_openedFiles.contains(path))
        m_openedFiles.prepend(path);
}

void CFileLists::AddDirectory(const QString& directory) {
    if (!directory.isEmpty() && !m_directories.contains(directory))
        m_directories.append(directory);
}

void CFileLists::AddDirectoryOf(const QString& path) {
    AddDirectory(path.left(path.lastIndexOf('/') + 1));
}
