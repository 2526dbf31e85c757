#pragma once

#include <string>

#include "CArchive.h"

// A file that replaces `path` only when every byte is written: the bytes go to a new file
// beside it, which Commit flushes and renames over the old one, with the old file's
// permissions. Until then, and whenever anything fails, the old file stays untouched.
// A symbolic link is followed, so the link stays a link.
class CAtomicSaveFile : public CFile {
public:
    explicit CAtomicSaveFile(const std::string& path); // throws CFileException
    ~CAtomicSaveFile() override;                       // drops an uncommitted new file
    CAtomicSaveFile(const CAtomicSaveFile&) = delete;
    CAtomicSaveFile& operator=(const CAtomicSaveFile&) = delete;

    std::int64_t GetLength() override { return m_written; }
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    void Commit(); // throws CFileException

private:
    int m_fd = -1;
    std::string m_target;
    std::string m_temporary;
    std::string m_directory;
    std::int64_t m_written = 0;
};
