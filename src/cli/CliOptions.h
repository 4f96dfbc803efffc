#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/FieldAssignment.h"
#include "params/Result.h"
#include "render/RenderSettings.h"

namespace tessaform {

struct CliOptions {
    std::optional<std::string> paramsFile;
    std::vector<FieldAssignment> assignments;
    std::optional<std::string> gradientFile;  // default: beside the executable
    int width = 1024;
    int height = 768;
    RenderSettings engine;  // which engine, how many threads
    std::string outputFile = "Julia.tga";
    std::optional<std::string> saveParamsFile;
    bool render = true;  // false when only --save-params was asked for
    bool quiet = false;
};

// What the command line asks for.
struct ParsedCommandLine {
    Result<CliOptions> options;           // the error is one line for stderr
    std::optional<std::string> helpText;  // set for --help
};

ParsedCommandLine parseCommandLine(int argc, const char* const* argv);

}  // namespace tessaform
