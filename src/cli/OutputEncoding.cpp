#include "cli/OutputEncoding.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <vector>

namespace tessaform {

void addEncodingOptions(CLI::App& app, EncodingRequest& request)
{
    app.add_option("--bit-depth", request.bitDepth, "Bits per colour channel of a .png output: 8 (default) or 16")
        ->check(CLI::IsMember({8, 16}));
    app.add_flag("--alpha", request.alpha,
                 "A transparent background (a .png output; an .exr output always has it), edge pixels partly so");
}

Result<ImageEncoding> outputEncoding(const std::string& output, const EncodingRequest& request)
{
    const ImageFormat& format = imageFormatFor(output);
    ImageEncoding encoding = format.defaultEncoding();
    if (request.bitDepth) {
        const std::vector<const ImageFormat*> offering = imageFormatsOffering(*request.bitDepth);
        if (std::find(offering.begin(), offering.end(), &format) == offering.end()) {
            return Failure{"--bit-depth " + std::to_string(*request.bitDepth) + " needs a " + extensionsOf(offering) +
                           " output"};
        }
        encoding.bitDepth = *request.bitDepth;
    }
    if (request.alpha) {
        if (format.alpha == AlphaChannel::None) {
            return Failure{"--alpha needs a " + extensionsOf(imageFormatsWithAlpha()) + " output"};
        }
        encoding.alpha = true;
    }
    return encoding;
}

}  // namespace tessaform
