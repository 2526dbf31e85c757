#include "CFileLists.h"

void CFileLists::AddOpenedFile(const FileName& path) {
    if (!m_openedFiles.contains(path))
        m_openedFiles.append(path);
}

void CFileLists::PrefixPath(const FileName& path) {
    if (!m_openedFiles.contains(path))
        m_openedFiles.prepend(path);
}

void CFileLists::AddDirectory(const FileName& directory) {
    if (!directory.isEmpty() && !m_directories.contains(directory))
        m_directories.append(directory);
}

void CFileLists::AddDirectoryOf(const FileName& path) {
    AddDirectory(path.Folder());
}
