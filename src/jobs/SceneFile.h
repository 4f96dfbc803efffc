#pragma once

#include <string>

#include "base/Result.h"
#include "params/FractalParams.h"

namespace tessaform {

// A keyframe file of one key holds the whole record, looks included, which a
// .j4d file cannot: a scene file. A file of several keys is an animation and
// is refused with a pointer to where animations load.
Result<FractalParams> readSceneFile(const std::string& path);

// One key at frame 0, naming what differs from the defaults; written through
// a temporary file like every keyframe file.
Result<void> writeSceneFile(const std::string& path, const FractalParams& params);

// What a user is told after saving a .j4d file while a look differs from
// its default; empty when nothing was left out.
std::string looksLeftOutOfParamsFileWarning(const FractalParams& params);

}  // namespace tessaform
