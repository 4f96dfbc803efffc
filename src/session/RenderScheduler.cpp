#include "session/RenderScheduler.h"

#include <system_error>
#include <utility>

#include "render/PowerDispatch.h"

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
        restartRequested_ = true;
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
    ++startersWaiting_;
    changed_.wait(lock, [this] { return closing_ || (!renderBusy_ && !highQualityWaiting_); });
    --startersWaiting_;
    if (closing_) {
        startInFlight_ = false;
        changed_.notify_all();
        return;
    }
    renderBusy_ = true;
    // Requests made before this copy are part of it; only later ones may cut
    // the new render short.
    restartRequested_ = false;
    params_.takeSnapshot();
    launchLocked(RenderMode::Preview, true);
}

RenderClaim RenderScheduler::stopRenderAndWait()
{
    std::unique_lock lock(mutex_);
    if (renderBusy_) {
        // Holding back starters until the slot is ours keeps the wait to the
        // first pass of the running preview.
        highQualityWaiting_ = true;
        while (renderBusy_ && !closing_) {
            restartRequested_ = true;
            changed_.wait(lock);
        }
        highQualityWaiting_ = false;
        changed_.notify_all();
    }
    if (closing_) {
        return RenderClaim(nullptr);
    }
    if (!params_.holdsSnapshot()) {
        // Before the first preview has copied the record, as right at
        // program start, the caller's render would have nothing to draw.
        params_.takeSnapshot();
    }
    renderBusy_ = true;
    return RenderClaim(this);
}

void RenderScheduler::launch(RenderClaim claim, RenderMode mode)
{
    if (!claim.held()) {
        return;
    }
    claim.scheduler_ = nullptr;
    std::lock_guard lock(mutex_);
    launchLocked(mode, false);
}

void RenderScheduler::launchLocked(RenderMode mode, bool launchedByStarter)
{
    if (closing_) {
        releaseSlotLocked(launchedByStarter);
        return;
    }
    keepRendering_ = true;
    const FractalParams snapshot = params_.snapshot();
    if (!isSupportedPower(snapshot.power)) {
        releaseSlotLocked(launchedByStarter);
        return;
    }
    const std::uint64_t renderId = ++launchCount_;
    runningRenders_.insert(renderId);
    if (!spawnLocked([this, snapshot, mode, launchedByStarter, renderId] {
            renderThreadBody(snapshot, mode, launchedByStarter, renderId);
        })) {
        runningRenders_.erase(renderId);
        releaseSlotLocked(launchedByStarter);
        return;
    }
    launchedRender_ = renderId;
}

void RenderScheduler::renderThreadBody(const FractalParams& snapshot, RenderMode mode, bool launchedByStarter,
                                       std::uint64_t renderId)
{
    const StopSignal stop(keepRendering_, restartRequested_, mode == RenderMode::Preview);
    procedure_.render(snapshot, mode, stop);
    endRender(launchedByStarter, renderId);
}

void RenderScheduler::endRender(bool launchedByStarter, std::uint64_t renderId)
{
    std::lock_guard lock(mutex_);
    runningRenders_.erase(renderId);
    releaseSlotLocked(launchedByStarter);
    const bool recordsDiffer = params_.liveDiffersFromSnapshot();
    const bool restartWanted = restartRequested_.exchange(false);
    if (recordsDiffer || restartWanted) {
        requestRenderLocked();
    }
}

void RenderScheduler::releaseSlotLocked(bool launchedByStarter)
{
    if (launchedByStarter) {
        startInFlight_ = false;
    }
    renderBusy_ = false;
    changed_.notify_all();
}

void RenderScheduler::releaseClaim()
{
    std::lock_guard lock(mutex_);
    releaseSlotLocked(false);
}

void RenderScheduler::abandonRender()
{
    keepRendering_ = false;
}

void RenderScheduler::waitForLaunchedRender()
{
    std::unique_lock lock(mutex_);
    if (launchedRender_ == 0) {
        return;
    }
    const std::uint64_t renderId = launchedRender_;
    changed_.wait(lock, [&] { return !runningRenders_.contains(renderId); });
    // A render launched meanwhile stays for the next wait.
    if (launchedRender_ == renderId) {
        launchedRender_ = 0;
    }
}

bool RenderScheduler::waitUntilIdle(std::chrono::milliseconds patience)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, patience, [this] { return idleLocked(); });
}

bool RenderScheduler::idleLocked() const
{
    return !renderBusy_ && !startInFlight_;
}

void RenderScheduler::shutdown()
{
    std::list<Worker> workers;
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        keepRendering_ = false;
        changed_.notify_all();
        // Closing stops every spawn, so this list is complete.
        workers.splice(workers.end(), workers_);
    }
    for (Worker& worker : workers) {
        worker.thread.join();
    }
}

bool RenderScheduler::spawnLocked(std::function<void()> body)
{
    joinFinishedLocked();
    Worker& worker = workers_.emplace_back();
    try {
        worker.thread = std::thread([this, &worker, body = std::move(body)] {
            body();
            std::lock_guard lock(mutex_);
            worker.finished = true;
        });
    } catch (const std::system_error&) {
        workers_.pop_back();
        return false;
    }
    return true;
}

// A finished worker has let go of the mutex for good, so joining it here
// waits at most for its thread to exit.
void RenderScheduler::joinFinishedLocked()
{
    workers_.remove_if([](Worker& worker) {
        if (!worker.finished) {
            return false;
        }
        worker.thread.join();
        return true;
    });
}

}  // namespace tessaform
