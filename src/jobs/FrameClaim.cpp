#include "jobs/FrameClaim.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "io/PartialFiles.h"
#include "io/ProcessIdentity.h"

namespace tessaform {
namespace {

struct ClaimOwner {
    ProcessIdentity process;
    long long claimedAt = 0;
};

std::string ownerLine()
{
    const ProcessIdentity self = thisProcess();
    return self.host + " " + std::to_string(self.pid) + " " + std::to_string(self.startTicks) + " " +
           std::to_string(std::time(nullptr)) + "\n";
}

// A claim is one short line; a large file there is no claim, and its
// start is enough to tell so.
std::string claimText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text(4096, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// Four words and nothing after them, or nothing at all.
std::optional<ClaimOwner> parseOwner(const std::string& text)
{
    std::istringstream in(text);
    ClaimOwner owner;
    std::string rest;
    if (!(in >> owner.process.host >> owner.process.pid >> owner.process.startTicks >> owner.claimedAt) || in >> rest ||
        owner.process.pid <= 0) {
        return std::nullopt;
    }
    return owner;
}

bool writeNewFile(const std::string& path, const std::string& text)
{
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        return false;
    }
    const bool written = ::write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(descriptor);
    return written;
}

// The claim appears whole or not at all, so that a claim that cannot be
// read is one whose writer broke off: written beside its name, then linked
// to it, which fails when the name is taken. A file system without hard
// links gets the claim created exclusively and then written.
bool createClaim(const std::string& path, const std::string& owner)
{
    const std::string draft = newPartialFilePath(std::filesystem::path(path).parent_path());
    if (!writeNewFile(draft, owner)) {
        return false;
    }
    const bool linked = ::link(draft.c_str(), path.c_str()) == 0;
    const int linkError = errno;
    std::remove(draft.c_str());
    if (linked || linkError == EEXIST) {
        return linked;
    }
    return writeNewFile(path, owner);
}

// Any two times a claim file can hold, even the most negative, without
// overflowing.
bool fartherApartThan(long long first, long long second, long long limit)
{
    const auto low = static_cast<unsigned long long>(std::min(first, second));
    const auto high = static_cast<unsigned long long>(std::max(first, second));
    return high - low > static_cast<unsigned long long>(limit);
}

// A claim names its process and when it was made. On this host the process
// is looked up; elsewhere only the claim's age (either way, for clocks that
// disagree) can tell. One that does not read as a claim is stale.
bool isStale(const std::string& text, std::chrono::seconds staleAfter)
{
    const std::optional<ClaimOwner> owner = parseOwner(text);
    if (!owner) {
        return true;
    }
    return hasEnded(owner->process) || fartherApartThan(std::time(nullptr), owner->claimedAt, staleAfter.count());
}

// Moved aside first, so that of two runs that both find it stale only one
// removes it; the one that moved a claim other than the stale one it judged
// puts it back. True when the name is free.
bool removeJudged(const std::string& path, const std::string& judged)
{
    const std::string aside = newPartialFilePath(std::filesystem::path(path).parent_path());
    if (std::rename(path.c_str(), aside.c_str()) != 0) {
        return errno == ENOENT;
    }
    const bool sameClaim = claimText(aside) == judged;
    if (!sameClaim) {
        ::link(aside.c_str(), path.c_str());
    }
    std::remove(aside.c_str());
    return sameClaim;
}

}  // namespace

std::optional<FrameClaim> FrameClaim::take(const std::string& imagePath, std::chrono::seconds staleAfter)
{
    const std::string path = claimPathFor(imagePath);
    std::string owner = ownerLine();
    if (createClaim(path, owner)) {
        return FrameClaim(path, std::move(owner));
    }
    const std::string judged = claimText(path);
    if (isStale(judged, staleAfter) && removeJudged(path, judged) && createClaim(path, owner)) {
        return FrameClaim(path, std::move(owner));
    }
    return std::nullopt;
}

void FrameClaim::removeIfStale(const std::string& imagePath, std::chrono::seconds staleAfter)
{
    const std::string path = claimPathFor(imagePath);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return;
    }
    if (const std::string judged = claimText(path); isStale(judged, staleAfter)) {
        removeJudged(path, judged);
    }
}

// A claim held past --claim-timeout may have been taken over meanwhile;
// the other run's claim stays.
FrameClaim::~FrameClaim()
{
    if (!path_.empty() && claimText(path_) == owner_) {
        std::remove(path_.c_str());
    }
}

}  // namespace tessaform
