#include "cli/RenderCommand.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cli/AnimationCommand.h"
#include "cli/CliOptions.h"
#include "cli/ExitCode.h"
#include "cli/GradientChoice.h"
#include "cli/ProgressReporter.h"
#include "cli/SplitCommands.h"
#include "cli/ToolkitMessages.h"
#include "jobs/FrameBuffer.h"
#include "jobs/ImageMetadata.h"
#include "jobs/KeyframeFileIo.h"
#include "jobs/ParamFileIo.h"
#include "jobs/SceneFile.h"
#include "jobs/StillImage.h"

namespace tessaform {
namespace {

ExitCode renderToFile(const CliOptions& options, const FractalParams& params,
                      const std::shared_ptr<const Gradient>& imageGradient)
{
    const Result<std::shared_ptr<const Gradient>> gradient = gradientForWritableOutput(options, imageGradient);
    if (!gradient) {
        return fail(ExitCode::RuntimeFailure, gradient.error());
    }
    // Only the reference engine holds the whole image; the fast one a strip.
    if (options.engine.engine == RenderEngine::Reference && !frameBuffersFit(options.width, options.height, 1)) {
        return fail(ExitCode::RuntimeFailure, notEnoughMemoryText(options.width, options.height));
    }
    ProgressReporter progress(stderr, progressStyleFor(stderr, options.quiet));
    stopRenderingOnInterrupt();
    const Result<RenderOutcome> rendered =
        renderStillImage({options.outputFile, options.encoding, options.width, options.height}, params, **gradient,
                         options.engine, progress);
    progress.finish();
    if (!rendered) {
        return fail(ExitCode::RuntimeFailure, rendered.error());
    }
    if (*rendered != RenderOutcome::Completed) {
        return fail(ExitCode::RuntimeFailure, "Render interrupted; nothing written");
    }
    return ExitCode::Success;
}

ExitCode run(const CliOptions& options)
{
    FractalParams params = defaultParams();
    std::shared_ptr<const Gradient> imageGradient;
    if (options.paramsFile && isParameterImage(*options.paramsFile)) {
        const Result<ImageParams> image = readImageParams(*options.paramsFile);
        if (!image) {
            return fail(ExitCode::RuntimeFailure, image.error());
        }
        params = image->params;
        imageGradient = image->gradient;
    } else if (options.paramsFile && namesKeyframeFile(*options.paramsFile)) {
        const Result<FractalParams> scene = readSceneFile(*options.paramsFile);
        if (!scene) {
            return fail(ExitCode::RuntimeFailure, scene.error());
        }
        params = *scene;
    } else if (options.paramsFile) {
        const Result<int> linesRead = readParamsFile(*options.paramsFile, params);
        if (!linesRead) {
            return fail(ExitCode::RuntimeFailure, linesRead.error());
        }
        // A short file still loads what it holds, but the user should know
        // that the rest are defaults.
        if (const std::string problem = shortParamsFileWarning(*options.paramsFile, *linesRead); !problem.empty()) {
            std::fprintf(stderr, "tessaform-render: warning: %s\n", problem.c_str());
        }
    }
    for (const FieldAssignment& assignment : options.assignments) {
        applyFieldAssignment(params, assignment);
    }
    if (options.saveParamsFile) {
        const std::string& path = *options.saveParamsFile;
        const Result<void> saved =
            namesKeyframeFile(path) ? writeSceneFile(path, params) : writeParamsFile(path, params);
        if (!saved.ok()) {
            return fail(ExitCode::RuntimeFailure, saved.error());
        }
        if (const std::string lost = namesKeyframeFile(path) ? "" : looksLeftOutOfParamsFileWarning(params);
            !lost.empty()) {
            std::fprintf(stderr, "tessaform-render: warning: %s\n", lost.c_str());
        }
    }
    if (!options.render) {
        return ExitCode::Success;
    }
    return options.tile ? renderTile(options, params, imageGradient) : renderToFile(options, params, imageGradient);
}

}  // namespace

int runRenderCommand(int argc, const char* const* argv)
{
    silenceToolkitMessages();
    if (const auto assemble = assembleArguments(argc, argv)) {
        return exitStatus(runAssembleCommand(static_cast<int>(assemble->size()), assemble->data()));
    }
    const ParsedCommandLine parsed = parseCommandLine(argc, argv);
    if (parsed.textToPrint) {
        std::fputs(parsed.textToPrint->c_str(), stdout);
        return exitStatus(ExitCode::Success);
    }
    if (!parsed.options) {
        return exitStatus(fail(ExitCode::UsageError, parsed.options.error() + " (see --help)"));
    }
    if (parsed.options->animationFile) {
        return exitStatus(runAnimation(*parsed.options));
    }
    return exitStatus(run(*parsed.options));
}

}  // namespace tessaform
