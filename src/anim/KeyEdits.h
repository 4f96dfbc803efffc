#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "anim/Animation.h"
#include "base/Result.h"
#include "params/ParamFields.h"

namespace tessaform {

// Edits of an animation's keys. Each gives the edited animation, keys still
// in rising frame order, or why the edit cannot be made; an animation may
// have no keys while it is being made. A key added or replaced keeps its
// angles within half a turn of the key before (of the key after, for the
// first key), adding or taking away whole turns.
Result<Animation> withKeyAdded(const Animation& animation, int frame, const FractalParams& params);
Animation withKeyReplaced(const Animation& animation, std::size_t index, const FractalParams& params);
Animation withKeyDeleted(const Animation& animation, std::size_t index);
Result<Animation> withKeyRetimed(const Animation& animation, std::size_t index, int frame);
Result<Animation> withInterpolation(const Animation& animation, const ParamField& field, Interpolation mode);

// The power has no values between its own, so it only steps.
bool fieldOnlySteps(const ParamField& field);

std::optional<std::size_t> keyAtFrame(const Animation& animation, int frame);

// The fields the key changes from the key before, or for the first key
// from the defaults: what its entry in a keyframe file names.
std::vector<std::string_view> changedFields(const Animation& animation, std::size_t index);

// The fields that differ between neighbouring keys: where interpolation
// matters.
std::vector<const ParamField*> movingFields(const Animation& animation);

}  // namespace tessaform
