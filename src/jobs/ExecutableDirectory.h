#pragma once

#include <filesystem>
#include <string>

namespace tessaform {

// The folder that holds the running executable, where the default gradient
// lives; empty when the system cannot tell.
std::filesystem::path executableDirectory();

// gradient.jpg in that folder, the colours both programs start with.
std::string defaultGradientPath();

}  // namespace tessaform
