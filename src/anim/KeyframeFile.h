#pragma once

#include <functional>
#include <string>

#include "anim/Animation.h"
#include "base/Result.h"
#include "params/FractalParams.h"

namespace tessaform {

// Loads a key's "from" file (a .j4d or a PNG carrying parameters) onto the
// record given; supplied by the caller, who knows the file formats.
using ParamsFileLoader = std::function<Result<FractalParams>(const std::string& path, const FractalParams& base)>;

enum class KeyframeProblem { None, Unreadable, Invalid };

struct KeyframeLoad {
    Result<Animation> animation;
    // Unreadable: the file itself or a "from" file could not be read.
    KeyframeProblem problem = KeyframeProblem::None;
};

// Reasons read "FILE:LINE:COLUMN: what", with the place where it is known.
KeyframeLoad readKeyframeFile(const std::string& path, const ParamsFileLoader& loadFrom);

// The same, from text; "from" paths are relative to folder.
KeyframeLoad parseKeyframeText(std::string_view text, const std::string& sourceName, const std::string& folder,
                               const ParamsFileLoader& loadFrom);

// The file that reads back to the same animation, bit for bit: each key
// names what differs from the key before (the first, from the defaults).
std::string keyframeFileText(const Animation& animation);

}  // namespace tessaform
