#include "cli/ProgressReporter.h"

#include <unistd.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <string>

namespace tessaform {
namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void recordInterrupt(int)
{
    interrupted.store(true);
}

constexpr int kBarWidth = 40;

// The anti-alias pass covers rows 1 to height - 2; row has just finished.
int percentDone(RenderPass pass, int row, int height)
{
    const int rows = pass == RenderPass::First ? height : height - 2;
    const int done = pass == RenderPass::First ? row + 1 : row;
    return rows > 0 ? 100 * done / rows : 100;
}

}  // namespace

void ProgressReporter::rowFinished(RenderPass pass, int row, int height)
{
    if (style_ == ProgressStyle::Lines) {
        std::fprintf(stream_, "%s\n", progressText(pass, row, height).c_str());
    } else if (style_ == ProgressStyle::Bar) {
        drawBar(pass, row, height);
    }
}

void ProgressReporter::drawBar(RenderPass pass, int row, int height)
{
    const int percent = percentDone(pass, row, height);
    const int filled = kBarWidth * percent / 100;
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kBarWidth - filled), '.');
    const char* name = pass == RenderPass::First ? "First pass" : "Anti-alias";
    std::fprintf(stream_, "\r%-10s [%s] %3d%%", name, bar.c_str(), percent);
    std::fflush(stream_);
    barDrawn_ = true;
}

bool ProgressReporter::shouldAbandon(RenderPass)
{
    return interruptReceived();
}

void ProgressReporter::finish()
{
    if (barDrawn_) {
        std::fprintf(stream_, "\r%-10s [%s] 100%%\n", "Done", std::string(kBarWidth, '#').c_str());
        barDrawn_ = false;
    }
}

void ProgressReporter::frameStarted(int index, int count, int frame, double secondsLeft)
{
    if (style_ == ProgressStyle::Silent) {
        return;
    }
    std::fprintf(stream_, "Frame %d of %d (frame %d)", index + 1, count, frame);
    if (secondsLeft > 0.0) {
        const long seconds = std::lround(secondsLeft);
        std::fprintf(stream_, ", about %ld min %02ld s left", seconds / 60, seconds % 60);
    }
    std::fprintf(stream_, "\n");
}

ProgressStyle progressStyleFor(std::FILE* stream, bool quiet)
{
    if (quiet) {
        return ProgressStyle::Silent;
    }
    return ::isatty(::fileno(stream)) ? ProgressStyle::Bar : ProgressStyle::Lines;
}

// A closed terminal (SIGHUP) stops the render as an interrupt does, unless
// the run was started to outlive it (nohup). A closed progress pipe
// (SIGPIPE, as after `2>&1 | head -1`) only ends the progress: its writes
// fail unseen, and the image is still made.
void stopRenderingOnInterrupt()
{
    std::signal(SIGINT, recordInterrupt);
    std::signal(SIGTERM, recordInterrupt);
    if (std::signal(SIGHUP, recordInterrupt) == SIG_IGN) {
        std::signal(SIGHUP, SIG_IGN);
    }
    std::signal(SIGPIPE, SIG_IGN);
}

bool interruptReceived()
{
    return interrupted.load(std::memory_order_relaxed);
}

}  // namespace tessaform
