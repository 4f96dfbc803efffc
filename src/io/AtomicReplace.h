#pragma once

#include <functional>
#include <string>

#include "base/Result.h"

namespace tessaform {

// A file written in place of target: a new temporary file beside it that
// becomes the target only on commit, and is removed when it never does (a
// failure, an exception, an early return), so an existing target is never
// replaced by a partial one. A target the user may not write, or whose name
// the file system cannot hold, is refused before anything is written, and
// a device or pipe is written in place.
class ReplacementFile {
public:
    static Result<ReplacementFile> create(const std::string& target);

    ReplacementFile(ReplacementFile&& other) noexcept;
    ReplacementFile& operator=(ReplacementFile&&) = delete;
    ~ReplacementFile();

    // Where to write: the temporary file, or the target itself for a device.
    const std::string& path() const { return path_; }
    // Makes what was written durable and renames it over the target.
    Result<void> commit();
    // The message with the temporary file's name replaced by the target's,
    // since the user only knows the name they gave.
    std::string namingTarget(std::string message) const;

private:
    ReplacementFile(std::string target, std::string path);

    std::string target_;
    std::string path_;
    // The temporary file exists and is ours to remove.
    bool pending_;
};

// Lets write fill a ReplacementFile for target, then commits it.
Result<void> replaceFileAtomically(const std::string& target,
                                   const std::function<Result<void>(const std::string& temporaryPath)>& write);

// Whether replaceFileAtomically could create its temporary file and replace
// the target now, found out by trying, so that a long render into a folder
// that is missing or not writable fails before it starts.
Result<void> checkReplaceable(const std::string& target);

}  // namespace tessaform
