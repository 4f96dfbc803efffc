#include "session/FrameRenderer.h"

#include <algorithm>
#include <new>

#include "io/ImageOutput.h"
#include "jobs/FrameBuffer.h"
#include "jobs/ImageMetadata.h"
#include "jobs/StillImage.h"
#include "params/Gradient.h"
#include "render/Renderer.h"
#include "session/FilmJob.h"
#include "session/RenderTitles.h"
#include "session/SharedFrame.h"

namespace tessaform {
namespace {

// Every finished row is shown and asks for paint; high-quality rows also
// show their progress. Without a frame, rows are shown by whoever takes
// them.
class ViewObserver : public RenderObserver {
public:
    ViewObserver(SharedFrame* frame, RenderView& view, RenderMode mode, const StopSignal& stop)
        : frame_(frame), view_(view), mode_(mode), stop_(stop)
    {
    }

    void rowFinished(RenderPass pass, int row, int height) override
    {
        if (frame_) {
            frame_->showRows(row, 1);
        }
        if (mode_ == RenderMode::HighQuality) {
            view_.showHighQualityTitle(progressText(pass, row, height));
        }
        view_.requestRepaint(mode_);
    }

    bool shouldAbandon(RenderPass pass) override { return stop_.shouldAbandon(pass); }

private:
    SharedFrame* frame_;
    RenderView& view_;
    RenderMode mode_;
    const StopSignal& stop_;
};

// A PNG carries what reproduces it.
Result<void> saveImage(const std::string& path, const FrameBuffer& frame, const FractalParams& snapshot,
                       const Gradient& gradient)
{
    return writeImageFile(path, frame.pixels(), frame.width(), frame.height(), imageMetadata(snapshot, gradient));
}

}  // namespace

void FrameRenderer::setPreviewFrame(std::shared_ptr<SharedFrame> frame)
{
    std::lock_guard lock(mutex_);
    previewFrame_ = std::move(frame);
}

void FrameRenderer::setHighQualityTarget(std::shared_ptr<SharedFrame> frame, std::string outputPath,
                                         ImageEncoding encoding)
{
    std::lock_guard lock(mutex_);
    highQuality_ = {std::move(frame), std::move(outputPath), {}, encoding};
}

void FrameRenderer::setFilmTarget(std::shared_ptr<SharedFrame> frame, std::shared_ptr<const FilmJob> job)
{
    std::lock_guard lock(mutex_);
    film_ = {std::move(frame), {}, std::move(job), {}};
}

FrameRenderer::Target FrameRenderer::targetFor(RenderMode mode) const
{
    std::lock_guard lock(mutex_);
    switch (mode) {
        case RenderMode::Preview:
            return {previewFrame_, {}, {}, {}};
        case RenderMode::HighQuality:
            return highQuality_;
        case RenderMode::Film:
            return film_;
    }
    return {};
}

void FrameRenderer::render(const FractalParams& snapshot, RenderMode mode, const StopSignal& stop)
{
    const Target target = targetFor(mode);
    if (!target.frame) {
        return;
    }
    // Left to the render thread, running out of memory would end the
    // program, settings and all; the image is not saved instead.
    try {
        renderInto(target, snapshot, mode, stop);
    } catch (const std::bad_alloc&) {
        if (mode == RenderMode::HighQuality) {
            const FrameBuffer& canvas = target.frame->canvas();
            view_.showHighQualityTitle(savedTitle(Failure{notEnoughMemoryText(canvas.width(), canvas.height())}));
        }
    }
}

void FrameRenderer::renderInto(const Target& target, const FractalParams& snapshot, RenderMode mode,
                               const StopSignal& stop)
{
    FrameBuffer& canvas = target.frame->canvas();
    const std::shared_ptr<const Gradient> gradient = gradient_.current();
    if (mode == RenderMode::Film) {
        // The snapshot plays no part: each frame's record comes from the keys.
        renderFilmJob(*target.film, *gradient, *target.frame, view_, stop);
        return;
    }
    if (mode == RenderMode::HighQuality && imageFormatFor(target.outputPath).rowsNeedDeepValues(target.encoding)) {
        renderIntoDeepFile(target, snapshot, *gradient, stop);
        return;
    }
    ViewObserver observer(target.frame.get(), view_, mode, stop);
    const RenderOutcome outcome = renderImage(snapshot, *gradient, canvas.image(), observer);
    if (outcome == RenderOutcome::Abandoned) {
        // Whatever the render got to, partly drawn rows included.
        target.frame->showRows(0, canvas.height());
        if (mode == RenderMode::HighQuality) {
            view_.showHighQualityTitle(kRenderStoppedTitle);
        }
    }
    if (outcome != RenderOutcome::Completed) {
        return;
    }
    if (mode == RenderMode::HighQuality) {
        view_.showHighQualityTitle(savedTitle(saveImage(target.outputPath, canvas, snapshot, *gradient)));
    } else {
        view_.previewFinished(snapshot);
    }
}

// The file keeps float values that the canvas has no room for, so the
// render goes to the file row by row, each final row also drawn into the
// canvas and shown.
void FrameRenderer::renderIntoDeepFile(const Target& target, const FractalParams& snapshot, const Gradient& gradient,
                                       const StopSignal& stop)
{
    SharedFrame& frame = *target.frame;
    FrameBuffer& canvas = frame.canvas();
    ViewObserver observer(nullptr, view_, RenderMode::HighQuality, stop);
    const auto show = [&](int row, const std::uint32_t* pixels) {
        std::copy_n(pixels, canvas.width(), &canvas.image().at(0, row));
        frame.showRows(row, 1);
        view_.requestRepaint(RenderMode::HighQuality);
        return true;
    };
    const Result<RenderOutcome> rendered =
        renderStillImage({target.outputPath, target.encoding, canvas.width(), canvas.height()}, snapshot, gradient,
                         RenderSettings{}, observer, show);
    if (!rendered) {
        view_.showHighQualityTitle(savedTitle(Failure{rendered.error()}));
    } else if (*rendered == RenderOutcome::Completed) {
        view_.showHighQualityTitle(savedTitle({}));
    } else if (*rendered == RenderOutcome::Abandoned) {
        view_.showHighQualityTitle(kRenderStoppedTitle);
    }
}

}  // namespace tessaform
