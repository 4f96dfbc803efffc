#pragma once

#include <functional>
#include <memory>
#include <mutex>

#include "jobs/FrameBuffer.h"

namespace tessaform {

// A picture that a render thread draws while the GUI thread paints it. The
// render draws into a canvas of its own and copies rows to the shown pixels
// under a lock once it has left them, so a paint never reads a pixel while
// it is being written.
class SharedFrame {
public:
    // nullptr when the memory cannot be had.
    static std::shared_ptr<SharedFrame> create(int width, int height);

    int width() const { return canvas_->width(); }
    int height() const { return canvas_->height(); }

    // The render thread's own pixels; other threads keep off them.
    FrameBuffer& canvas() { return *canvas_; }
    void showRows(int firstRow, int rowCount);

    // Any thread: read sees the shown pixels, held still.
    void readShown(const std::function<void(const FrameBuffer& shown)>& read) const;

private:
    SharedFrame(std::unique_ptr<FrameBuffer> canvas, std::unique_ptr<FrameBuffer> shown)
        : canvas_(std::move(canvas)), shown_(std::move(shown))
    {
    }

    std::unique_ptr<FrameBuffer> canvas_;
    mutable std::mutex mutex_;
    std::unique_ptr<FrameBuffer> shown_;
};

}  // namespace tessaform
