#include "CArchive.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Throw(const char* what, const std::string& path, int error) {
    throw CFileException(std::string(what) + " " + path + ": " + std::strerror(error), path, error);
}

} // namespace

CPosixFile::~CPosixFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void CPosixFile::Open(const std::string& path, Mode mode) {
    if (m_fd >= 0)
        Close();
    const int flags = mode == modeRead ? O_RDONLY : (O_WRONLY | O_CREAT | O_TRUNC);
    // O_NONBLOCK keeps a FIFO from blocking the open; regular files ignore it.
    int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0)
        Throw("cannot open", path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        Throw("cannot query", path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        Throw("not a regular file:", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_path = path;
}

std::int64_t CPosixFile::GetLength() {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        Throw("cannot query", m_path, errno);
    return info.st_size;
}

std::size_t CPosixFile::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(m_fd, out + done, std::min<std::size_t>(count - done, 1 << 30));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            Throw("cannot read", m_path, errno);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void CPosixFile::Write(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t put = ::write(m_fd, in, std::min<std::size_t>(count, 1 << 30));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            Throw("cannot write", m_path, put < 0 ? errno : ENOSPC);
        in += put;
        count -= static_cast<std::size_t>(put);
    }
}

void CPosixFile::Close() {
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        Throw("cannot close", m_path, errno);
}

std::size_t CMemFile::Read(void* buffer, std::size_t count) {
    const std::size_t n = std::min(count, m_bytes.size() - m_position);
    std::memcpy(buffer, m_bytes.data() + m_position, n);
    m_position += n;
    return n;
}

void CMemFile::Write(const void* buffer, std::size_t count) {
    m_bytes.append(static_cast<const char*>(buffer), count);
}

CArchive::~CArchive() {
    try {
        Flush();
    } catch (const CFileException&) {
        // Close() is where a caller learns of a failed write; a destructor cannot report.
    }
}

void CArchive::Write(const void* buffer, std::size_t count) {
    if (m_buffer.capacity() == 0)
        m_buffer.reserve(kBufferSize);
    if (m_buffer.size() + count > kBufferSize) {
        Flush();
        if (count >= kBufferSize) {
            m_file->Write(buffer, count);
            return;
        }
    }
    const auto* in = static_cast<const char*>(buffer);
    m_buffer.insert(m_buffer.end(), in, in + count);
}

void CArchive::Flush() {
    if (m_buffer.empty())
        return;
    // Emptied whatever the write does, so that a failed write is not retried by the
    // destructor.
    struct Empty {
        std::vector<char>& bytes;
        ~Empty() { bytes.clear(); }
    } empty{m_buffer};
    m_file->Write(m_buffer.data(), m_buffer.size());
}

void CArchive::Close() {
    Flush();
}
