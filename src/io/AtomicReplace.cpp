#include "io/AtomicReplace.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>

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

bool liesInProcessFolder(const std::filesystem::path& folder)
{
    const std::string text = folder.string();
    return text == "/proc" || text.starts_with("/proc/");
}

// /dev/stdout, /dev/fd/N and /proc/self/fd/N lead to a file the process has
// open, through links in /proc: renaming over such a name would put a file
// in place of the link (as root, /dev/stdout itself), so it is written in
// place, as the user means.
bool namesAnOpenDescriptor(const std::string& target)
{
    constexpr int kMostLinks = 40;
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(target, error);
    for (int link = 0; link < kMostLinks && !error; ++link) {
        const std::filesystem::path folder = std::filesystem::canonical(path.parent_path(), error);
        if (error) {
            return false;
        }
        if (liesInProcessFolder(folder)) {
            return true;
        }
        if (!std::filesystem::is_symlink(path, error)) {
            return false;
        }
        const std::filesystem::path next = std::filesystem::read_symlink(path, error);
        path = next.is_absolute() ? next : folder / next;
    }
    return false;
}

// The rename needs only the folder's permission; a file the user may not
// write must not be replaced behind its back.
bool existsButIsReadOnly(const std::string& target)
{
    return ::faccessat(AT_FDCWD, target.c_str(), F_OK, AT_EACCESS) == 0 &&
           ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
}

bool isFolder(const std::string& target)
{
    struct stat existing;
    return ::stat(target.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode);
}

// The temporary name is short, so only the rename at the end would find a
// name the file system cannot hold.
bool nameTooLong(const std::string& target)
{
    const std::filesystem::path path(target);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t longestName = limit > 0 ? static_cast<std::size_t>(limit) : NAME_MAX;
    return target.size() >= PATH_MAX || path.filename().string().size() > longestName;
}

}  // namespace

ReplacementFile::ReplacementFile(std::string target, std::string path)
    : target_(std::move(target)), path_(std::move(path)), pending_(path_ != target_)
{
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : target_(std::move(other.target_)), path_(std::move(other.path_)), pending_(std::exchange(other.pending_, false))
{
}

ReplacementFile::~ReplacementFile()
{
    if (pending_) {
        std::remove(path_.c_str());
    }
}

Result<ReplacementFile> ReplacementFile::create(const std::string& target)
{
    if (isSpecialFile(target) || namesAnOpenDescriptor(target)) {
        return ReplacementFile(target, target);
    }
    if (existsButIsReadOnly(target)) {
        return Failure{describeFailure("Could not write", target)};
    }
    if (nameTooLong(target)) {
        errno = ENAMETOOLONG;
        return Failure{describeFailure("Could not create", target)};
    }
    std::string temporary = temporaryNameFor(target);
    if (!createExclusively(temporary, target)) {
        return Failure{describeFailure("Could not create", target)};
    }
    return ReplacementFile(target, std::move(temporary));
}

Result<void> ReplacementFile::commit()
{
    if (!pending_) {
        return {};
    }
    if (!flushToDisk(path_)) {
        return Failure{describeFailure("Could not write", target_)};
    }
    if (std::rename(path_.c_str(), target_.c_str()) != 0) {
        return Failure{describeFailure("Could not replace", target_)};
    }
    pending_ = false;
    return {};
}

std::string ReplacementFile::namingTarget(std::string message) const
{
    return messageNamingTarget(std::move(message), path_, target_);
}

Result<void> replaceFileAtomically(const std::string& target,
                                   const std::function<Result<void>(const std::string& temporaryPath)>& write)
{
    Result<ReplacementFile> file = ReplacementFile::create(target);
    if (!file) {
        return Failure{file.error()};
    }
    ReplacementFile& replacement = file.value();
    if (Result<void> written = write(replacement.path()); !written) {
        return Failure{replacement.namingTarget(written.error())};
    }
    return replacement.commit();
}

Result<void> checkReplaceable(const std::string& target)
{
    if (const Result<ReplacementFile> file = ReplacementFile::create(target); !file) {
        return Failure{file.error()};
    }
    if (isFolder(target)) {
        errno = EISDIR;
        return Failure{describeFailure("Could not replace", target)};
    }
    return {};
}

}  // namespace tessaform
