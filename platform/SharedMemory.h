#pragma once

#include <cstddef>
#include <string>

// A named POSIX shared-memory object mapped for reading and writing. Created with mode
// 0600 and zero-filled when it does not exist yet; opened as it is otherwise. The object
// outlives the process: nothing here removes its name (Unlink does, for whoever owns it).
class SharedMemory {
public:
    SharedMemory() = default;
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    // Opens or creates `name` (starting with "/") and maps `size` bytes of it. An object
    // smaller than `size` is grown (the new bytes read as zero). False, with errno set,
    // when it can be neither opened nor mapped.
    bool Open(const std::string& name, std::size_t size);
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_data != nullptr; }
    [[nodiscard]] unsigned char* Data() const { return m_data; }
    [[nodiscard]] std::size_t Size() const { return m_size; }

    // An exclusive lock among the processes that map the object, held until Unlock or
    // Close: those that start at the same moment take their turns.
    void Lock();
    void Unlock();

    static bool Unlink(const std::string& name);

private:
    int m_fd = -1;
    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};

// The name of this user's suite block: "/orva_shared_memory.<uid>", so that each user has
// one block and no other user can reach it. KELVO_SHARE_BLOCK names another, for a suite
// of one's own beside the usual one (tests run that way).
std::string SuiteShareName();
