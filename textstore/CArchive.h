#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// A file error: what failed, the file's path and the errno behind it.
class CFileException : public std::runtime_error {
public:
    CFileException(const std::string& what, std::string path, int error)
        : std::runtime_error(what), m_path(std::move(path)), m_error(error) {}
    const std::string& Path() const noexcept { return m_path; }
    int Error() const noexcept { return m_error; }

private:
    std::string m_path;
    int m_error;
};

// The byte file an archive reads or writes. Errors throw CFileException.
class CFile {
public:
    virtual ~CFile() = default;
    virtual std::int64_t GetLength() = 0;
    // Reads up to count bytes; fewer only at the end of the file.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    virtual void Write(const void* buffer, std::size_t count) = 0;
    virtual void Close() {}
};

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

// A file in memory: the bytes read, or the bytes written.
class CMemFile : public CFile {
public:
    CMemFile() = default;
    explicit CMemFile(std::string bytes) : m_bytes(std::move(bytes)) {}

    const std::string& Bytes() const noexcept { return m_bytes; }

    std::int64_t GetLength() override { return static_cast<std::int64_t>(m_bytes.size()); }
    std::size_t Read(void* buffer, std::size_t count) override;
    void Write(const void* buffer, std::size_t count) override;

private:
    std::string m_bytes;
    std::size_t m_position = 0;
};

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
