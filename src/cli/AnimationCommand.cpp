#include "cli/AnimationCommand.h"

#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "anim/Animation.h"
#include "anim/KeyframeFile.h"
#include "app/FrameBuffer.h"
#include "app/ImageMetadata.h"
#include "app/ParamFileIo.h"
#include "cli/FrameNames.h"
#include "cli/GradientChoice.h"
#include "cli/ProgressReporter.h"
#include "io/AtomicReplace.h"
#include "io/ImageOutput.h"
#include "io/VideoWriter.h"
#include "render/Renderer.h"

namespace tessaform {
namespace {

struct Outputs {
    std::vector<FrameNames> images;
    std::vector<std::string> films;
};

Result<Outputs> planOutputs(const std::vector<std::string>& names, std::size_t frameCount)
{
    Outputs outputs;
    for (const std::string& name : names) {
        if (namesVideo(name)) {
            outputs.films.push_back(name);
            continue;
        }
        Result<FrameNames> pattern = FrameNames::parse(name);
        if (!pattern) {
            return Failure{pattern.error()};
        }
        if (!pattern->numbered() && frameCount > 1) {
            return Failure{"-o " + name + " names one file for " + std::to_string(frameCount) +
                           " frames; put a frame number in it, such as julia_%05d.png"};
        }
        outputs.images.push_back(*pattern);
    }
    return outputs;
}

// More than any film has; a list of them stays small in memory.
constexpr long kMostFramesAtOnce = 10'000'000;

Result<std::vector<int>> framesToRender(const CliOptions& options, const Animation& animation)
{
    if (!options.frames.empty()) {
        return options.frames;
    }
    const long span = static_cast<long>(animation.lastFrame()) - animation.firstFrame() + 1;
    if (span > kMostFramesAtOnce) {
        return Failure{"the keys span " + std::to_string(span) + " frames; choose some with --frames"};
    }
    std::vector<int> frames;
    for (int frame = animation.firstFrame(); frame <= animation.lastFrame(); ++frame) {
        frames.push_back(frame);
    }
    return frames;
}

// Images are written whole or not at all, so one that is there is complete.
bool imageExists(const std::string& path)
{
    struct stat file;
    return ::stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) && file.st_size > 0;
}

Result<void> saveAnimation(const std::string& path, const Animation& animation)
{
    const std::string text = keyframeFileText(animation);
    return replaceFileAtomically(path, [&](const std::string& temporary) -> Result<void> {
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (file == nullptr) {
            return Failure{"Could not write " + temporary};
        }
        const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (std::fclose(file) != 0 || !written) {
            return Failure{"Could not write " + temporary};
        }
        return {};
    });
}

// Tried before the first frame, so a doomed run ends at once.
Result<void> checkOutputs(const Outputs& outputs, int firstFrame)
{
    for (const FrameNames& images : outputs.images) {
        if (Result<void> writable = checkReplaceable(images.nameFor(firstFrame)); !writable) {
            return writable;
        }
    }
    for (const std::string& film : outputs.films) {
        if (Result<void> writable = checkReplaceable(film); !writable) {
            return writable;
        }
    }
    return {};
}

class FilmSet {
public:
    Result<void> open(const Outputs& outputs, const FrameBuffer& frame, double fps, int quality)
    {
        for (const std::string& path : outputs.films) {
            Result<std::unique_ptr<VideoWriter>> writer =
                VideoWriter::open({path, frame.width(), frame.height(), fps, quality});
            if (!writer) {
                return Failure{writer.error()};
            }
            writers_.push_back(std::move(writer).value());
        }
        return {};
    }

    Result<void> add(const FrameBuffer& frame)
    {
        for (const auto& writer : writers_) {
            if (Result<void> written = writer->writeFrame(frame.pixels()); !written) {
                return written;
            }
        }
        return {};
    }

    Result<void> finish()
    {
        for (const auto& writer : writers_) {
            if (Result<void> finished = writer->finish(); !finished) {
                return finished;
            }
        }
        return {};
    }

    bool empty() const { return writers_.empty(); }

private:
    std::vector<std::unique_ptr<VideoWriter>> writers_;
};

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

FractalParams recordAt(const Animation& animation, int frame, const CliOptions& options)
{
    FractalParams params = paramsAtFrame(animation, frame);
    for (const FieldAssignment& assignment : options.assignments) {
        applyFieldAssignment(params, assignment);
    }
    return params;
}

struct Film {
    const CliOptions& options;
    const Animation& animation;
    const Outputs& outputs;
    const std::vector<int>& frames;
};

ExitCode renderFrames(const Film& film, const Gradient& gradient, FrameBuffer& canvas)
{
    FilmSet films;
    if (Result<void> opened = films.open(film.outputs, canvas, film.animation.fps, film.options.quality); !opened) {
        return fail(ExitCode::RuntimeFailure, opened.error());
    }
    ProgressReporter progress(stderr, progressStyleFor(stderr, film.options.quiet));
    stopRenderingOnInterrupt();
    FrameClock clock;
    int written = 0;
    for (std::size_t index = 0; index < film.frames.size(); ++index) {
        const int frame = film.frames[index];
        std::vector<std::string> images;
        for (const FrameNames& names : film.outputs.images) {
            if (!film.options.skipExisting || !imageExists(names.nameFor(frame))) {
                images.push_back(names.nameFor(frame));
            }
        }
        if (images.empty() && films.empty()) {
            continue;
        }
        progress.frameStarted(static_cast<int>(index), static_cast<int>(film.frames.size()), frame,
                              clock.secondsLeft(film.frames.size() - index));
        const FractalParams params = recordAt(film.animation, frame, film.options);
        const RenderOutcome outcome = renderImage(params, gradient, canvas.image(), progress, film.options.engine);
        progress.finish();
        if (outcome != RenderOutcome::Completed) {
            // A film keeps the frames it has; the unfinished one is in no file.
            const Result<void> finished = films.finish();
            return fail(ExitCode::RuntimeFailure, "Render interrupted; " + std::to_string(written) + " frames written" +
                                                      (finished ? "" : "; " + finished.error()));
        }
        for (const std::string& image : images) {
            if (Result<void> saved = writeImageFile(image, canvas.pixels(), canvas.width(), canvas.height(),
                                                    imageMetadata(params, gradient));
                !saved) {
                return fail(ExitCode::RuntimeFailure, saved.error());
            }
        }
        if (Result<void> added = films.add(canvas); !added) {
            return fail(ExitCode::RuntimeFailure, added.error());
        }
        ++written;
        clock.frameDone();
    }
    if (Result<void> finished = films.finish(); !finished) {
        return fail(ExitCode::RuntimeFailure, finished.error());
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
        if (Result<void> saved = saveAnimation(*options.saveAnimationFile, animation); !saved) {
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
    const std::vector<int>& frames = *chosen;
    const Result<Outputs> outputs = planOutputs(options.animationOutputs, frames.size());
    if (!outputs) {
        return fail(ExitCode::UsageError, outputs.error());
    }
    GradientSlot gradient;
    if (Result<void> loaded = loadGradientFor(options, nullptr, gradient); !loaded) {
        return fail(ExitCode::RuntimeFailure, loaded.error());
    }
    if (Result<void> writable = checkOutputs(*outputs, frames.front()); !writable) {
        return fail(ExitCode::RuntimeFailure, writable.error());
    }
    const auto canvas = createFrameBuffer(options.width, options.height);
    if (!canvas) {
        return fail(ExitCode::RuntimeFailure, notEnoughMemoryText(options.width, options.height));
    }
    return renderFrames({options, animation, *outputs, frames}, *gradient.current(), *canvas);
}

}  // namespace tessaform
