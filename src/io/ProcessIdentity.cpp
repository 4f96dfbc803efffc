#include "io/ProcessIdentity.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <climits>
#include <fstream>
#include <sstream>

namespace tessaform {
namespace {

std::string fileNameSafeHost()
{
    std::array<char, 256> name{};
    ::gethostname(name.data(), name.size() - 1);
    std::string host = name.data();
    std::replace_if(
        host.begin(), host.end(),
        [](unsigned char c) { return !(std::isalnum(c) || c == '.' || c == '_' || c == '-'); }, '_');
    return host.empty() ? "_" : host;
}

// What /proc shows of a PID: nothing (no such process, or hidden), a
// process that has ended but is not yet collected by its parent, or a
// running one and when it started.
struct ProcSight {
    bool shown = false;
    bool ended = false;
    unsigned long long startTicks = 0;
};

// The command name may itself hold spaces and parentheses, so the last ')'
// ends it; after it come field 3, the state, and field 22, the start time.
ProcSight lookInProc(long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    const std::size_t nameEnd = std::getline(in, stat) ? stat.rfind(')') : std::string::npos;
    if (nameEnd == std::string::npos) {
        return {};
    }
    std::istringstream fields(stat.substr(nameEnd + 1));
    char state = 0;
    fields >> state;
    std::string skipped;
    for (int field = 4; field < 22; ++field) {
        fields >> skipped;
    }
    ProcSight sight;
    sight.shown = static_cast<bool>(fields >> sight.startTicks);
    sight.ended = state == 'Z' || state == 'X';
    return sight;
}

}  // namespace

ProcessIdentity thisProcess()
{
    const long pid = ::getpid();
    return {fileNameSafeHost(), pid, lookInProc(pid).startTicks};
}

bool hasEnded(const ProcessIdentity& process)
{
    if (process.host != fileNameSafeHost()) {
        return false;
    }
    if (process.pid <= 0 || process.pid > INT_MAX) {
        return true;
    }
    if (const ProcSight sight = lookInProc(process.pid); sight.shown) {
        return sight.ended || sight.startTicks != process.startTicks;
    }
    // Where /proc hides the process (another user's, with hidepid), kill
    // still tells whether the PID is in use.
    return ::kill(static_cast<pid_t>(process.pid), 0) != 0 && errno == ESRCH;
}

}  // namespace tessaform
