#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <thread>

#include "session/RenderMode.h"
#include "session/RenderProcedure.h"
#include "session/SharedParams.h"

namespace tessaform {

class RenderScheduler;

// The right to start the next render: held by whoever found no render
// busy, so that two renders can never draw at once. Dropping a claim
// without launching gives the slot back.
class RenderClaim {
public:
    RenderClaim(RenderClaim&& other) noexcept : scheduler_(other.scheduler_) { other.scheduler_ = nullptr; }
    RenderClaim& operator=(RenderClaim&&) = delete;
    ~RenderClaim();

    bool held() const { return scheduler_ != nullptr; }

private:
    friend class RenderScheduler;
    explicit RenderClaim(RenderScheduler* scheduler) : scheduler_(scheduler) {}

    RenderScheduler* scheduler_;
};

// Decides when a render runs and with which values. Every change asks with
// requestRender; a change during a render only marks a restart, and the
// render's end asks again, so a burst of changes costs one follow-up render
// with the newest values.
class RenderScheduler {
public:
    RenderScheduler(SharedParams& params, RenderProcedure& procedure);
    RenderScheduler(const RenderScheduler&) = delete;
    RenderScheduler& operator=(const RenderScheduler&) = delete;
    ~RenderScheduler();

    // Starts a preview of the newest values once no render is busy.
    void requestRender();

    // Makes a running preview stop after its first pass and returns once no
    // render is busy, holding the slot so that no preview slips in before
    // the caller's own render. Returns at once, without asking for a
    // restart, when nothing renders. Takes the first snapshot when no
    // preview has taken one yet.
    [[nodiscard]] RenderClaim stopRenderAndWait();

    // Starts the caller's own render of the snapshot. A snapshot power
    // outside 2..5 starts nothing and gives the slot back.
    void launch(RenderClaim claim, RenderMode mode);

    // Makes the running render stop at its next check.
    void abandonRender();

    // Waits until the most recently launched render has ended.
    void waitForLaunchedRender();

    // Waits until no render is busy and no preview waits to start; false
    // when that took longer than the patience.
    [[nodiscard]] bool waitUntilIdle(std::chrono::milliseconds patience);

    // Abandons every render, refuses new ones and joins every thread.
    void shutdown();

private:
    friend class RenderClaim;
    friend class RenderSchedulerProbe;

    struct Worker {
        std::thread thread;
        bool finished = false;
    };

    void requestRenderLocked();
    void renderStarter();
    void launchLocked(RenderMode mode, bool launchedByStarter);
    void renderThreadBody(const FractalParams& snapshot, RenderMode mode, bool launchedByStarter,
                          std::uint64_t renderId);
    void endRender(bool launchedByStarter, std::uint64_t renderId);
    void releaseSlotLocked(bool launchedByStarter);
    void releaseClaim();
    bool idleLocked() const;
    bool spawnLocked(std::function<void()> body);
    void joinFinishedLocked();

    SharedParams& params_;
    RenderProcedure& procedure_;
    std::atomic<bool> keepRendering_{true};
    std::atomic<bool> restartRequested_{false};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool renderBusy_ = false;
    bool startInFlight_ = false;
    int startersWaiting_ = 0;
    bool highQualityWaiting_ = false;
    bool closing_ = false;
    std::list<Worker> workers_;
    std::uint64_t launchCount_ = 0;
    std::uint64_t launchedRender_ = 0;
    std::set<std::uint64_t> runningRenders_;
};

}  // namespace tessaform
