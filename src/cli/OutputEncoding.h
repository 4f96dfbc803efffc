#pragma once

#include <optional>
#include <string>

#include "base/Result.h"
#include "io/ImageFormats.h"

namespace tessaform {

// What --bit-depth and --alpha ask of every image output.
struct EncodingRequest {
    std::optional<int> bitDepth;
    bool alpha = false;

    bool any() const { return bitDepth || alpha; }
};

// The output's format's default encoding with what was asked; one line
// naming the option when the format does not offer it.
Result<ImageEncoding> outputEncoding(const std::string& output, const EncodingRequest& request);

}  // namespace tessaform
