#pragma once

#include <functional>
#include <mutex>

#include "params/FractalParams.h"

namespace tessaform {

// The live record that the dialog edits and the snapshot that renders draw
// from. Only the user-interface thread edits the live record; the starter
// copies it and a render's end compares it from other threads, so every
// write, copy and comparison holds the same lock and never sees half a
// record.
class SharedParams {
public:
    SharedParams();

    // The live record, for reading on the thread that edits it.
    const FractalParams& live() const { return live_; }
    void editLive(const std::function<void(FractalParams&)>& edit);

    FractalParams snapshot() const;
    // Copies the whole live record into the snapshot and returns the copy.
    FractalParams takeSnapshot();
    // All bytes zero, so that the snapshot differs from any live record
    // until the first render takes its copy.
    void clearSnapshot();
    // False from clearSnapshot until the next takeSnapshot.
    bool holdsSnapshot() const;

    // Byte-wise, over the whole record.
    bool liveDiffersFromSnapshot() const;

private:
    mutable std::mutex mutex_;
    FractalParams live_;
    FractalParams snapshot_;
    bool snapshotCleared_ = false;
};

}  // namespace tessaform
