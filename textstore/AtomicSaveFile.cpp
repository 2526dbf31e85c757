#include "AtomicSaveFile.h"
#include "PosixFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// As many links as the system itself follows in one path.
constexpr int kMaxLinks = 40;

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Where the file behind `path` is, or is to be made: every link of a chain is followed,
// also when its last link points at nothing yet.
std::string FollowLinks(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr)
        return resolved;
    std::string at = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat info {};
        if (::lstat(at.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return at;
        char pointed[PATH_MAX];
        const ssize_t n = ::readlink(at.c_str(), pointed, sizeof pointed);
        if (n <= 0 || n == ssize_t(sizeof pointed))
            ThrowFileError("cannot follow the link", at, n <= 0 ? errno : ENAMETOOLONG);
        const std::string target(pointed, std::size_t(n));
        at = target[0] == '/' ? target : DirectoryOf(at) + target;
    }
    ThrowFileError("too many links:", path, ELOOP);
}

// Every byte of `from`, from its start, onto the end of `to`; errno tells a failure.
bool CopyBytes(int from, int to) {
    char buffer[64 * 1024];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(from, buffer, sizeof buffer, at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!WriteFully(to, buffer, std::size_t(got)))
            return false;
        at += got;
    }
}

// A write or a truncation by anyone but root clears a file's set-user-ID and set-group-ID
// bits; its owner may set them again.
void KeepMode(int fd, mode_t mode) {
    struct stat now {};
    if (::fstat(fd, &now) == 0 && (now.st_mode & 07777) != mode)
        ::fchmod(fd, mode);
}

// A new name is on disk only when its folder is.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The user's cache folder for Kelvo, made when missing; empty when there is none.
std::string CacheFolder() {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/')
        base = cache;
    else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        base = std::string(home) + "/.cache";
    else
        return {};
    ::mkdir(base.c_str(), 0700);
    const std::string folder = base + "/kelvo/";
    ::mkdir(folder.c_str(), 0700);
    return folder;
}

} // namespace

CAtomicSaveFile::FileSizeSignalIgnored::FileSizeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &m_old);
}

CAtomicSaveFile::FileSizeSignalIgnored::~FileSizeSignalIgnored() {
    ::sigaction(SIGXFSZ, &m_old, nullptr);
}

CAtomicSaveFile::CAtomicSaveFile(const std::string& path) : m_target(FollowLinks(path)) {
    struct stat old {};
    const bool exists = ::stat(m_target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        ThrowFileError("not a regular file:", path, S_ISDIR(old.st_mode) ? EISDIR : EINVAL);
    // A read-only file is not replaced, even by a user (root) whom the system would let.
    if (exists && ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 ||
                   ::access(m_target.c_str(), W_OK) != 0))
        ThrowFileError("read-only:", path, EACCES);

    const std::string directory = DirectoryOf(m_target);
    m_directory = directory.empty() ? "." : directory;
    // Another name of the same file would go on seeing the old bytes after a rename.
    if (exists && old.st_nlink > 1) {
        OpenInPlace();
        return;
    }

    // Short, so that a file with the longest name the system allows can still be saved.
    std::string pattern = directory + ".kvsave-XXXXXX";
    m_fd = ::mkstemp(pattern.data());
    if (m_fd < 0) {
        const int error = errno;
        if (exists && (error == EACCES || error == EPERM)) {
            OpenInPlace(); // the folder takes no new file, the file takes new bytes
            return;
        }
        ThrowFileError("cannot create", path, error);
    }
    m_temporary = pattern;
    ::fcntl(m_fd, F_SETFD, FD_CLOEXEC);

    if (exists) {
        m_mode = old.st_mode & 07777;
        // The owner first: giving a file away clears its set-user-ID and set-group-ID bits.
        // Those two wait for Commit, as a write by anyone but root clears them too.
        if (::fchown(m_fd, old.st_uid, old.st_gid) != 0 ||
            ::fchmod(m_fd, m_mode & ~mode_t(S_ISUID | S_ISGID)) != 0) {
            ::close(m_fd);
            m_fd = -1;
            ::unlink(m_temporary.c_str());
            m_temporary.clear();
            OpenInPlace(); // a new file could not be what the old one is
            return;
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        m_mode = 0666 & ~mask;
        ::fchmod(m_fd, m_mode);
    }
}

void CAtomicSaveFile::OpenInPlace() {
    m_inPlace = true;
    m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    if (m_fd < 0)
        ThrowFileError("cannot write", m_target, errno);
    struct stat info {};
    if (::fstat(m_fd, &info) != 0) {
        const int error = errno;
        ::close(m_fd);
        m_fd = -1;
        ThrowFileError("cannot write", m_target, error);
    }
    m_mode = info.st_mode & 07777;
    MakeBackup();
    if (::ftruncate(m_fd, 0) != 0) {
        const int error = errno;
        ::close(m_fd); // a constructor that throws has no destructor run
        m_fd = -1;
        ::unlink(m_backup.c_str());
        m_backup.clear();
        ThrowFileError("cannot write", m_target, error);
    }
}

void CAtomicSaveFile::MakeBackup() {
    int error = 0; // the first failure tells most: the one beside the file
    const std::pair<std::string, const char*> places[] = {{DirectoryOf(m_target), ".kvsave-XXXXXX"},
                                                          {CacheFolder(), "kvsave-XXXXXX"}};
    for (const auto& [folder, name] : places) {
        if (folder.empty())
            continue;
        std::string pattern = folder + name;
        const int backup = ::mkstemp(pattern.data());
        if (backup < 0) {
            error = error != 0 ? error : errno;
            continue;
        }
        const int old = ::open(m_target.c_str(), O_RDONLY | O_CLOEXEC);
        const bool copied = old >= 0 && CopyBytes(old, backup) && ::fsync(backup) == 0;
        if (!copied)
            error = error != 0 ? error : errno;
        if (old >= 0)
            ::close(old);
        if (::close(backup) == 0 && copied) {
            m_backup = pattern;
            SyncFolder(folder); // before the file is cut: the backup must outlive a crash
            return;
        }
        ::unlink(pattern.c_str());
    }
    // Without a copy of the old bytes they are not put at risk.
    ::close(m_fd);
    m_fd = -1;
    ThrowFileError("cannot back up", m_target, error != 0 ? error : EACCES);
}

bool CAtomicSaveFile::RestoreBackup() {
    const int from = ::open(m_backup.c_str(), O_RDONLY | O_CLOEXEC);
    const int to = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    bool restored = from >= 0 && to >= 0 && ::ftruncate(to, 0) == 0 && CopyBytes(from, to);
    if (restored) {
        KeepMode(to, m_mode);
        restored = ::fsync(to) == 0;
    }
    if (from >= 0)
        ::close(from);
    if (to >= 0 && ::close(to) != 0)
        return false;
    return restored;
}

CAtomicSaveFile::~CAtomicSaveFile() {
    Abandon();
}

std::string CAtomicSaveFile::Abandon() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (m_committed)
        return {};
    m_committed = true; // nothing is left to give up
    if (m_inPlace) {
        // A backup that could not be put back stays, so the old bytes are somewhere.
        if (m_backup.empty() || RestoreBackup()) {
            if (!m_backup.empty())
                ::unlink(m_backup.c_str());
            return {};
        }
        return m_backup;
    }
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    return {};
}

std::size_t CAtomicSaveFile::Read(void*, std::size_t) {
    ThrowFileError("cannot read", m_target, EBADF);
}

void CAtomicSaveFile::Write(const void* buffer, std::size_t count) {
    if (!WriteFully(m_fd, buffer, count))
        ThrowFileError("cannot write", m_target, errno);
    m_written += std::int64_t(count);
}

void CAtomicSaveFile::Commit() {
    // The mode after the last write, so that no write clears a bit of it.
    if (m_inPlace)
        KeepMode(m_fd, m_mode);
    else if (::fchmod(m_fd, m_mode) != 0)
        ThrowFileError("cannot write", m_target, errno);
    if (::fsync(m_fd) != 0)
        ThrowFileError("cannot write", m_target, errno);
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        ThrowFileError("cannot write", m_target, errno);
    if (m_inPlace) {
        m_committed = true;
        ::unlink(m_backup.c_str());
        return;
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        ThrowFileError("cannot replace", m_target, errno);
    m_committed = true;
    SyncFolder(m_directory);
}
