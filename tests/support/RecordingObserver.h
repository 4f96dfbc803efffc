#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

#include "render/RenderObserver.h"

namespace tessaform {

struct RowReport {
    RenderPass pass;
    int row;
    int height;
    bool operator==(const RowReport&) const = default;
};

// Records what a render reports and abandons it when told to. Safe to ask
// from several threads: the fast engine asks per batch, in parallel. Row
// reports that overlap, which the contract rules out, are counted.
class RecordingObserver : public RenderObserver {
public:
    static constexpr long kUnlimited = std::numeric_limits<long>::max();

    // Checks answered "go on", per pass and over both; later checks abandon.
    std::atomic<long> firstPassAllowed{kUnlimited};
    std::atomic<long> antiAliasAllowed{kUnlimited};
    std::atomic<long> checksAllowed{kUnlimited};
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();

    std::atomic<long> firstPassChecks{0};
    std::atomic<long> antiAliasChecks{0};
    std::atomic<int> overlappingReports{0};
    std::vector<RowReport> rows;

    // When set, the whole image is copied at every report.
    const std::vector<std::uint32_t>* image = nullptr;
    std::vector<std::vector<std::uint32_t>> imageAtReport;

    void rowFinished(RenderPass pass, int row, int height) override
    {
        if (reporting_.fetch_add(1) != 0) {
            ++overlappingReports;
        }
        {
            const std::lock_guard lock(mutex_);
            rows.push_back({pass, row, height});
            if (image != nullptr) {
                imageAtReport.push_back(*image);
            }
        }
        reporting_.fetch_sub(1);
    }

    bool shouldAbandon(RenderPass pass) override
    {
        const bool first = pass == RenderPass::First;
        const long passChecks = (first ? firstPassChecks : antiAliasChecks).fetch_add(1);
        const long allChecks = checks_.fetch_add(1);
        return passChecks >= (first ? firstPassAllowed : antiAliasAllowed).load() ||
               allChecks >= checksAllowed.load() || pastDeadline();
    }

private:
    bool pastDeadline() const
    {
        return deadline != std::chrono::steady_clock::time_point::max() && std::chrono::steady_clock::now() > deadline;
    }

    std::atomic<long> checks_{0};
    std::atomic<int> reporting_{0};
    std::mutex mutex_;
};

}  // namespace tessaform
