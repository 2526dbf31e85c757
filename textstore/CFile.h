#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

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
    std::size_t m_position = 0; // invariant: m_position <= m_bytes.size()
};
