#pragma once

#include <cstdint>
#include <string>

#include "params/Result.h"

namespace tessaform {

// The frame buffer's pixels as an 8-bit RGB PNG.
Result<void> writePng(const std::string& fileName, const std::uint32_t* pixels, int width, int height);

}  // namespace tessaform
