#include "AtomicSaveFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void Throw(const char* what, const std::string& path, int error) {
    throw CFileException(std::string(what) + " " + path + ": " + std::strerror(error), path, error);
}

} // namespace

CAtomicSaveFile::CAtomicSaveFile(const std::string& path) : m_target(path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        m_target = resolved;
    } else {
        // A link to a file not there yet: the file is made where the link points.
        char pointed[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), pointed, sizeof pointed - 1);
        if (n > 0) {
            const std::string target(pointed, std::size_t(n));
            const std::size_t slash = path.rfind('/');
            m_target = target[0] == '/' || slash == std::string::npos
                           ? target
                           : path.substr(0, slash + 1) + target;
        }
    }
    struct stat old {};
    const bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        Throw("not a regular file:", path, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    // A read-only file is not replaced, even by a user (root) whom the system would let.
    if (exists && ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                   ::access(m_target.c_str(), W_OK) != 0))
        Throw("read-only:", path, EACCES);

    const std::size_t slash = m_target.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : m_target.substr(0, slash + 1);
    m_directory = directory.empty() ? "." : directory;
    // Short, so that a file with the longest name the system allows can still be saved.
    std::string pattern = directory + ".kvsave-XXXXXX";
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0)
        Throw("cannot create", path, errno);
    m_temporary = pattern;
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);

    if (exists) {
        ::fchmod(m_fd, old.st_mode & 07777);
        if (::fchown(m_fd, old.st_uid, old.st_gid) != 0) {
            // Only root may give a file away; the bytes and the mode are what matter.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(m_fd, 0666 & ~mask);
    }
}

CAtomicSaveFile::~CAtomicSaveFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_temporary.c_str());
    }
}

std::size_t CAtomicSaveFile::Read(void*, std::size_t) {
    Throw("cannot read", m_target, EBADF);
}

void CAtomicSaveFile::Write(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    while (count > 0) {
        const ssize_t put = ::write(m_fd, in, count);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            Throw("cannot write", m_target, put < 0 ? errno : ENOSPC);
        in += put;
        count -= std::size_t(put);
        m_written += put;
    }
}

void CAtomicSaveFile::Commit() {
    if (::fsync(m_fd) != 0)
        Throw("cannot write", m_target, errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(m_temporary.c_str());
        Throw("cannot write", m_target, error);
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const int error = errno;
        ::unlink(m_temporary.c_str());
        Throw("cannot replace", m_target, error);
    }
    // The new name is on disk only when the folder is.
    const int folder = ::open(m_directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}
