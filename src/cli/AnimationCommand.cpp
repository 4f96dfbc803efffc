#include "cli/AnimationCommand.h"

#include <cstdio>

#include <chrono>
#include <string>
#include <vector>

#include "anim/Animation.h"
#include "anim/FrameList.h"
#include "anim/KeyframeFile.h"
#include "cli/GradientChoice.h"
#include "cli/OutputEncoding.h"
#include "cli/ProgressReporter.h"
#include "jobs/FilmFrames.h"
#include "jobs/FilmOutputs.h"
#include "jobs/FrameBuffer.h"
#include "jobs/KeyframeFileIo.h"
#include "jobs/ParamFileIo.h"

namespace tessaform {
namespace {

Result<std::vector<int>> framesToRender(const CliOptions& options, const Animation& animation)
{
    if (!options.frames.empty()) {
        return options.frames;
    }
    Result<std::vector<int>> frames = framesFromFirstToLastKey(animation);
    if (!frames) {
        return Failure{frames.error() + "; choose some with --frames"};
    }
    return frames;
}

class FrameClock {
public:
    void frameDone() { ++done_; }
    double secondsLeft(std::size_t remaining) const
    {
        if (done_ == 0) {
            return 0.0;
        }
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start_;
        return spent.count() / static_cast<double>(done_) * static_cast<double>(remaining);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::size_t done_ = 0;
};

// Progress on stderr with the time left; an interrupt stops the render.
class StderrFilmProgress : public FilmObserver {
public:
    explicit StderrFilmProgress(bool quiet) : progress_(stderr, progressStyleFor(stderr, quiet)) {}

    void frameStarted(std::size_t index, std::size_t count, int frame) override
    {
        progress_.frameStarted(static_cast<int>(index), static_cast<int>(count), frame,
                               clock_.secondsLeft(count - index));
    }
    void frameRendered() override { progress_.finish(); }
    void frameWritten() override { clock_.frameDone(); }
    void rowFinished(RenderPass pass, int row, int height) override { progress_.rowFinished(pass, row, height); }
    bool shouldAbandon(RenderPass pass) override { return progress_.shouldAbandon(pass); }

private:
    ProgressReporter progress_;
    FrameClock clock_;
};

// The task's contiguous run of the chosen frames.
std::vector<int> chunkOf(const std::vector<int>& frames, const CliOptions& options)
{
    if (!options.chunk) {
        return frames;
    }
    const auto [first, last] = options.chunk->runOf(frames.size());
    return {frames.begin() + static_cast<std::ptrdiff_t>(first), frames.begin() + static_cast<std::ptrdiff_t>(last)};
}

// One line on stdout for whoever runs many of these: what this run did.
// Frames left to other runs are added after the counts scripts read, and
// only when there are some.
void printManifest(const FilmEnd& end)
{
    std::printf("Frames: %d done, %d skipped, %d failed", end.framesWritten, end.framesSkipped, end.files ? 0 : 1);
    if (end.framesLeftToOthers > 0) {
        std::printf(", %d claimed by others", end.framesLeftToOthers);
    }
    std::printf("\n");
    std::fflush(stdout);
}

FractalParams recordAt(const Animation& animation, int frame, const CliOptions& options)
{
    FractalParams params = paramsAtFrame(animation, frame);
    for (const FieldAssignment& assignment : options.assignments) {
        applyFieldAssignment(params, assignment);
    }
    return params;
}

ExitCode renderFrames(const CliOptions& options, const FilmFrames& film, const Gradient& gradient, FrameBuffer& canvas)
{
    StderrFilmProgress progress(options.quiet);
    stopRenderingOnInterrupt();
    const FilmEnd end = renderFilmFrames(film, gradient, canvas, progress, options.engine);
    printManifest(end);
    if (end.stopped) {
        // A film keeps the frames it has; the unfinished one is in no file.
        return fail(ExitCode::RuntimeFailure, "Render interrupted; " + std::to_string(end.framesWritten) +
                                                  " frames written" + (end.files ? "" : "; " + end.files.error()));
    }
    if (!end.files) {
        return fail(ExitCode::RuntimeFailure, end.files.error());
    }
    if (end.framesLeftToOthers > 0) {
        return fail(ExitCode::FramesLeftToOthers,
                    "frames claimed by other runs are still missing (" + std::to_string(end.framesLeftToOthers) +
                        "); run again once those runs have ended (a claim made on another machine lapses after "
                        "--claim-timeout)");
    }
    return ExitCode::Success;
}

}  // namespace

ExitCode runAnimation(const CliOptions& options)
{
    const KeyframeLoad load = readKeyframeFile(*options.animationFile, readParamsOnto);
    if (!load.animation) {
        const bool unreadable = load.problem == KeyframeProblem::Unreadable;
        return fail(unreadable ? ExitCode::RuntimeFailure : ExitCode::UsageError, load.animation.error());
    }
    Animation animation = *load.animation;
    if (options.fps) {
        animation.fps = *options.fps;
    }
    if (options.saveAnimationFile) {
        if (Result<void> saved = writeKeyframeFile(*options.saveAnimationFile, animation); !saved) {
            return fail(ExitCode::RuntimeFailure, saved.error());
        }
    }
    if (!options.render) {
        return ExitCode::Success;
    }
    const Result<std::vector<int>> chosen = framesToRender(options, animation);
    if (!chosen) {
        return fail(ExitCode::UsageError, chosen.error());
    }
    const std::vector<int> frames = chunkOf(*chosen, options);
    if (frames.empty()) {
        // More tasks than frames: this one has none.
        printManifest({});
        return ExitCode::Success;
    }
    Result<FilmOutputs> outputs = planFilmOutputs(options.animationOutputs, frames.size());
    if (!outputs) {
        return fail(ExitCode::UsageError, "-o " + outputs.error());
    }
    // Checked when the options were read.
    for (FrameImages& images : outputs.value().images) {
        images.encoding = *outputEncoding(images.names.nameFor(0), options.encodingRequest);
    }
    GradientSlot gradient;
    if (Result<void> loaded = loadGradientFor(options, nullptr, gradient); !loaded) {
        return fail(ExitCode::RuntimeFailure, loaded.error());
    }
    if (Result<void> writable = checkFilmOutputs(*outputs, frames); !writable) {
        return fail(ExitCode::RuntimeFailure, writable.error());
    }
    const auto canvas = createFrameBuffer(options.width, options.height);
    if (!canvas) {
        return fail(ExitCode::RuntimeFailure, notEnoughMemoryText(options.width, options.height));
    }
    FilmFrames film{frames, *outputs, animation.fps, options.quality, options.skipExisting, [&](int frame) {
                        return recordAt(animation, frame, options);
                    }};
    if (options.skipExisting) {
        film.claimsStaleAfter = options.claimTimeout;
    }
    return renderFrames(options, film, *gradient.current(), *canvas);
}

}  // namespace tessaform
