#include "app/FrameClaim.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

namespace tessaform {
namespace {

std::string hostName()
{
    std::array<char, 256> name{};
    ::gethostname(name.data(), name.size() - 1);
    return name.data();
}

bool createClaim(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return false;
    }
    const std::string owner =
        hostName() + " " + std::to_string(::getpid()) + " " + std::to_string(std::time(nullptr)) + "\n";
    const bool written = ::write(descriptor, owner.data(), owner.size()) == static_cast<ssize_t>(owner.size());
    ::close(descriptor);
    return written;
}

// A claim file cut short (its writer died at once) is judged by its age.
bool isStale(const std::string& path, std::chrono::seconds staleAfter)
{
    std::ifstream in(path);
    std::string host;
    long pid = 0;
    long long started = 0;
    if (!(in >> host >> pid >> started)) {
        struct stat file;
        return ::stat(path.c_str(), &file) == 0 && std::time(nullptr) - file.st_mtime > staleAfter.count();
    }
    if (host == hostName() && pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
        return true;
    }
    return std::time(nullptr) - started > staleAfter.count();
}

// Moved aside first, so that of two runs that both find it stale only one
// takes it over.
bool takeOver(const std::string& path)
{
    static std::atomic<unsigned> counter{0};
    const std::string aside = path + ".stale-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        return false;
    }
    std::remove(aside.c_str());
    return createClaim(path);
}

}  // namespace

std::optional<FrameClaim> FrameClaim::take(const std::string& imagePath, std::chrono::seconds staleAfter)
{
    const std::string path = claimPathFor(imagePath);
    if (createClaim(path) || (isStale(path, staleAfter) && takeOver(path))) {
        return FrameClaim(path);
    }
    return std::nullopt;
}

FrameClaim::~FrameClaim()
{
    if (!path_.empty()) {
        std::remove(path_.c_str());
    }
}

}  // namespace tessaform
