#include "SharedMemory.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

SharedMemory::~SharedMemory() {
    Close();
}

bool SharedMemory::Open(const std::string& name, std::size_t size) {
    Close();
    // O_CREAT with 0600: a block that another user made is refused by its mode, never used.
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 ||
        (info.st_size < off_t(size) && ::ftruncate(fd, off_t(size)) != 0)) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return false;
    }
    m_fd = fd;
    m_data = static_cast<unsigned char*>(data);
    m_size = size;
    return true;
}

void SharedMemory::Close() {
    if (m_data != nullptr)
        ::munmap(m_data, m_size);
    if (m_fd >= 0)
        ::close(m_fd);
    m_data = nullptr;
    m_size = 0;
    m_fd = -1;
}

void SharedMemory::Lock() {
    if (m_fd >= 0)
        while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
}

void SharedMemory::Unlock() {
    if (m_fd >= 0)
        ::flock(m_fd, LOCK_UN);
}

bool SharedMemory::Unlink(const std::string& name) {
    return ::shm_unlink(name.c_str()) == 0;
}

std::string SuiteShareName() {
    if (const char* name = std::getenv("KELVO_SHARE_BLOCK"); name != nullptr && name[0] == '/')
        return name;
    return "/orva_shared_memory." + std::to_string(::getuid());
}
