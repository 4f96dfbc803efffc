#pragma once

#include <string>

#include "app/WriteOutcome.h"
#include "params/FractalParams.h"

namespace tessaform {

// Loads a .j4d file into params. False when the file cannot be opened (a
// folder counts as such) or reading fails; params may then be partly loaded.
bool readParamsFile(const std::string& path, FractalParams& params);

// Writes a .j4d file through a temporary file, so that a failed write never
// leaves a partial file in place of a good one.
WriteOutcome writeParamsFile(const std::string& path, const FractalParams& params);

}  // namespace tessaform
