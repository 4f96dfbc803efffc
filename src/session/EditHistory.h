#pragma once

#include <memory>

#include "anim/SnapshotHistory.h"
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

struct SameEditState {
    bool operator()(const EditState& a, const EditState& b) const { return sameEditState(a, b); }
};

// Undo and redo over the live record and the gradient.
using EditHistory = SnapshotHistory<EditState, SameEditState>;

}  // namespace tessaform
