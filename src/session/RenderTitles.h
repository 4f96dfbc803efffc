#pragma once

#include <string>

#include "base/Result.h"

namespace tessaform {

inline constexpr const char* kRenderSavedTitle = "Render saved - You can close this window";
// A window left open by a key must not go on showing the last progress.
inline constexpr const char* kRenderStoppedTitle = "Render stopped - No file was written";

// The title a high-quality window shows once its file was written, or
// what went wrong instead.
std::string savedTitle(const Result<void>& written);

}  // namespace tessaform
