#pragma once

#include <atomic>
#include <mutex>
#include <vector>

#include "session/RenderProcedure.h"

namespace tessaform {

// Passes every render on to the program's renderer and records what ran,
// and whether two ever ran at once.
class WatchedRenderer : public RenderProcedure {
public:
    explicit WatchedRenderer(RenderProcedure& inner) : inner_(inner) {}

    void render(const FractalParams& snapshot, RenderMode mode, const StopSignal& stop) override
    {
        const int running = ++inFlight_;
        int most = mostAtOnce_.load();
        while (running > most && !mostAtOnce_.compare_exchange_weak(most, running)) {
        }
        {
            std::lock_guard lock(mutex_);
            started_.push_back({snapshot, mode});
        }
        inner_.render(snapshot, mode, stop);
        --inFlight_;
    }

    struct Started {
        FractalParams snapshot;
        RenderMode mode;
    };

    std::vector<Started> started() const
    {
        std::lock_guard lock(mutex_);
        return started_;
    }
    int mostAtOnce() const { return mostAtOnce_.load(); }

private:
    RenderProcedure& inner_;
    std::atomic<int> inFlight_{0};
    std::atomic<int> mostAtOnce_{0};
    mutable std::mutex mutex_;
    std::vector<Started> started_;
};

}  // namespace tessaform
