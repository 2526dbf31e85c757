#pragma once

// What the tests of the suite's block share, at the suite's layer and above.

#include <cstdint>

#include <sys/wait.h>
#include <unistd.h>

// The process id of a process that has ended and been reaped: no process has it now.
inline std::uint32_t EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return std::uint32_t(child);
}
