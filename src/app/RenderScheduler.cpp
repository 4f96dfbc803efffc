#include "app/RenderScheduler.h"

#include <system_error>
#include <thread>

#include "render/Renderer.h"

namespace tessaform {

RenderClaim::~RenderClaim()
{
    if (scheduler_ != nullptr) {
        scheduler_->releaseClaim();
    }
}

RenderScheduler::RenderScheduler(SharedParams& params, RenderProcedure& procedure)
    : params_(params), procedure_(procedure)
{
}

RenderScheduler::~RenderScheduler()
{
    shutdown();
}

bool RenderScheduler::startInFlight() const
{
    std::lock_guard lock(mutex_);
    return startInFlight_;
}

void RenderScheduler::requestRender()
{
    std::lock_guard lock(mutex_);
    requestRenderLocked();
}

void RenderScheduler::requestRenderLocked()
{
    if (closing_) {
        return;
    }
    if (startInFlight_) {
        flags_.restartRequested = true;
        return;
    }
    startInFlight_ = true;
    if (!spawnLocked([this] { renderStarter(); })) {
        // The next request tries again.
        startInFlight_ = false;
    }
}

void RenderScheduler::renderStarter()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closing_ || (!flags_.renderBusy && !highQualityWaiting_); });
    if (closing_) {
        startInFlight_ = false;
        return;
    }
    flags_.renderBusy = true;
    // Requests made before this copy are part of it; only later ones may cut
    // the new render short.
    flags_.restartRequested = false;
    params_.takeSnapshot();
    flags_.previewMode = true;
    launchLocked(true);
}

RenderClaim RenderScheduler::stopRenderAndWait()
{
    std::unique_lock lock(mutex_);
    if (flags_.renderBusy) {
        // Holding back starters until the slot is ours keeps the wait to the
        // first pass of the running preview.
        highQualityWaiting_ = true;
        while (flags_.renderBusy && !closing_) {
            flags_.restartRequested = true;
            changed_.wait(lock);
        }
        highQualityWaiting_ = false;
        changed_.notify_all();
    }
    if (closing_) {
        return RenderClaim(nullptr);
    }
    flags_.renderBusy = true;
    return RenderClaim(this);
}

void RenderScheduler::launchRenderThread(RenderClaim claim)
{
    if (!claim.held()) {
        return;
    }
    claim.scheduler_ = nullptr;
    std::lock_guard lock(mutex_);
    launchLocked(false);
}

void RenderScheduler::launchLocked(bool launchedByStarter)
{
    if (closing_) {
        releaseSlotLocked(launchedByStarter);
        return;
    }
    flags_.keepRendering = true;
    const FractalParams snapshot = params_.snapshot();
    if (!isSupportedPower(snapshot.power)) {
        releaseSlotLocked(launchedByStarter);
        return;
    }
    const RenderMode mode = flags_.previewMode ? RenderMode::Preview : RenderMode::HighQuality;
    const std::uint64_t renderId = ++launchCount_;
    runningRenders_.insert(renderId);
    if (!spawnLocked([this, snapshot, mode, launchedByStarter, renderId] {
            renderThreadBody(snapshot, mode, launchedByStarter, renderId);
        })) {
        runningRenders_.erase(renderId);
        releaseSlotLocked(launchedByStarter);
        return;
    }
    renderThread_ = renderId;
}

void RenderScheduler::renderThreadBody(const FractalParams& snapshot, RenderMode mode, bool launchedByStarter,
                                       std::uint64_t renderId)
{
    const StopSignal stop(flags_.keepRendering, flags_.restartRequested, mode == RenderMode::Preview);
    procedure_.render(snapshot, mode, stop);
    endRender(launchedByStarter, renderId);
}

void RenderScheduler::endRender(bool launchedByStarter, std::uint64_t renderId)
{
    std::lock_guard lock(mutex_);
    runningRenders_.erase(renderId);
    releaseSlotLocked(launchedByStarter);
    const bool recordsDiffer = params_.liveDiffersFromSnapshot();
    const bool restartWanted = flags_.restartRequested.exchange(false);
    if (recordsDiffer || restartWanted) {
        requestRenderLocked();
    }
}

void RenderScheduler::releaseSlotLocked(bool launchedByStarter)
{
    if (launchedByStarter) {
        startInFlight_ = false;
    }
    flags_.renderBusy = false;
    changed_.notify_all();
}

void RenderScheduler::releaseClaim()
{
    std::lock_guard lock(mutex_);
    releaseSlotLocked(false);
}

void RenderScheduler::waitForRenderThread()
{
    std::unique_lock lock(mutex_);
    if (renderThread_ == 0) {
        return;
    }
    const std::uint64_t renderId = renderThread_;
    changed_.wait(lock, [&] { return !runningRenders_.contains(renderId); });
    // A render launched meanwhile stays for the next wait.
    if (renderThread_ == renderId) {
        renderThread_ = 0;
    }
}

void RenderScheduler::shutdown()
{
    std::unique_lock lock(mutex_);
    closing_ = true;
    flags_.keepRendering = false;
    changed_.notify_all();
    changed_.wait(lock, [this] { return liveThreads_ == 0; });
}

bool RenderScheduler::spawnLocked(std::function<void()> body)
{
    try {
        std::thread([this, body = std::move(body)] {
            body();
            std::lock_guard lock(mutex_);
            --liveThreads_;
            changed_.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    ++liveThreads_;
    return true;
}

}  // namespace tessaform
