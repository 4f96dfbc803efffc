#pragma once

#include <string_view>
#include <vector>

#include "anim/Animation.h"
#include "base/Result.h"

namespace tessaform {

// "0-239", "3,5-10,47-327", "0-239:2": single frames and inclusive ranges
// with an optional step, in rising order without repeats.
Result<std::vector<int>> parseFrameList(std::string_view text);

// Every frame from the first key to the last; fails when the keys span
// more frames than a list may hold.
Result<std::vector<int>> framesFromFirstToLastKey(const Animation& animation);

}  // namespace tessaform
