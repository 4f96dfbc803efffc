#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/ExitCode.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"

namespace tessaform {

// --tile: renders this task's band of the still into its part file.
ExitCode renderTile(const CliOptions& options, const FractalParams& params,
                    const std::shared_ptr<const Gradient>& imageGradient);

// "tessaform-render assemble PART... -o IMAGE"; argv[0] is "assemble".
ExitCode runAssembleCommand(int argc, const char* const* argv);

// The arguments for runAssembleCommand when the command line asks for an
// assembly: the word "assemble" first, or after nothing but assemble's own
// options (-q, -o FILE), which then follow it. Empty for anything else.
std::optional<std::vector<const char*>> assembleArguments(int argc, const char* const* argv);

}  // namespace tessaform
