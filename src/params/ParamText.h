#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"

namespace tessaform {

// The shortest decimal that reads back to the same float; infinities as
// "inf" and "-inf", a NaN as "nan(0x" and its eight-digit bit pattern ")".
std::string exactFloatText(float value);

// Reads what exactFloatText writes, and any other decimal from_chars takes.
Result<float> parseExactFloat(std::string_view text);

// The same, and "nan" or "-nan" for the quiet NaN of either sign, as C's
// strtof reads them (and so .j4d files): for values a person types.
Result<float> parseTypedFloat(std::string_view text);

// Every slot of the record as a "name=value" line, in slot order; a look
// at its default is left out.
std::string paramsAsText(const FractalParams& params);

// Needs every slot exactly once and nothing else, where a look left out
// takes its default; a power outside 2..5 is refused too, as the record
// could not render.
Result<FractalParams> paramsFromText(std::string_view text);

// The table as six hex digits (red, green, blue bytes) an entry. Every table
// the program holds came from image bytes, so this is exact.
std::string gradientAsHex(const Gradient& gradient);
Result<Gradient> gradientFromHex(std::string_view hex);

}  // namespace tessaform
