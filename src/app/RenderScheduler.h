#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>

#include "app/RenderMode.h"
#include "app/RenderProcedure.h"
#include "app/SharedParams.h"

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
    struct Flags {
        std::atomic<bool> keepRendering{true};
        std::atomic<bool> previewMode{true};
        std::atomic<bool> renderBusy{false};
        std::atomic<bool> restartRequested{false};
    };

    RenderScheduler(SharedParams& params, RenderProcedure& procedure);
    RenderScheduler(const RenderScheduler&) = delete;
    RenderScheduler& operator=(const RenderScheduler&) = delete;
    ~RenderScheduler();

    void requestRender();

    // Makes a running preview stop after its first pass and returns once no
    // render is busy, holding the slot so that no preview slips in before
    // the caller's own render. Returns at once, without touching
    // restartRequested, when nothing renders.
    [[nodiscard]] RenderClaim stopRenderAndWait();

    // Starts the render for the snapshot in the mode that previewMode says.
    // A snapshot power outside 2..5 starts nothing and gives the slot back.
    void launchRenderThread(RenderClaim claim);

    // Waits until the most recently launched render thread has ended.
    void waitForRenderThread();

    // Abandons every render, refuses new ones and waits for all threads.
    void shutdown();

    Flags& flags() { return flags_; }
    const Flags& flags() const { return flags_; }
    bool startInFlight() const;

private:
    friend class RenderClaim;

    void requestRenderLocked();
    void renderStarter();
    void launchLocked(bool launchedByStarter);
    void renderThreadBody(const FractalParams& snapshot, RenderMode mode, bool launchedByStarter,
                          std::uint64_t renderId);
    void endRender(bool launchedByStarter, std::uint64_t renderId);
    void releaseSlotLocked(bool launchedByStarter);
    void releaseClaim();
    bool spawnLocked(std::function<void()> body);

    SharedParams& params_;
    RenderProcedure& procedure_;
    Flags flags_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool startInFlight_ = false;
    bool highQualityWaiting_ = false;
    bool closing_ = false;
    int liveThreads_ = 0;
    std::uint64_t launchCount_ = 0;
    std::uint64_t renderThread_ = 0;
    std::set<std::uint64_t> runningRenders_;
};

}  // namespace tessaform
