#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "anim/Animation.h"

namespace tessaform {

// Undo and redo over whole animations: each edit of the keys, their
// interpolation or the frame rate is one step.
class AnimationHistory {
public:
    static constexpr std::size_t kDepth = 100;

    // Call with the animation as it was before an edit; drops the redo steps.
    void record(const Animation& before);

    // The animation to go back or forward to, or nothing; `current` becomes
    // the way back.
    std::optional<Animation> undo(const Animation& current);
    std::optional<Animation> redo(const Animation& current);

private:
    std::deque<Animation> undo_;
    std::deque<Animation> redo_;
};

}  // namespace tessaform
