#pragma once

#include <cstddef>
#include <vector>

#include "CFile.h"

// Reads from or writes to a CFile. Writes are gathered into a buffer that Flush, Close
// and the destructor hand to the file; call Close to learn of a failed last write.
class CArchive {
public:
    enum Mode { load, store };

    CArchive(CFile* file, Mode mode) : m_file(file), m_mode(mode) {}
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const noexcept { return m_mode == load; }
    bool IsStoring() const noexcept { return m_mode == store; }
    CFile* GetFile() const noexcept { return m_file; }

    std::size_t Read(void* buffer, std::size_t count) { return m_file->Read(buffer, count); }
    void Write(const void* buffer, std::size_t count);
    void Flush();
    void Close();

private:
    static constexpr std::size_t kBufferSize = 256 * 1024;

    CFile* m_file;
    Mode m_mode;
    std::vector<char> m_buffer;
};
