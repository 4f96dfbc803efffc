#include "cli/GradientChoice.h"

#include "image/GradientLoader.h"
#include "io/AtomicReplace.h"
#include "jobs/ExecutableDirectory.h"

namespace tessaform {

Result<void> loadGradientFor(const CliOptions& options, const std::shared_ptr<const Gradient>& imageGradient,
                             GradientSlot& gradient)
{
    if (imageGradient && !options.gradientFile) {
        gradient.publish(imageGradient);
        return {};
    }
    const std::string gradientFile = options.gradientFile ? *options.gradientFile : defaultGradientPath();
    if (const Result<void> loaded = loadGradient(gradientFile, gradient); !loaded) {
        return Failure{loaded.error() + ": " + gradientFile};
    }
    return {};
}

Result<std::shared_ptr<const Gradient>> gradientForWritableOutput(const CliOptions& options,
                                                                  const std::shared_ptr<const Gradient>& imageGradient)
{
    GradientSlot gradient;
    if (const Result<void> loaded = loadGradientFor(options, imageGradient, gradient); !loaded) {
        return Failure{loaded.error()};
    }
    if (const Result<void> writable = checkReplaceable(options.outputFile); !writable) {
        return Failure{writable.error()};
    }
    return gradient.current();
}

}  // namespace tessaform
