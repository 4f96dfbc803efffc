#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>

#include "params/FractalParams.h"
#include "params/Gradient.h"

namespace tessaform {

// What one undo step restores: the whole record and the gradient it was
// drawn with, so that a load that changes both undoes as one step.
struct EditState {
    FractalParams params;
    std::shared_ptr<const Gradient> gradient;
};

// Record bits and the very same gradient table.
bool sameEditState(const EditState& a, const EditState& b);

// Undo and redo over the states before each step. A step is marked by a
// checkpoint of the state before it; it becomes an entry only once the next
// call shows that something changed, so a cancelled dialog or a clamped
// drag leaves no entry and keeps the redo branch.
class EditHistory {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t kDefaultDepth = 100;
    // Burst events further apart than this start a step of their own.
    static constexpr Clock::duration kBurstPause = std::chrono::seconds(1);

    explicit EditHistory(std::size_t depth = kDefaultDepth);

    // Call before a change with the state as it still is.
    void checkpoint(const EditState& before);
    // As checkpoint, except that an event from the same source within the
    // pause of the previous one, with no other step between, continues its
    // step: key presses and wheel notches on one slider.
    void checkpointBurst(int source, Clock::time_point now, const EditState& before);

    // The state to go back or forward to, or nothing; `current` is what the
    // caller shows now and becomes the way back.
    std::optional<EditState> undo(const EditState& current);
    std::optional<EditState> redo(const EditState& current);

private:
    struct Burst {
        int source;
        Clock::time_point last;
    };

    void settlePending(const EditState& current);
    void pushUndo(EditState state);

    std::size_t depth_;
    std::deque<EditState> undo_;
    std::deque<EditState> redo_;
    std::optional<EditState> pending_;
    std::optional<Burst> burst_;
};

}  // namespace tessaform
