#pragma once

#include <csignal>
#include <string>

#include <sys/types.h>

#include "CFile.h"

// A file that replaces `path` only when every byte is written: the bytes go to a new file
// beside it, which Commit flushes and renames over the old one, with the old file's owner
// and permissions. Until then, and whenever anything fails, the old file stays untouched.
// Links are followed to the end of their chain, so every link stays a link.
//
// Where a new file would lose what the old one is (its folder lets no new file be made,
// it has other hard links, or its owner or group cannot be given to a new file), the old
// file is written in place instead: its bytes are first copied to a backup beside it or
// in the user's cache folder, put back when anything fails, and removed after Commit.
//
// While the object lives a file-size limit (RLIMIT_FSIZE) fails a write with EFBIG
// instead of ending the program.
class CAtomicSaveFile : public CFile {
public:
    explicit CAtomicSaveFile(const std::string& path); // throws CFileException
    ~CAtomicSaveFile() override; // drops an uncommitted new file, or puts the backup back
    CAtomicSaveFile(const CAtomicSaveFile&) = delete;
    CAtomicSaveFile& operator=(const CAtomicSaveFile&) = delete;

    std::int64_t GetLength() override { return m_written; }
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    void Commit(); // throws CFileException
    // Gives up an uncommitted save now: drops the new file, or puts the backup back. Returns
    // the name of a backup that could not be put back (the old bytes are there, and the
    // user must be told), else an empty name.
    std::string Abandon();

private:
    // SIGXFSZ ignored for as long as it lives; the old disposition comes back after.
    class FileSizeSignalIgnored {
    public:
        FileSizeSignalIgnored();
        ~FileSizeSignalIgnored();
        FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
        FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

    private:
        struct sigaction m_old {};
    };

    void OpenInPlace();
    void MakeBackup();
    bool RestoreBackup();

    FileSizeSignalIgnored m_signal; // first in, last out
    int m_fd = -1;
    bool m_inPlace = false;
    bool m_committed = false;
    std::string m_target;
    std::string m_temporary;
    std::string m_backup;
    std::string m_directory;
    std::int64_t m_written = 0;
    mode_t m_mode = 0; // the permissions the file had, or a new file's usual ones
};
