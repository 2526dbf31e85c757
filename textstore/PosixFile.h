#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "CFile.h"

// The one way a file call's failure leaves the file classes: "what path: reason", with
// the path and the errno kept in the exception.
[[noreturn]] void ThrowFileError(const char* what, const std::string& path, int error);

// Writes every byte to fd, through interrupted and short writes. False with errno set when
// a write fails; a write that takes nothing counts as a full disk (ENOSPC).
[[nodiscard]] bool WriteFully(int fd, const void* buffer, std::size_t count) noexcept;

// A file on disk, through a descriptor.
class CPosixFile : public CFile {
public:
    enum Mode { modeRead, modeWrite }; // modeWrite creates or truncates

    CPosixFile() = default;
    CPosixFile(const std::string& path, Mode mode) { Open(path, mode); }
    ~CPosixFile() override;
    CPosixFile(const CPosixFile&) = delete;
    CPosixFile& operator=(const CPosixFile&) = delete;

    void Open(const std::string& path, Mode mode);
    bool IsOpen() const noexcept { return m_fd >= 0; }
    const std::string& Path() const noexcept { return m_path; }

    std::int64_t GetLength() override;
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;
    // Reports a failure to flush the file to its descriptor's close.
    void Close() override;

private:
    int m_fd = -1;
    std::string m_path;
};
