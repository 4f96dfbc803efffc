#include "session/SharedParams.h"

#include <cstring>

namespace tessaform {

SharedParams::SharedParams() : live_(defaultParams()), snapshot_(defaultParams()) {}

void SharedParams::editLive(const std::function<void(FractalParams&)>& edit)
{
    std::lock_guard lock(mutex_);
    edit(live_);
}

FractalParams SharedParams::snapshot() const
{
    std::lock_guard lock(mutex_);
    return snapshot_;
}

FractalParams SharedParams::takeSnapshot()
{
    std::lock_guard lock(mutex_);
    snapshot_ = live_;
    snapshotCleared_ = false;
    return snapshot_;
}

void SharedParams::clearSnapshot()
{
    std::lock_guard lock(mutex_);
    std::memset(&snapshot_, 0, sizeof snapshot_);
    snapshotCleared_ = true;
}

bool SharedParams::holdsSnapshot() const
{
    std::lock_guard lock(mutex_);
    return !snapshotCleared_;
}

bool SharedParams::liveDiffersFromSnapshot() const
{
    std::lock_guard lock(mutex_);
    return paramsDiffer(live_, snapshot_);
}

}  // namespace tessaform
