#pragma once

#include <cstdio>

#include "render/RenderObserver.h"

namespace tessaform {

enum class ProgressStyle { Bar, Lines, Silent };

// Tells on a stream how far the render is, row by row, and asks it to stop
// once the process has been interrupted.
class ProgressReporter : public RenderObserver {
public:
    ProgressReporter(std::FILE* stream, ProgressStyle style) : stream_(stream), style_(style) {}

    void rowFinished(RenderPass pass, int row, int height) override;
    bool shouldAbandon(RenderPass pass) override;

    // Ends a progress bar's line.
    void finish();

    // Before each frame of an animation: which one, and the time left
    // when there is an estimate.
    void frameStarted(int index, int count, int frame, double secondsLeft);

private:
    void drawBar(RenderPass pass, int row, int height);

    std::FILE* stream_;
    ProgressStyle style_;
    bool barDrawn_ = false;
};

// A bar for a terminal, plain lines for a log, nothing when quiet.
ProgressStyle progressStyleFor(std::FILE* stream, bool quiet);

// From now on SIGINT, SIGTERM and SIGHUP make reporters ask the render to
// stop, so an interrupted run leaves no half-written file behind; a closed
// progress stream no longer ends the process.
void stopRenderingOnInterrupt();
bool interruptReceived();

}  // namespace tessaform
