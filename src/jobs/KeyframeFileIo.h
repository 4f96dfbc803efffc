#pragma once

#include <string>

#include "anim/Animation.h"
#include "base/Result.h"

namespace tessaform {

// Writes the keys as a keyframe file through a temporary file, so that a
// failed write never leaves a partial file in place of a good one.
Result<void> writeKeyframeFile(const std::string& path, const Animation& animation);

// True when the name ends in ".toml", in any case.
bool namesKeyframeFile(const std::string& path);

}  // namespace tessaform
