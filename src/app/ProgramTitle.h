#pragma once

namespace tessaform {

// The caption of the settings dialog and the first title of every
// high-quality window.
inline constexpr const char* kProgramTitle = "Tessaform - 1.1";

}  // namespace tessaform
