#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "cli/FieldAssignment.h"
#include "cli/OutputEncoding.h"
#include "cli/TaskShare.h"
#include "io/ImageFormats.h"
#include "jobs/FilmFrames.h"
#include "render/RenderSettings.h"

namespace tessaform {

struct CliOptions {
    std::optional<std::string> paramsFile;
    std::vector<FieldAssignment> assignments;
    std::optional<std::string> gradientFile;  // default: beside the executable
    int width = 1024;
    int height = 768;
    RenderSettings engine;                 // which engine, how many threads
    std::string outputFile = "Julia.tga";  // a still's image
    EncodingRequest encodingRequest;       // --bit-depth and --alpha, checked against every output
    ImageEncoding encoding;                // the still's
    std::optional<std::string> saveParamsFile;
    bool render = true;  // false when only --save-params or --save-animation was asked for
    bool quiet = false;

    std::optional<std::string> animationFile;
    std::vector<std::string> animationOutputs;  // image name patterns and films
    std::vector<int> frames;                    // empty: first to last key
    std::optional<double> fps;                  // default: the file's
    int quality = FilmFrames::kDefaultQuality;
    bool skipExisting = false;
    std::optional<std::string> saveAnimationFile;
    std::optional<TaskShare> chunk;  // this task's run of the frames
    std::optional<TaskShare> tile;   // this task's band of a split still
    bool deep = false;               // the tile's part keeps the float values of its pixels
    std::chrono::seconds claimTimeout{3600};
};

// What the command line asks for.
struct ParsedCommandLine {
    Result<CliOptions> options;              // the error is one line for stderr
    std::optional<std::string> textToPrint;  // set for --help and --version: printed instead of running
};

ParsedCommandLine parseCommandLine(int argc, const char* const* argv);

}  // namespace tessaform
