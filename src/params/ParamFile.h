#pragma once

#include <iosfwd>

#include "params/FractalParams.h"

namespace tessaform {

// Writes the seven tagged lines of a .j4d file with CR LF line ends and six
// decimals, whatever the process locale. Returns whether the stream took
// everything.
bool saveParams(std::ostream& out, const FractalParams& params);

inline constexpr int kParamFileLines = 7;

// Reads the seven lines with the rules of C's formatted input: a scan stops
// at the first character that does not fit, and every later scan stops
// there too. Slots the file does not carry (or that were not reached) keep
// their values. Returns how many lines matched whole, kParamFileLines for a
// complete file.
int loadParams(std::istream& in, FractalParams& params);

}  // namespace tessaform
