#pragma once

#include <string>

#include "io/WriteOutcome.h"
#include "params/FractalParams.h"

namespace tessaform {

// What reading a .j4d file came to. True when the file could be read, even
// if it held fewer than the seven lines.
struct ParamsFileRead {
    bool readable = false;
    int linesRead = 0;  // lines that matched whole, up to kParamFileLines

    explicit operator bool() const { return readable; }
};

// Loads a .j4d file into params. Not readable when the file cannot be
// opened (a folder counts as such) or reading fails; params may then be
// partly loaded.
ParamsFileRead readParamsFile(const std::string& path, FractalParams& params);

// One line for the user when the file could not be read or stopped short of
// its seven lines; empty when every line was read.
std::string describeParamsRead(const std::string& path, const ParamsFileRead& read);

// Writes a .j4d file through a temporary file, so that a failed write never
// leaves a partial file in place of a good one.
WriteOutcome writeParamsFile(const std::string& path, const FractalParams& params);

}  // namespace tessaform
