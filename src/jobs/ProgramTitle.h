#pragma once

#include <string>
#include <string_view>

namespace tessaform {

inline constexpr std::string_view kProgramName = "Tessaform";

// The project's version, given by the build ("1.1").
std::string_view programVersion();

// "Tessaform 1.1": the PNG Software chunk and what --version prints.
std::string programNameAndVersion();

// "Tessaform - 1.1": the caption of the settings dialog and the first title
// of every high-quality window.
std::string programTitle();

}  // namespace tessaform
