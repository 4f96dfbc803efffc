#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"

namespace tessaform {

// The help or version text when the arguments (without the program's name)
// ask for one, before any "--"; both are answered without a display.
std::optional<std::string> startupTextToPrint(const std::vector<std::string>& arguments);

// The one file to open at start, if any, from the arguments left once the
// toolkit has taken its own options. Fails with one line for stderr on an
// unknown option or more than one file.
Result<std::optional<std::string>> startupFile(const std::vector<std::string>& arguments);

}  // namespace tessaform
