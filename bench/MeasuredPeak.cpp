// Compiled once per instruction set; the measurement dispatches to the best
// the processor runs, the one the engine runs on unless told otherwise.
#include "MeasuredPeak.h"

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "MeasuredPeak.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

HWY_BEFORE_NAMESPACE();
namespace tessaform::bench {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// rounds x kFmaChains dependent FMAs a lane; the sum keeps them from being
// optimized away.
float fmaChains(std::int64_t rounds, float seed)
{
    const hn::ScalableTag<float> d;
    const auto multiplier = hn::Set(d, 0.9999999f);
    const auto addend = hn::Set(d, seed * 1e-7f);
    decltype(hn::Zero(d)) chains[kFmaChains];
    for (int i = 0; i < kFmaChains; ++i) {
        chains[i] = hn::Set(d, seed + static_cast<float>(i));
    }
    for (std::int64_t round = 0; round < rounds; ++round) {
        for (int i = 0; i < kFmaChains; ++i) {
            chains[i] = hn::MulAdd(chains[i], multiplier, addend);
        }
    }
    auto sum = chains[0];
    for (int i = 1; i < kFmaChains; ++i) {
        sum = hn::Add(sum, chains[i]);
    }
    return hn::GetLane(hn::SumOfLanes(d, sum));
}

int lanes()
{
    return static_cast<int>(hn::Lanes(hn::ScalableTag<float>()));
}

const char* targetName()
{
    return hwy::TargetName(HWY_TARGET);
}

}  // namespace HWY_NAMESPACE
}  // namespace tessaform::bench
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace tessaform::bench {

HWY_EXPORT(fmaChains);
HWY_EXPORT(lanes);
HWY_EXPORT(targetName);

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFlopsPerFma = 2;
constexpr int kRuns = 3;

// FMA rounds per thread and run: a quarter of a second at tens of GFLOP/s.
constexpr std::int64_t kRounds = 40'000'000;

double gigaflopsOn(unsigned threads)
{
    double best = 0.0;
    for (int run = 0; run < kRuns; ++run) {
        std::vector<std::thread> workers;
        std::vector<float> sums(threads);
        const Clock::time_point start = Clock::now();
        for (unsigned t = 0; t < threads; ++t) {
            workers.emplace_back(
                [&sums, t] { sums[t] = HWY_DYNAMIC_DISPATCH(fmaChains)(kRounds, 1.0f + static_cast<float>(t)); });
        }
        for (std::thread& worker : workers) {
            worker.join();
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double flops = static_cast<double>(threads) * static_cast<double>(kRounds) * kFmaChains *
                             HWY_DYNAMIC_DISPATCH(lanes)() * kFlopsPerFma;
        best = std::max(best, flops / seconds * 1e-9);
    }
    return best;
}

}  // namespace

MeasuredPeak measurePeak()
{
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    return {HWY_DYNAMIC_DISPATCH(targetName)(), HWY_DYNAMIC_DISPATCH(lanes)(), threads, gigaflopsOn(1),
            gigaflopsOn(threads)};
}

}  // namespace tessaform::bench
#endif
