#pragma once

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string_view>
#include <variant>

namespace tessaform {

// Where a conversion stores its value: %f needs a float, %d an int32.
using ScanTarget = std::variant<float*, std::int32_t*>;

// Runs a scanf-like format against the stream, storing each conversion into
// the next target the moment it succeeds. Returns true only when every
// directive matched.
//
// - An ordinary character must equal the next input character.
// - A white-space character matches any run of white space, none included.
// - %f and %d skip white space first. %f reads what strtof reads (decimal
//   with exponent, inf, infinity, nan, nan(chars), hex floats) in the "C"
//   locale; out of range gives +-inf or an underflowed value. %d reads an
//   optional sign and decimal digits and saturates to the int32 range.
// - Characters are consumed only while the text read so far can still grow
//   into a number; the character that ends a match or a number stays unread.
//   When the text consumed is not a whole number ("1e+", "-", "."), the
//   conversion fails and nothing is stored.
//
// Safe on any bytes, runs of any length and end of input anywhere; memory
// use does not grow with the length of a number. A read error ends the
// input and sets badbit, as formatted input does.
bool scanFormatted(std::istream& in, std::string_view format, std::initializer_list<ScanTarget> targets);

}  // namespace tessaform
