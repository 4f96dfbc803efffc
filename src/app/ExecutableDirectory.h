#pragma once

#include <filesystem>

namespace tessaform {

// The folder that holds the running executable, where the default gradient
// lives; empty when the system cannot tell.
std::filesystem::path executableDirectory();

}  // namespace tessaform
