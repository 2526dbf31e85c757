#include "PosixFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void ThrowFileError(const char* what, const std::string& path, int error) {
    throw CFileException(std::string(what) + " " + path + ": " + std::strerror(error), path, error);
}

bool WriteFully(int fd, const void* buffer, std::size_t count) noexcept {
    const auto* in = static_cast<const char*>(buffer);
    while (count > 0) {
        // Linux moves less than 2 GiB in one call; larger requests go in parts anyway.
        const ssize_t put = ::write(fd, in, std::min<std::size_t>(count, 1 << 30));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        in += put;
        count -= static_cast<std::size_t>(put);
    }
    return true;
}

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
        ThrowFileError("cannot open", path, errno);
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        ThrowFileError("cannot query", path, error);
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        ThrowFileError("not a regular file:", path, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_fd = fd;
    m_path = path;
}

std::int64_t CPosixFile::GetLength() {
    struct stat info {};
    if (::fstat(m_fd, &info) != 0)
        ThrowFileError("cannot query", m_path, errno);
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
            ThrowFileError("cannot read", m_path, errno);
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void CPosixFile::Write(const void* buffer, std::size_t count) {
    if (!WriteFully(m_fd, buffer, count))
        ThrowFileError("cannot write", m_path, errno);
}

void CPosixFile::Close() {
    if (m_fd < 0)
        return;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR)
        ThrowFileError("cannot close", m_path, errno);
}
