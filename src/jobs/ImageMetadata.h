#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "io/PngWriter.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"

namespace tessaform {

inline constexpr const char* kSoftwareKeyword = "Software";
inline constexpr const char* kParamsKeyword = "tessaform-parameters";
inline constexpr const char* kGradientKeyword = "tessaform-gradient";

// What a PNG or an OpenEXR image carries to reproduce itself: the program, every slot of the
// record and the gradient's colours (deflated).
std::vector<PngText> imageMetadata(const FractalParams& params, const Gradient& gradient);

struct ImageParams {
    FractalParams params;
    std::shared_ptr<const Gradient> gradient;
};

// All or nothing: both chunks must be there, once each, and whole.
Result<ImageParams> imageParamsFromTexts(std::span<const PngText> texts);

// From a PNG's text chunks or an OpenEXR image's string attributes, told
// apart by content; "Could not read parameters from PATH: reason" on any
// failure.
Result<ImageParams> readImageParams(const std::string& path);

// By content, not by name.
bool isPngFile(const std::string& path);
bool isExrFile(const std::string& path);
// A PNG or an OpenEXR image: one whose parameters readImageParams reads.
bool isParameterImage(const std::string& path);

// A PNG that names Tessaform's parameter chunk, or whose text chunks are
// damaged, is meant to carry parameters, whether or not they load.
bool carriesParameters(const std::string& path);

}  // namespace tessaform
