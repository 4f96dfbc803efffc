#pragma once

#include <chrono>
#include <mutex>
#include <thread>

#include "session/RenderScheduler.h"

namespace tessaform {

// Reads the scheduler's private state for tests, under its own lock.
class RenderSchedulerProbe {
private:
    template <typename Read>
    auto read(Read readLocked) const
    {
        std::lock_guard lock(scheduler_.mutex_);
        return readLocked(scheduler_);
    }

public:
    explicit RenderSchedulerProbe(RenderScheduler& scheduler) : scheduler_(scheduler) {}

    bool renderBusy() const
    {
        return read([](const RenderScheduler& s) { return s.renderBusy_; });
    }
    bool startInFlight() const
    {
        return read([](const RenderScheduler& s) { return s.startInFlight_; });
    }
    bool restartRequested() const { return scheduler_.restartRequested_; }
    bool keepRendering() const { return scheduler_.keepRendering_; }

    // A starter counted as waiting has given up the lock only by going to
    // sleep in its wait, so once this returns true it is certainly asleep.
    bool waitForSleepingStarter(std::chrono::milliseconds patience) const
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (read([](const RenderScheduler& s) { return s.startersWaiting_; }) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

private:
    RenderScheduler& scheduler_;
};

}  // namespace tessaform
