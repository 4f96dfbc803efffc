#include "app/FrameRenderer.h"

#include "app/AtomicReplace.h"
#include "app/FrameBuffer.h"
#include "app/TgaWriter.h"
#include "params/Gradient.h"
#include "render/Renderer.h"

namespace tessaform {
namespace {

// Every row asks for paint; high-quality rows also show their progress.
class ViewObserver : public RenderObserver {
public:
    ViewObserver(RenderView& view, RenderMode mode, const StopSignal& stop) : view_(view), mode_(mode), stop_(stop) {}

    void rowStarted(RenderPass pass, int row, int height) override
    {
        if (mode_ == RenderMode::HighQuality) {
            view_.showHighQualityTitle(progressText(pass, row, height));
        }
        view_.requestRepaint(mode_);
    }

    bool shouldAbandon(RenderPass pass) override { return stop_.shouldAbandon(pass); }

private:
    RenderView& view_;
    RenderMode mode_;
    const StopSignal& stop_;
};

WriteOutcome saveTga(const std::string& path, const FrameBuffer& frame)
{
    return replaceFileAtomically(path, [&](const std::string& temporaryPath) {
        return writeTga(temporaryPath, frame.pixels(), frame.width(), frame.height());
    });
}

}  // namespace

std::string savedTitle(const WriteOutcome& written)
{
    return written.ok() ? kRenderSavedTitle : "Render not saved - " + written.error;
}

void FrameRenderer::setPreviewBuffer(std::shared_ptr<FrameBuffer> buffer)
{
    std::lock_guard lock(mutex_);
    previewBuffer_ = std::move(buffer);
}

void FrameRenderer::setHighQualityTarget(std::shared_ptr<FrameBuffer> buffer, std::string outputPath)
{
    std::lock_guard lock(mutex_);
    highQuality_ = {std::move(buffer), std::move(outputPath)};
}

FrameRenderer::Target FrameRenderer::targetFor(RenderMode mode) const
{
    std::lock_guard lock(mutex_);
    return mode == RenderMode::Preview ? Target{previewBuffer_, {}} : highQuality_;
}

void FrameRenderer::render(const FractalParams& snapshot, RenderMode mode, const StopSignal& stop)
{
    const Target target = targetFor(mode);
    if (!target.buffer) {
        return;
    }
    const std::shared_ptr<const Gradient> gradient = gradient_.current();
    ViewObserver observer(view_, mode, stop);
    const RenderOutcome outcome = renderImage(snapshot, *gradient, target.buffer->image(), observer);
    if (outcome == RenderOutcome::Completed && mode == RenderMode::HighQuality) {
        view_.showHighQualityTitle(savedTitle(saveTga(target.outputPath, *target.buffer)));
    }
}

}  // namespace tessaform
