#include "anim/AnimationHistory.h"

namespace tessaform {
namespace {

std::optional<Animation> step(std::deque<Animation>& from, std::deque<Animation>& to, const Animation& current)
{
    if (from.empty()) {
        return std::nullopt;
    }
    Animation target = std::move(from.back());
    from.pop_back();
    to.push_back(current);
    return target;
}

}  // namespace

void AnimationHistory::record(const Animation& before)
{
    undo_.push_back(before);
    if (undo_.size() > kDepth) {
        undo_.pop_front();
    }
    redo_.clear();
}

std::optional<Animation> AnimationHistory::undo(const Animation& current)
{
    return step(undo_, redo_, current);
}

std::optional<Animation> AnimationHistory::redo(const Animation& current)
{
    return step(redo_, undo_, current);
}

}  // namespace tessaform
