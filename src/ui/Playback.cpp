#include "ui/Playback.h"

#include <algorithm>
#include <cmath>

namespace tessaform {
namespace {

// A file may name a tiny rate; a frame still comes within the hour.
constexpr double kLongestFrameMilliseconds = 3'600'000.0;

}  // namespace

Playback::Playback(QObject* parent) : QObject(parent)
{
    frameTime_.setSingleShot(true);
    frameTime_.setTimerType(Qt::PreciseTimer);
    connect(&frameTime_, &QTimer::timeout, this, [this] {
        timePassed_ = true;
        advanceWhenReady();
    });
}

void Playback::start(double fps)
{
    playing_ = true;
    frameTime_.setInterval(static_cast<int>(std::lround(std::min(1000.0 / fps, kLongestFrameMilliseconds))));
}

void Playback::stop()
{
    playing_ = false;
    frameTime_.stop();
}

void Playback::frameShown(bool liveViewToo)
{
    drawn_ = false;
    liveViewDrawn_ = !liveViewToo;
    timePassed_ = false;
    frameTime_.start();
}

void Playback::previewDrawn()
{
    drawn_ = true;
    advanceWhenReady();
}

void Playback::liveViewDrawn()
{
    liveViewDrawn_ = true;
    advanceWhenReady();
}

void Playback::advanceWhenReady()
{
    if (playing_ && drawn_ && liveViewDrawn_ && timePassed_) {
        emit nextFrameDue();
    }
}

}  // namespace tessaform
