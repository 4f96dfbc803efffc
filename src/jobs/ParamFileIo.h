#pragma once

#include <string>

#include "base/Result.h"
#include "params/FractalParams.h"

namespace tessaform {

// Loads a .j4d file into params and returns how many of its lines matched
// whole, up to kParamFileLines. Fails when the file cannot be opened (a
// folder counts as such) or reading fails; params may then be partly loaded.
Result<int> readParamsFile(const std::string& path, FractalParams& params);

// One line for the user when a readable file stopped short of its seven
// lines; empty when every line was read.
std::string shortParamsFileWarning(const std::string& path, int linesRead);

// The record a .j4d file (onto base) or a PNG carrying parameters gives, as
// a keyframe's "from" file: it must be a regular file and whole. Fails when
// the file cannot be read, a .j4d file is over kLargestTextFile or stops
// short of its seven lines (another kind of file reads as none), or a PNG's
// parameters do not load.
Result<FractalParams> readParamsOnto(const std::string& path, const FractalParams& base);

// True when the name ends in ".j4d", in any case.
bool namesParamsFile(const std::string& path);

// Writes a .j4d file through a temporary file, so that a failed write never
// leaves a partial file in place of a good one.
Result<void> writeParamsFile(const std::string& path, const FractalParams& params);

}  // namespace tessaform
