#pragma once

#include <string_view>

namespace tessaform {

inline constexpr std::string_view kProgramName = "Tessaform";
inline constexpr std::string_view kProgramVersion = "1.1";

// The caption of the settings dialog and the first title of every
// high-quality window.
inline constexpr const char* kProgramTitle = "Tessaform - 1.1";
static_assert(std::string_view(kProgramTitle).starts_with(kProgramName) &&
              std::string_view(kProgramTitle).ends_with(kProgramVersion));

}  // namespace tessaform
