#include "app/EditHistory.h"

namespace tessaform {

bool sameEditState(const EditState& a, const EditState& b)
{
    return !paramsDiffer(a.params, b.params) && a.gradient == b.gradient;
}

EditHistory::EditHistory(std::size_t depth) : depth_(depth) {}

void EditHistory::checkpoint(const EditState& before)
{
    settlePending(before);
    burst_.reset();
    pending_ = before;
}

void EditHistory::checkpointBurst(int source, Clock::time_point now, const EditState& before)
{
    const bool continues = burst_ && burst_->source == source && now - burst_->last <= kBurstPause;
    if (!continues) {
        checkpoint(before);
    }
    burst_ = Burst{source, now};
}

std::optional<EditState> EditHistory::undo(const EditState& current)
{
    settlePending(current);
    burst_.reset();
    if (undo_.empty()) {
        return std::nullopt;
    }
    EditState previous = std::move(undo_.back());
    undo_.pop_back();
    redo_.push_back(current);
    return previous;
}

std::optional<EditState> EditHistory::redo(const EditState& current)
{
    settlePending(current);
    burst_.reset();
    if (redo_.empty()) {
        return std::nullopt;
    }
    EditState next = std::move(redo_.back());
    redo_.pop_back();
    pushUndo(current);
    return next;
}

// The pending step is over: it counts, and ends the redo branch, only if it
// changed something.
void EditHistory::settlePending(const EditState& current)
{
    if (pending_ && !sameEditState(*pending_, current)) {
        pushUndo(std::move(*pending_));
        redo_.clear();
    }
    pending_.reset();
}

void EditHistory::pushUndo(EditState state)
{
    undo_.push_back(std::move(state));
    if (undo_.size() > depth_) {
        undo_.pop_front();
    }
}

}  // namespace tessaform
