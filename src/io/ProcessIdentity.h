#pragma once

#include <string>

namespace tessaform {

// Names a process well enough that another one can tell, on the same host,
// whether it still runs: a PID alone may have been reused by any process
// since, but not together with the time that process started.
struct ProcessIdentity {
    // Only letters, digits, '.', '_' and '-', so that it fits in a file name
    // and a line of words.
    std::string host;
    long pid = 0;
    // Clock ticks after boot (/proc/<pid>/stat, field 22); 0 where /proc
    // cannot tell.
    unsigned long long startTicks = 0;
};

ProcessIdentity thisProcess();

// True only when the process is known to have ended: it ran on this host,
// and no process with its PID and start time is running now. A PID that no
// process can have (0 or below) has ended; on another host nothing is known.
bool hasEnded(const ProcessIdentity& process);

}  // namespace tessaform
