#include "session/RenderScheduler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <future>
#include <initializer_list>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "params/FractalParams.h"
#include "support/RenderSchedulerProbe.h"
#include "support/Watchdog.h"

namespace tessaform {
namespace {

using namespace std::chrono_literals;

constexpr auto kPatience = 5s;

struct RenderRecord {
    FractalParams snapshot;
    RenderMode mode;
    std::optional<RenderPass> abandonedIn;
};

// Checks its stop signal before every "pixel" of two passes, as a real render
// does, and can be held inside a pass until the test lets it go.
class ScriptedRender : public RenderProcedure {
public:
    void render(const FractalParams& snapshot, RenderMode mode, const StopSignal& stop) override
    {
        {
            std::lock_guard lock(mutex_);
            mostActive_ = std::max(mostActive_, ++active_);
        }
        RenderRecord record{snapshot, mode, std::nullopt};
        for (const RenderPass pass : {RenderPass::First, RenderPass::AntiAlias}) {
            if (!runPass(pass, stop)) {
                record.abandonedIn = pass;
                break;
            }
        }
        std::lock_guard lock(mutex_);
        --active_;
        records_.push_back(record);
        changed_.notify_all();
    }

    void hold(RenderPass pass) { setHeld(pass, true); }
    void release(RenderPass pass) { setHeld(pass, false); }

    // Pixels of `pass` that survived their check, over all renders so far.
    int pixelsChecked(RenderPass pass)
    {
        std::lock_guard lock(mutex_);
        return pixels_[pass];
    }

    bool waitForPixelsChecked(RenderPass pass, int total)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return pixels_[pass] >= total; });
    }

    bool waitForPixels(RenderPass pass, int count) { return waitForPixelsChecked(pass, pixelsChecked(pass) + count); }

    bool waitForRenders(std::size_t count)
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, kPatience, [&] { return records_.size() >= count; });
    }

    std::vector<RenderRecord> records() const
    {
        std::lock_guard lock(mutex_);
        return records_;
    }

    int mostAtOnce() const
    {
        std::lock_guard lock(mutex_);
        return mostActive_;
    }

private:
    static constexpr int kPixelsPerPass = 16;

    bool runPass(RenderPass pass, const StopSignal& stop)
    {
        std::unique_lock lock(mutex_);
        for (int pixel = 0; pixel < kPixelsPerPass || held_[pass]; ++pixel) {
            if (stop.shouldAbandon(pass)) {
                return false;
            }
            ++pixels_[pass];
            changed_.notify_all();
            if (held_[pass]) {
                // The time between two checks of a held pass; release wakes it early.
                changed_.wait_for(lock, 1ms);
            }
        }
        return true;
    }

    void setHeld(RenderPass pass, bool held)
    {
        std::lock_guard lock(mutex_);
        held_[pass] = held;
        changed_.notify_all();
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<RenderPass, bool> held_;
    std::map<RenderPass, int> pixels_;
    int active_ = 0;
    int mostActive_ = 0;
    std::vector<RenderRecord> records_;
};

class RenderSchedulerTest : public testing::Test {
protected:
    void TearDown() override
    {
        underWatchdog("the scheduler to shut down", [this] { scheduler_.shutdown(); });
        EXPECT_LE(render_.mostAtOnce(), 1) << "two renders drew at once";
    }

    void setIterations(int iterations)
    {
        params_.editLive([iterations](FractalParams& params) { params.iterations = iterations; });
    }

    bool waitUntilIdle() { return scheduler_.waitUntilIdle(kPatience); }

    RenderClaim stopRenderAndWait()
    {
        return underWatchdog("the running render to stop", [this] { return scheduler_.stopRenderAndWait(); });
    }

    void waitForLaunchedRender()
    {
        underWatchdog("the launched render to end", [this] { scheduler_.waitForLaunchedRender(); });
    }

    // Holds a preview in its first pass while the live record takes each
    // value in turn, each change followed by a request.
    std::vector<RenderRecord> changesDuringFirstPass(std::initializer_list<int> iterations)
    {
        render_.hold(RenderPass::First);
        scheduler_.requestRender();
        EXPECT_TRUE(render_.waitForPixels(RenderPass::First, 1));
        for (const int value : iterations) {
            setIterations(value);
            scheduler_.requestRender();
        }
        EXPECT_TRUE(probe_.restartRequested());
        EXPECT_TRUE(render_.waitForPixels(RenderPass::First, 3)) << "the restart request cut the first pass short";
        render_.release(RenderPass::First);
        EXPECT_TRUE(waitUntilIdle());
        return render_.records();
    }

    SharedParams params_;
    ScriptedRender render_;
    // Before the scheduler, whose shutdown frees a stuck wait, so that a
    // failing test ends instead of hanging.
    std::future<RenderClaim> stopping_;
    std::future<void> waiting_;
    RenderScheduler scheduler_{params_, render_};
    const RenderSchedulerProbe probe_{scheduler_};
};

TEST_F(RenderSchedulerTest, ChangesDuringFirstPassLetItFinishThenRestartOnceWithNewestValues)
{
    const std::vector<RenderRecord> records = changesDuringFirstPass({101, 102, 103});

    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(RenderPass::AntiAlias, records[0].abandonedIn);
    EXPECT_EQ(RenderMode::Preview, records[1].mode);
    EXPECT_EQ(103, records[1].snapshot.iterations);
    EXPECT_FALSE(records[1].abandonedIn);
}

TEST_F(RenderSchedulerTest, ChangeUndoneDuringRenderStillRestartsOnce)
{
    const int original = params_.live().iterations;
    const std::vector<RenderRecord> records = changesDuringFirstPass({original + 1, original});

    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(original, records[1].snapshot.iterations);
    EXPECT_FALSE(records[1].abandonedIn);
}

TEST_F(RenderSchedulerTest, KeepRenderingOffAbandonsFirstPassAndItsEndServesUnrequestedChanges)
{
    render_.hold(RenderPass::First);
    scheduler_.requestRender();
    ASSERT_TRUE(render_.waitForPixels(RenderPass::First, 1));
    setIterations(101);
    scheduler_.abandonRender();
    ASSERT_TRUE(render_.waitForRenders(1));
    render_.release(RenderPass::First);
    ASSERT_TRUE(waitUntilIdle());

    const std::vector<RenderRecord> records = render_.records();
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(RenderPass::First, records[0].abandonedIn);
    EXPECT_EQ(101, records[1].snapshot.iterations);
    EXPECT_FALSE(records[1].abandonedIn) << "the next launch must turn keepRendering back on";
}

TEST_F(RenderSchedulerTest, StopWhenIdleReturnsAClaimThatHoldsRequestsBackUntilDropped)
{
    waitForLaunchedRender();  // nothing launched yet: must not block
    {
        RenderClaim claim = stopRenderAndWait();
        EXPECT_TRUE(claim.held());
        EXPECT_FALSE(probe_.restartRequested());
        // All of these come before the waiting starter copies the record, so
        // they belong to its render and must not cut it short.
        for (const int value : {101, 102, 103}) {
            setIterations(value);
            scheduler_.requestRender();
        }
        EXPECT_TRUE(render_.records().empty());
    }
    ASSERT_TRUE(waitUntilIdle());

    const std::vector<RenderRecord> records = render_.records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(103, records[0].snapshot.iterations);
    EXPECT_FALSE(records[0].abandonedIn);
}

TEST_F(RenderSchedulerTest, RefusedHighQualityWakesThePreviewStartAsleepBehindIt)
{
    {
        // A High quality command that then refuses its size drops the claim.
        RenderClaim claim = stopRenderAndWait();
        setIterations(101);
        scheduler_.requestRender();
        ASSERT_TRUE(probe_.waitForSleepingStarter(kPatience));
    }
    ASSERT_TRUE(render_.waitForRenders(1)) << "the preview froze behind a refused High quality";
    EXPECT_EQ(101, render_.records()[0].snapshot.iterations);
}

TEST_F(RenderSchedulerTest, HighQualityBeforeAnyPreviewCopiedTheRecordRendersTheLiveValues)
{
    params_.clearSnapshot();  // as at program start
    setIterations(101);
    scheduler_.launch(stopRenderAndWait(), RenderMode::HighQuality);
    waitForLaunchedRender();

    const std::vector<RenderRecord> records = render_.records();
    ASSERT_EQ(1u, records.size()) << "High quality drew nothing";
    EXPECT_EQ(RenderMode::HighQuality, records[0].mode);
    EXPECT_EQ(101, records[0].snapshot.iterations);
}

TEST_F(RenderSchedulerTest, HighQualityCommandStopsPreviewThenRendersItsSnapshotIgnoringRestarts)
{
    setIterations(101);
    render_.hold(RenderPass::First);
    render_.hold(RenderPass::AntiAlias);
    scheduler_.requestRender();
    ASSERT_TRUE(render_.waitForPixels(RenderPass::First, 1));
    // No request after this change, so only the stop can end the anti-alias pass.
    setIterations(102);

    stopping_ = std::async(std::launch::async, [this] { return scheduler_.stopRenderAndWait(); });
    ASSERT_TRUE(render_.waitForPixels(RenderPass::First, 3));
    EXPECT_EQ(std::future_status::timeout, stopping_.wait_for(0s)) << "returned while a preview was busy";
    render_.release(RenderPass::First);
    ASSERT_EQ(std::future_status::ready, stopping_.wait_for(kPatience));
    RenderClaim claim = stopping_.get();
    ASSERT_TRUE(claim.held());
    EXPECT_TRUE(probe_.startInFlight()) << "the abandoned preview asks for a follow-up";

    scheduler_.launch(std::move(claim), RenderMode::HighQuality);
    ASSERT_TRUE(render_.waitForPixels(RenderPass::AntiAlias, 1));
    waiting_ = std::async(std::launch::async, [this] { scheduler_.waitForLaunchedRender(); });
    setIterations(103);
    scheduler_.requestRender();
    EXPECT_TRUE(probe_.restartRequested());
    ASSERT_TRUE(render_.waitForPixels(RenderPass::AntiAlias, 3)) << "a restart request stopped a high-quality render";
    EXPECT_EQ(std::future_status::timeout, waiting_.wait_for(0s)) << "did not wait for the high-quality render";
    render_.release(RenderPass::AntiAlias);
    EXPECT_EQ(std::future_status::ready, waiting_.wait_for(kPatience));
    ASSERT_TRUE(waitUntilIdle());

    const std::vector<RenderRecord> records = render_.records();
    ASSERT_EQ(3u, records.size());
    EXPECT_EQ(RenderPass::AntiAlias, records[0].abandonedIn);
    EXPECT_EQ(RenderMode::HighQuality, records[1].mode);
    EXPECT_EQ(101, records[1].snapshot.iterations);
    EXPECT_FALSE(records[1].abandonedIn);
    EXPECT_EQ(RenderMode::Preview, records[2].mode);
    EXPECT_EQ(103, records[2].snapshot.iterations);
    EXPECT_FALSE(records[2].abandonedIn);
}

TEST_F(RenderSchedulerTest, UnsupportedPowerStartsNothingButLaterRequestsStillRender)
{
    params_.editLive([](FractalParams& params) { params.power = 7; });
    scheduler_.abandonRender();
    scheduler_.requestRender();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(probe_.keepRendering());

    scheduler_.launch(stopRenderAndWait(), RenderMode::HighQuality);
    EXPECT_FALSE(probe_.renderBusy());
    EXPECT_TRUE(render_.records().empty());

    params_.editLive([](FractalParams& params) { params.power = 3; });
    scheduler_.requestRender();
    ASSERT_TRUE(waitUntilIdle());
    const std::vector<RenderRecord> records = render_.records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(3, records[0].snapshot.power);
    EXPECT_EQ(RenderMode::Preview, records[0].mode);
}

TEST_F(RenderSchedulerTest, ShutdownEndsHeldRenderAndWaitingStarterThenRefusesRequests)
{
    render_.hold(RenderPass::First);
    scheduler_.launch(stopRenderAndWait(), RenderMode::HighQuality);
    ASSERT_TRUE(render_.waitForPixels(RenderPass::First, 1));
    setIterations(101);
    scheduler_.requestRender();  // its starter waits behind the high-quality render

    underWatchdog("the held render to end at shutdown", [this] { scheduler_.shutdown(); });
    const std::vector<RenderRecord> records = render_.records();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(RenderPass::First, records[0].abandonedIn);

    scheduler_.requestRender();
    EXPECT_FALSE(probe_.startInFlight());
    EXPECT_FALSE(stopRenderAndWait().held());
}

TEST_F(RenderSchedulerTest, ManyRequestsAndHighQualityLaunchesNeverOverlapAndEndOnNewestValues)
{
    constexpr int kChanges = 400;
    for (int value = 1; value <= kChanges; ++value) {
        const int pixelsBefore = render_.pixelsChecked(RenderPass::First);
        setIterations(value);
        scheduler_.requestRender();
        // Every request leads to a first pass that runs to its end, so this
        // cannot stall; it lets the changes land all through the renders.
        ASSERT_TRUE(render_.waitForPixelsChecked(RenderPass::First, pixelsBefore + 1));
        if (value % 64 == 0) {
            RenderClaim claim = stopRenderAndWait();
            scheduler_.launch(std::move(claim), RenderMode::HighQuality);
        }
    }
    ASSERT_TRUE(waitUntilIdle());

    const std::vector<RenderRecord> records = render_.records();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(RenderMode::Preview, records.back().mode);
    EXPECT_EQ(kChanges, records.back().snapshot.iterations);
    EXPECT_FALSE(records.back().abandonedIn);
}

}  // namespace
}  // namespace tessaform
