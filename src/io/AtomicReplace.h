#pragma once

#include <functional>
#include <string>

#include "params/Result.h"

namespace tessaform {

// Lets write fill a new temporary file beside target, then renames it over
// target. When writing fails the temporary file is removed, so an existing
// target is never replaced by a partial one. A target the user may not write
// is refused, and a device or pipe is written in place.
Result<void> replaceFileAtomically(const std::string& target,
                                   const std::function<Result<void>(const std::string& temporaryPath)>& write);

// Whether replaceFileAtomically could create its temporary file and replace
// the target now, found out by trying, so that a long render into a folder
// that is missing or not writable fails before it starts.
Result<void> checkReplaceable(const std::string& target);

}  // namespace tessaform
