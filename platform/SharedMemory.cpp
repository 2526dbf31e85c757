#include "SharedMemory.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The mappings the SIGBUS handler answers for. Only one thread opens and closes them, but
// the handler reads them at any moment: every field is one atomic access.
struct Guard {
    std::atomic<std::uintptr_t> begin{0}; // 0: a free place
    std::atomic<std::size_t> length{0};
    std::atomic<bool> lost{false};
};
constexpr int kGuards = 8;
Guard g_guards[kGuards];
struct sigaction g_previousBus {};
std::atomic<bool> g_busHandlerSet{false};

std::size_t WholePages(std::size_t size) {
    const auto page = std::size_t(::sysconf(_SC_PAGESIZE));
    return (size + page - 1) / page * page;
}

// Zero pages of the process's own in place of the object's, at the same address: whatever
// points into the mapping stays valid, and the object is no longer touched.
bool ReplaceWithZeroPages(std::uintptr_t begin, std::size_t length) {
    return ::mmap(reinterpret_cast<void*>(begin), length, PROT_READ | PROT_WRITE,
                  MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED;
}

// A SIGBUS that is not about a guarded mapping goes where it went before the handler was
// set: to the handler that was there (the sanitizers have one), or to the default action,
// which ends the process once the fault comes again or the sent signal is sent again.
void PassOn(int signal, siginfo_t* info, void* context, bool fault) {
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    // As the system would have done on the way into a handler set to be reset: one that
    // returns lets the fault come again to the default action (QtTest's does so).
    if ((g_previousBus.sa_flags & SA_RESETHAND) != 0)
        ::sigaction(SIGBUS, &byDefault, nullptr);
    if ((g_previousBus.sa_flags & SA_SIGINFO) != 0) {
        g_previousBus.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previousBus.sa_handler == SIG_IGN && !fault)
        return;
    if (g_previousBus.sa_handler != SIG_DFL && g_previousBus.sa_handler != SIG_IGN) {
        g_previousBus.sa_handler(signal);
        return;
    }
    ::sigaction(SIGBUS, &byDefault, nullptr);
    if (!fault)
        ::raise(SIGBUS); // blocked until this handler returns
}

void OnBusFault(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    // Only a fault names an address; a SIGBUS sent by a process names none.
    const bool fault = info->si_code > 0 && info->si_code != SI_KERNEL;
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guard& guard : g_guards) {
        const std::uintptr_t begin = guard.begin.load();
        const std::size_t length = guard.length.load();
        if (fault && begin != 0 && address - begin < length &&
            ReplaceWithZeroPages(begin, length)) {
            guard.lost = true;
            errno = savedErrno;
            return; // the access runs again, on the zero pages
        }
    }
    errno = savedErrno;
    PassOn(signal, info, context, fault);
}

void SetBusHandler() {
    if (g_busHandlerSet.exchange(true))
        return;
    struct sigaction action {};
    action.sa_sigaction = OnBusFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previousBus);
}

// Only the thread that opens and closes mappings calls this: the length is in place before
// the handler can see the address.
int TakeGuard(void* data, std::size_t length) {
    for (int i = 0; i < kGuards; ++i) {
        if (g_guards[i].begin != 0)
            continue;
        g_guards[i].length = length;
        g_guards[i].lost = false;
        g_guards[i].begin = reinterpret_cast<std::uintptr_t>(data);
        return i;
    }
    return -1;
}

} // namespace

SharedMemory::~SharedMemory() {
    Close();
}

bool SharedMemory::Refuse(int fd, int error, const char* reason) {
    ::close(fd);
    m_error = reason != nullptr ? reason : std::strerror(error);
    errno = error;
    return false;
}

bool SharedMemory::Open(const std::string& name, std::size_t size) {
    Close();
    m_error.clear();
    // O_NOFOLLOW: a link that someone put in the object's place is never followed.
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int error = errno;
        m_error = error == ELOOP ? "it is a symbolic link" : std::strerror(error);
        errno = error;
        return false;
    }
    // Judged on what was opened, never by name, which may be made to name another object
    // meanwhile. An object that others may write is refused even when it is this user's: they
    // could make the editor open files or quit, or cut the object short.
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return Refuse(fd, errno, nullptr);
    if (!S_ISREG(info.st_mode))
        return Refuse(fd, EACCES, "it is not a shared-memory object");
    if (info.st_uid != ::geteuid())
        return Refuse(fd, EACCES, "it belongs to another user");
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return Refuse(fd, EACCES, "other users may write it");
    if (info.st_size < off_t(size) && ::ftruncate(fd, off_t(size)) != 0)
        return Refuse(fd, errno, nullptr);
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED)
        return Refuse(fd, errno, nullptr);
    SetBusHandler();
    const int guard = TakeGuard(data, WholePages(size));
    if (guard < 0) {
        ::munmap(data, size);
        return Refuse(fd, EMFILE, "too many shared-memory objects are mapped");
    }
    m_fd = fd;
    m_data = static_cast<unsigned char*>(data);
    m_size = size;
    m_guard = guard;
    return true;
}

void SharedMemory::Close() {
    if (m_guard >= 0)
        g_guards[m_guard].begin = 0;
    if (m_data != nullptr)
        ::munmap(m_data, m_size);
    if (m_fd >= 0)
        ::close(m_fd);
    m_data = nullptr;
    m_size = 0;
    m_fd = -1;
    m_guard = -1;
}

bool SharedMemory::Lost() {
    if (m_guard < 0)
        return false;
    Guard& guard = g_guards[m_guard];
    struct stat info {};
    if (!guard.lost && ::fstat(m_fd, &info) == 0 && info.st_size < off_t(m_size) &&
        ReplaceWithZeroPages(guard.begin, guard.length))
        guard.lost = true;
    return guard.lost;
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
