#include "io/AtomicReplace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "io/PartialFiles.h"

namespace tessaform {
namespace {

// A short hidden name in the target's folder: the rename stays within one
// file system, and a target name near the length limit still works. What
// killed runs left in that folder is cleared first.
std::string temporaryNameFor(const std::string& target)
{
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    removeStalePartialFiles(folder);
    return newPartialFilePath(folder);
}

// An existing target keeps its permissions; a new file gets the usual ones
// (0666 less the umask).
bool createExclusively(const std::string& path, const std::string& target)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return false;
    }
    struct stat existing;
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        ::fchmod(descriptor, existing.st_mode & 07777);
    }
    ::close(descriptor);
    return true;
}

// The data must be on disk before the rename makes it the target, or a crash
// could still leave an empty file under the target's name.
bool flushToDisk(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

// Messages name the file the user asked for, not the temporary one.
std::string messageNamingTarget(std::string message, const std::string& temporary, const std::string& target)
{
    for (std::size_t at = message.find(temporary); at != std::string::npos; at = message.find(temporary, at)) {
        message.replace(at, temporary.size(), target);
        at += target.size();
    }
    return message;
}

std::string describeFailure(const char* what, const std::string& target)
{
    return std::string(what) + " " + target + ": " + std::strerror(errno);
}

// A device or a pipe (/dev/full, /dev/null, a terminal) cannot be swapped
// for a file: renaming over it would replace the device node itself. Such a
// target is written in place, and its write errors reach the user.
bool isSpecialFile(const std::string& target)
{
    struct stat existing;
    return ::stat(target.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode);
}

// The rename needs only the folder's permission; a file the user may not
// write must not be replaced behind its back.
bool existsButIsReadOnly(const std::string& target)
{
    return ::faccessat(AT_FDCWD, target.c_str(), F_OK, AT_EACCESS) == 0 &&
           ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
}

// The written temporary file is made durable and renamed over the target.
Result<void> finishReplacing(const Result<void>& written, const std::string& temporary, const std::string& target)
{
    if (!written.ok()) {
        return Failure{messageNamingTarget(written.error(), temporary, target)};
    }
    if (!flushToDisk(temporary)) {
        return Failure{describeFailure("Could not write", target)};
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        return Failure{describeFailure("Could not replace", target)};
    }
    return {};
}

bool isFolder(const std::string& target)
{
    struct stat existing;
    return ::stat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode);
}

}  // namespace

Result<void> checkReplaceable(const std::string& target)
{
    if (isSpecialFile(target)) {
        return {};
    }
    if (existsButIsReadOnly(target)) {
        return Failure{describeFailure("Could not write", target)};
    }
    if (isFolder(target)) {
        errno = EISDIR;
        return Failure{describeFailure("Could not replace", target)};
    }
    const std::string temporary = temporaryNameFor(target);
    if (!createExclusively(temporary, target)) {
        return Failure{describeFailure("Could not create", target)};
    }
    std::remove(temporary.c_str());
    return {};
}

Result<void> replaceFileAtomically(const std::string& target,
                                   const std::function<Result<void>(const std::string& temporaryPath)>& write)
{
    if (isSpecialFile(target)) {
        return write(target);
    }
    if (existsButIsReadOnly(target)) {
        return Failure{describeFailure("Could not write", target)};
    }
    const std::string temporary = temporaryNameFor(target);
    if (!createExclusively(temporary, target)) {
        return Failure{describeFailure("Could not create", target)};
    }
    Result<void> outcome = finishReplacing(write(temporary), temporary, target);
    if (!outcome.ok()) {
        std::remove(temporary.c_str());
    }
    return outcome;
}

}  // namespace tessaform
