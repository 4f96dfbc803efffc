#pragma once

#include "cli/CliOptions.h"
#include "cli/ExitCode.h"

namespace tessaform {

// Renders the frames of --animation to numbered images and films, one after
// another, each on every core.
ExitCode runAnimation(const CliOptions& options);

}  // namespace tessaform
