#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "jobs/FrameBuffer.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/ProgressiveRender.h"

namespace tessaform {

class SharedFrame;
class SharedParams;

// What the live view shows once a stage is drawn.
struct LiveViewProgress {
    // The shown pixels, at the size the render was asked for. A later
    // render of the same size draws into the same frame.
    std::shared_ptr<const SharedFrame> frame;
    // The anti-aliased stage only: a copy of the finished image of its own,
    // which no later render touches (for saving).
    std::shared_ptr<const FrameBuffer> finishedImage;
    // What the pixels depict: the record and the table they were drawn with.
    FractalParams record{};
    std::shared_ptr<const Gradient> gradient;
    ProgressiveStage stage;
    // Grows with every render started.
    std::uint64_t renderId = 0;
    // From the render's start to its whole first pass; negative before.
    double firstPassMilliseconds = -1.0;
};

// Renders the live record for the large live view on a thread of its own,
// one render at a time: a newer request abandons the running render at its
// next batch, and the next render draws the newest record, coarse first.
class LiveViewRenderer : public QObject {
    Q_OBJECT

public:
    using Procedure = std::function<RenderOutcome(const FractalParams& snapshot, const Gradient& gradient,
                                                  const PixelImage& image, ProgressiveObserver& observer)>;

    // Without a procedure, a ProgressiveRenderer with the fast engine draws.
    LiveViewRenderer(const SharedParams& record, const GradientSlot& gradient, Procedure procedure = {});
    ~LiveViewRenderer() override;

    // GUI thread, the thread that edits the live record: draw the live
    // record and table at this size in device pixels. A request for exactly
    // what is drawn or being drawn (record bits, table, size) changes
    // nothing; a size below one pixel draws nothing.
    void requestRender(int width, int height);

    // True once no render runs and none waits; false when that took longer
    // than the patience.
    [[nodiscard]] bool waitUntilIdle(std::chrono::milliseconds patience);

    // Abandons the render and joins the thread; nothing is drawn after.
    void shutdown();

    // A receiver on another thread calls this before it reads what a
    // signal carried: ThreadSanitizer cannot see the order that Qt's event
    // queue makes between the render thread and the receiver.
    void takeDelivery() const;

signals:
    // From the render thread after every stage; receivers on the GUI thread
    // get it queued.
    void stageShown(const tessaform::LiveViewProgress& progress);
    // Rows of the anti-alias pass were shown since the last stage or
    // signal; sent at most about sixty times a second.
    void rowsShown();

private:
    struct Request {
        FractalParams record{};
        std::shared_ptr<const Gradient> gradient;
        int width = 0;
        int height = 0;
        std::uint64_t id = 0;
    };
    class StageReporter;

    void renderLoop();
    bool nextRequest(Request& request);
    void renderOne(const Request& request);
    bool sameAsWantedLocked(const FractalParams& record, const Gradient* gradient, int width, int height) const;
    bool superseded(std::uint64_t renderId) const;
    template <typename Emit>
    void deliver(const Emit& emitSignal);

    const SharedParams& record_;
    const GradientSlot& gradient_;
    Procedure procedure_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Request wanted_;
    std::uint64_t takenId_ = 0;  // the request the thread took last
    bool busy_ = false;
    bool closing_ = false;
    std::atomic<std::uint64_t> newestId_{0};
    std::atomic<bool> stopping_{false};

    std::shared_ptr<SharedFrame> frame_;  // render thread only
    std::thread thread_;
};

}  // namespace tessaform
