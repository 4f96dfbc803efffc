#include "app/AtomicReplace.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tessaform {
namespace {

std::string temporaryNameFor(const std::string& target)
{
    static std::atomic<unsigned> counter{0};
    return target + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// Created exclusively with the usual permissions (0666 less the umask), so
// the renamed file looks like any other new file.
bool createExclusively(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return false;
    }
    ::close(descriptor);
    return true;
}

}  // namespace

WriteOutcome replaceFileAtomically(const std::string& target,
                                   const std::function<WriteOutcome(const std::string& temporaryPath)>& write)
{
    const std::string temporary = temporaryNameFor(target);
    if (!createExclusively(temporary)) {
        return {"Could not create " + target + ": " + std::strerror(errno)};
    }
    WriteOutcome outcome = write(temporary);
    if (outcome.ok() && std::rename(temporary.c_str(), target.c_str()) != 0) {
        outcome.error = "Could not replace " + target + ": " + std::strerror(errno);
    }
    if (!outcome.ok()) {
        std::remove(temporary.c_str());
    }
    return outcome;
}

}  // namespace tessaform
