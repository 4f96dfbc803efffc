#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace tessaform {

// A process id that no process has any more: a child that has been reaped.
inline pid_t goneProcess()
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace tessaform
