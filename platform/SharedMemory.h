#pragma once

#include <cstddef>
#include <string>

// A named POSIX shared-memory object mapped for reading and writing. Created with mode
// 0600 and zero-filled when it does not exist yet; opened as it is otherwise, but only when
// it is a plain object of this user that no one else may write. The object outlives the
// process: nothing here removes its name (Unlink does, for whoever owns it).
//
// Whoever may write the object may also cut it short under the mapping, and a read or write
// past its new end would end the process with SIGBUS. A fault inside a mapping made here
// puts zero pages in the mapping's place instead and marks it lost: the access completes,
// and from then on its bytes read as zero and writes go nowhere. Faults anywhere else end
// the process as they did before.
class SharedMemory {
public:
    SharedMemory() = default;
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Opens or creates `name` (starting with "/") and maps `size` bytes of it. An object
    // smaller than `size` is grown (the new bytes read as zero). False, with errno set and
    // Error() saying why, when it can be neither opened nor mapped, or is refused: a link,
    // not a plain object, another user's, or one that group or others may write.
    bool Open(const std::string& name, std::size_t size);
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_data != nullptr; }
    [[nodiscard]] unsigned char* Data() const { return m_data; }
    [[nodiscard]] std::size_t Size() const { return m_size; }
    // Why the last Open failed, in words for the user.
    [[nodiscard]] const std::string& Error() const { return m_error; }

    // Whether the object was cut short under the mapping, as seen by a fault on it or by
    // its size now. Once lost, the mapping holds zero pages of its own until Close.
    [[nodiscard]] bool Lost();

    // An exclusive lock among the processes that map the object, held until Unlock or
    // Close: those that start at the same moment take their turns.
    void Lock();
    void Unlock();

    static bool Unlink(const std::string& name);

private:
    bool Refuse(int fd, int error, const char* reason);

    int m_fd = -1;
    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
    int m_guard = -1; // this mapping's place among those the fault handler knows
    std::string m_error;
};

// The name of this user's suite block: "/orva_shared_memory.<uid>", so that each user has
// one block and no other user can reach it. KELVO_SHARE_BLOCK names another, for a suite
// of one's own beside the usual one (tests run that way).
std::string SuiteShareName();
