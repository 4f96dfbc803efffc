#include "anim/KeyEdits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <string>

namespace tessaform {
namespace {

// Bits, so that a NaN equals itself and -0 differs from 0.
bool slotDiffers(const FractalParams& a, const FractalParams& b, const ParamField& field)
{
    return readIntegerSlot(a, field.slot) != readIntegerSlot(b, field.slot);
}

Failure frameTaken(int frame)
{
    return Failure{"Frame " + std::to_string(frame) + " already has a key"};
}

void sortByFrame(Animation& animation)
{
    std::sort(animation.keys.begin(), animation.keys.end(),
              [](const Keyframe& a, const Keyframe& b) { return a.frame < b.frame; });
}

constexpr std::array<std::string_view, 3> kAngleFields{"phi", "theta", "angle"};
constexpr double kTurn = 2 * std::numbers::pi;
// Further from its neighbour than this, an angle has too few digits left
// in single precision to add whole turns to it.
constexpr double kMostTurns = 1000;

// Whole turns added or taken away so that the angle lies nearest the
// neighbour's. An untouched angle keeps its bits.
float nearestTurnOf(float angle, float neighbour)
{
    const double turns = std::round((static_cast<double>(neighbour) - angle) / kTurn);
    if (!std::isfinite(turns) || turns == 0 || std::abs(turns) > kMostTurns) {
        return angle;
    }
    return static_cast<float>(angle + turns * kTurn);
}

// A drag past 0 or 360 degrees wraps the live record's angles; stored
// nearest the key before (for a first key, the key after), they make the
// film turn the way the user turned.
void turnNearNeighbour(Animation& animation, std::size_t index)
{
    std::vector<Keyframe>& keys = animation.keys;
    if (keys.size() < 2) {
        return;
    }
    const FractalParams& neighbour = keys[index > 0 ? index - 1 : index + 1].params;
    FractalParams& params = keys[index].params;
    for (const std::string_view name : kAngleFields) {
        const int slot = findParamField(name)->slot;
        writeFloatSlot(params, slot, nearestTurnOf(readFloatSlot(params, slot), readFloatSlot(neighbour, slot)));
    }
}

}  // namespace

Result<Animation> withKeyAdded(const Animation& animation, int frame, const FractalParams& params)
{
    if (keyAtFrame(animation, frame)) {
        return frameTaken(frame);
    }
    Animation edited = animation;
    edited.keys.push_back({frame, params});
    sortByFrame(edited);
    turnNearNeighbour(edited, *keyAtFrame(edited, frame));
    return edited;
}

Animation withKeyReplaced(const Animation& animation, std::size_t index, const FractalParams& params)
{
    Animation edited = animation;
    edited.keys.at(index).params = params;
    turnNearNeighbour(edited, index);
    return edited;
}

Animation withKeyDeleted(const Animation& animation, std::size_t index)
{
    Animation edited = animation;
    edited.keys.erase(edited.keys.begin() + static_cast<std::ptrdiff_t>(index));
    return edited;
}

Result<Animation> withKeyRetimed(const Animation& animation, std::size_t index, int frame)
{
    if (frame < 0) {
        return Failure{"Frames are counted from 0"};
    }
    const std::optional<std::size_t> holder = keyAtFrame(animation, frame);
    if (holder && *holder != index) {
        return frameTaken(frame);
    }
    Animation edited = animation;
    edited.keys.at(index).frame = frame;
    sortByFrame(edited);
    return edited;
}

Result<Animation> withInterpolation(const Animation& animation, const ParamField& field, Interpolation mode)
{
    if (fieldOnlySteps(field) && mode != Interpolation::Step) {
        return Failure{std::string(field.name) + " can only step"};
    }
    Animation edited = animation;
    edited.interpolation[static_cast<std::size_t>(field.slot)] = mode;
    return edited;
}

bool fieldOnlySteps(const ParamField& field)
{
    return field.name == "power";
}

std::optional<std::size_t> keyAtFrame(const Animation& animation, int frame)
{
    const auto key = std::find_if(animation.keys.begin(), animation.keys.end(),
                                  [frame](const Keyframe& k) { return k.frame == frame; });
    if (key == animation.keys.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(key - animation.keys.begin());
}

std::vector<std::string_view> changedFields(const Animation& animation, std::size_t index)
{
    const FractalParams before = index == 0 ? defaultParams() : animation.keys.at(index - 1).params;
    std::vector<std::string_view> names;
    for (const ParamField& field : paramFields()) {
        if (slotDiffers(before, animation.keys.at(index).params, field)) {
            names.push_back(field.name);
        }
    }
    return names;
}

std::vector<const ParamField*> movingFields(const Animation& animation)
{
    std::vector<const ParamField*> fields;
    for (const ParamField& field : paramFields()) {
        for (std::size_t index = 1; index < animation.keys.size(); ++index) {
            if (slotDiffers(animation.keys[index - 1].params, animation.keys[index].params, field)) {
                fields.push_back(&field);
                break;
            }
        }
    }
    return fields;
}

}  // namespace tessaform
