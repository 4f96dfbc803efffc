#pragma once

#include <optional>
#include <string>

#include "base/Result.h"
#include "io/ImageFormats.h"

namespace CLI {
class App;
}

namespace tessaform {

// What --bit-depth and --alpha ask of every image output.
struct EncodingRequest {
    std::optional<int> bitDepth;
    bool alpha = false;

    bool any() const { return bitDepth || alpha; }
};

// --bit-depth and --alpha, for the still's options and assemble's alike.
void addEncodingOptions(CLI::App& app, EncodingRequest& request);

// The output's format's default encoding with what was asked; one line
// naming the option when the format does not offer it.
Result<ImageEncoding> outputEncoding(const std::string& output, const EncodingRequest& request);

}  // namespace tessaform
