#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace tessaform {

// For histories whose every step is recorded: snapshots without a way to
// compare them are never taken for the same.
struct NeverSame {
    template <typename Snapshot>
    bool operator()(const Snapshot&, const Snapshot&) const
    {
        return false;
    }
};

// Undo and redo over whole snapshots of what the user edits, up to a depth.
// A step is either recorded at once (an edit known to change something) or
// marked by a checkpoint of the snapshot before it; a checkpoint becomes an
// entry only once the next call shows that something changed, so a
// cancelled dialog or a clamped drag leaves no entry and keeps the redo
// branch. `Same` tells whether two snapshots show the same thing.
template <typename Snapshot, typename Same = std::equal_to<Snapshot>>
class SnapshotHistory {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kDefaultDepth = 100;
    // Burst events further apart than this start a step of their own.
    static constexpr Clock::duration kBurstPause = std::chrono::seconds(1);

    explicit SnapshotHistory(std::size_t depth = kDefaultDepth) : depth_(depth) {}

    // Call before an edit known to change something, with the snapshot as
    // it still is; drops the redo steps. A checkpoint still pending counts
    // as a step of its own, since `Same` is not asked here.
    void record(Snapshot before)
    {
        if (pending_) {
            pushUndo(std::move(*pending_));
            pending_.reset();
        }
        burst_.reset();
        pushUndo(std::move(before));
        redo_.clear();
    }

    // Call before a change that may come to nothing, with the snapshot as
    // it still is.
    void checkpoint(const Snapshot& before)
    {
        settlePending(before);
        burst_.reset();
        pending_ = std::make_unique<Snapshot>(before);
    }

    // As checkpoint, except that an event from the same source within the
    // pause of the previous one, with no other step between, continues its
    // step: key presses and wheel notches on one slider.
    void checkpointBurst(int source, Clock::time_point now, const Snapshot& before)
    {
        const bool continues = burst_ && burst_->source == source && now - burst_->last <= kBurstPause;
        if (!continues) {
            checkpoint(before);
        }
        burst_ = Burst{source, now};
    }

    // The snapshot to go back or forward to, or nothing; `current` is what
    // the caller shows now and becomes the way back.
    std::optional<Snapshot> undo(const Snapshot& current)
    {
        settlePending(current);
        burst_.reset();
        if (undo_.empty()) {
            return std::nullopt;
        }
        Snapshot previous = std::move(undo_.back());
        undo_.pop_back();
        redo_.push_back(current);
        return previous;
    }

    std::optional<Snapshot> redo(const Snapshot& current)
    {
        settlePending(current);
        burst_.reset();
        if (redo_.empty()) {
            return std::nullopt;
        }
        Snapshot next = std::move(redo_.back());
        redo_.pop_back();
        pushUndo(current);
        return next;
    }

private:
    struct Burst {
        int source;
        Clock::time_point last;
    };

    // The pending step is over: it counts, and ends the redo branch, only
    // if it changed something.
    void settlePending(const Snapshot& current)
    {
        if (pending_ && !Same{}(*pending_, current)) {
            pushUndo(std::move(*pending_));
            redo_.clear();
        }
        pending_.reset();
    }

    void pushUndo(Snapshot snapshot)
    {
        undo_.push_back(std::move(snapshot));
        if (undo_.size() > depth_) {
            undo_.pop_front();
        }
    }

    std::size_t depth_;
    std::deque<Snapshot> undo_;
    std::deque<Snapshot> redo_;
    // On the heap rather than in an optional, where GCC 12 takes the
    // shared pointers of a record and gradient for uninitialized.
    std::unique_ptr<Snapshot> pending_;
    std::optional<Burst> burst_;
};

}  // namespace tessaform
