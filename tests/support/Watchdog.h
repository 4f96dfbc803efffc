#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace tessaform {

// The sanitizers slow a render down several times over.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kSanitizerSlowdown = 10;
#else
inline constexpr int kSanitizerSlowdown = 1;
#endif

// Ample for any one wait of the suite on a busy two-core machine.
inline constexpr std::chrono::seconds kWatchdogPatience{10 * kSanitizerSlowdown};

// A wait that never ends would hold the test run until ctest's limit,
// minutes later, without a word. While a watchdog lives, outliving its
// patience ends the test program at once, naming what it waited for: a
// blocked wait cannot be failed any other way.
class Watchdog {
public:
    explicit Watchdog(std::string waitingFor, std::chrono::seconds patience = kWatchdogPatience)
        : thread_([this, waitingFor = std::move(waitingFor), patience] { watch(waitingFor, patience); })
    {
    }

    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    void watch(const std::string& waitingFor, std::chrono::seconds patience)
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, patience, [this] { return done_; })) {
            std::fprintf(stderr, "Watchdog: gave up after %lld s waiting for %s\n",
                         static_cast<long long>(patience.count()), waitingFor.c_str());
            std::fflush(stderr);
            std::_Exit(EXIT_FAILURE);
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    bool done_ = false;
    std::thread thread_;  // last: it starts watching once the rest exists
};

// Runs wait under a watchdog and returns what it returns.
template <typename Wait>
decltype(auto) underWatchdog(const std::string& waitingFor, Wait&& wait)
{
    const Watchdog watchdog(waitingFor);
    return wait();
}

}  // namespace tessaform
