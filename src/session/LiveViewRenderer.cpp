#include "session/LiveViewRenderer.h"

#include <algorithm>
#include <cstring>

#include "base/SanitizerHandOff.h"
#include "session/SharedFrame.h"
#include "session/SharedParams.h"

namespace tessaform {
namespace {

using Clock = std::chrono::steady_clock;

// About one screen refresh: anti-aliased rows appear smoothly without a
// queued signal per row.
constexpr auto kRowsSignalInterval = std::chrono::milliseconds(16);

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::shared_ptr<const FrameBuffer> copyOf(const FrameBuffer& source)
{
    std::shared_ptr<FrameBuffer> copy = createFrameBuffer(source.width(), source.height());
    if (copy) {
        std::copy_n(source.pixels(),
                    static_cast<std::size_t>(source.width()) * static_cast<std::size_t>(source.height()),
                    copy->pixels());
    }
    return copy;
}

}  // namespace

// Shows each stage and the anti-aliased rows as they come, and stops the
// render as soon as a newer request is in.
class LiveViewRenderer::StageReporter : public ProgressiveObserver {
public:
    StageReporter(LiveViewRenderer& owner, const Request& request, SharedFrame& frame,
                  std::shared_ptr<const SharedFrame> shownFrame)
        : owner_(owner), request_(request), frame_(frame), shownFrame_(std::move(shownFrame))
    {
    }

    void rowFinished(RenderPass pass, int row, int) override
    {
        if (pass != RenderPass::AntiAlias) {
            return;
        }
        frame_.showRows(row, 1);
        if (Clock::now() - lastRowsSignal_ >= kRowsSignalInterval) {
            lastRowsSignal_ = Clock::now();
            owner_.deliver([this] { emit owner_.rowsShown(); });
        }
    }

    bool shouldAbandon(RenderPass) override { return owner_.superseded(request_.id); }

    void stageFinished(ProgressiveStage stage) override
    {
        frame_.showRows(0, frame_.height());
        if (stage.blockSize == 1 && !stage.antiAliased) {
            firstPassMilliseconds_ = millisecondsSince(start_);
        }
        LiveViewProgress progress{shownFrame_, nullptr,     request_.record,       request_.gradient,
                                  stage,       request_.id, firstPassMilliseconds_};
        if (stage.antiAliased) {
            progress.finishedImage = copyOf(frame_.canvas());
        }
        lastRowsSignal_ = Clock::now();
        owner_.deliver([this, &progress] { emit owner_.stageShown(progress); });
    }

private:
    LiveViewRenderer& owner_;
    const Request& request_;
    SharedFrame& frame_;
    std::shared_ptr<const SharedFrame> shownFrame_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastRowsSignal_ = Clock::now();
    double firstPassMilliseconds_ = -1.0;
};

LiveViewRenderer::LiveViewRenderer(const SharedParams& record, const GradientSlot& gradient, Procedure procedure)
    : record_(record), gradient_(gradient), procedure_(std::move(procedure))
{
    if (!procedure_) {
        auto renderer = std::make_shared<ProgressiveRenderer>();
        procedure_ = [renderer](const FractalParams& snapshot, const Gradient& table, const PixelImage& image,
                                ProgressiveObserver& observer) {
            return renderer->render(snapshot, table, image, observer);
        };
    }
    thread_ = std::thread([this] { renderLoop(); });
}

LiveViewRenderer::~LiveViewRenderer()
{
    shutdown();
}

void LiveViewRenderer::requestRender(int width, int height)
{
    if (width < 1 || height < 1) {
        return;
    }
    const FractalParams& record = record_.live();
    std::shared_ptr<const Gradient> gradient = gradient_.current();
    std::lock_guard lock(mutex_);
    if (closing_ || sameAsWantedLocked(record, gradient.get(), width, height)) {
        return;
    }
    wanted_ = {record, std::move(gradient), width, height, wanted_.id + 1};
    newestId_ = wanted_.id;
    changed_.notify_all();
}

// The newest request is what runs or is about to; an equal one adds nothing.
bool LiveViewRenderer::sameAsWantedLocked(const FractalParams& record, const Gradient* gradient, int width,
                                          int height) const
{
    return wanted_.id != 0 && wanted_.width == width && wanted_.height == height &&
           wanted_.gradient.get() == gradient && !paramsDiffer(wanted_.record, record);
}

bool LiveViewRenderer::superseded(std::uint64_t renderId) const
{
    return stopping_.load() || newestId_.load() != renderId;
}

// Everything this thread did so far happens before a receiver's
// takeDelivery; posting the queued call is Qt's own bookkeeping, behind a
// lock ThreadSanitizer does not see, so it is left unchecked.
template <typename Emit>
void LiveViewRenderer::deliver(const Emit& emitSignal)
{
    handOver(this);
    const UncheckedByThreadSanitizer queueBookkeeping;
    emitSignal();
}

void LiveViewRenderer::takeDelivery() const
{
    takeOver(this);
}

bool LiveViewRenderer::waitUntilIdle(std::chrono::milliseconds patience)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, patience, [this] { return closing_ || (!busy_ && takenId_ == wanted_.id); });
}

void LiveViewRenderer::shutdown()
{
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        stopping_ = true;
        changed_.notify_all();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LiveViewRenderer::renderLoop()
{
    Request request;
    while (nextRequest(request)) {
        renderOne(request);
    }
}

bool LiveViewRenderer::nextRequest(Request& request)
{
    std::unique_lock lock(mutex_);
    busy_ = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return closing_ || takenId_ != wanted_.id; });
    if (closing_) {
        return false;
    }
    request = wanted_;
    takenId_ = request.id;
    busy_ = true;
    return true;
}

void LiveViewRenderer::renderOne(const Request& request)
{
    if (!frame_ || frame_->width() != request.width || frame_->height() != request.height) {
        // The old frame goes first, so that two large frames are never held
        // at once by this thread.
        frame_.reset();
        frame_ = SharedFrame::create(request.width, request.height);
        if (!frame_) {
            return;
        }
    }
    StageReporter reporter(*this, request, *frame_, frame_);
    const Gradient& gradient = request.gradient ? *request.gradient : neutralGradient();
    procedure_(request.record, gradient, frame_->canvas().image(), reporter);
}

}  // namespace tessaform
