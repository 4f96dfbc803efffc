#include "anim/Animation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "params/ParamFields.h"

namespace tessaform {
namespace {

// Four keys around the segment from keys[index] to keys[index + 1]; at the
// ends the missing neighbour is the end key itself, which makes the slope
// there one-sided instead of flat.
struct Segment {
    const Keyframe* before;
    const Keyframe* from;
    const Keyframe* to;
    const Keyframe* after;
};

Segment segmentAt(const std::vector<Keyframe>& keys, std::size_t index)
{
    return {&keys[index > 0 ? index - 1 : index], &keys[index], &keys[index + 1],
            &keys[index + 2 < keys.size() ? index + 2 : index + 1]};
}

// Distance and epsilon move evenly in their logarithm, so a zoom feels even.
bool isLogarithmic(const ParamField& field)
{
    return field.name == "distance" || field.name == "epsilon";
}

double slotValue(const Keyframe& key, const ParamField& field)
{
    return field.kind == FieldKind::Integer ? readIntegerSlot(key.params, field.slot)
                                            : readFloatSlot(key.params, field.slot);
}

// The slope at a key from its neighbours and their frame spacing.
double slopeBetween(double valueBefore, double frameBefore, double valueAfter, double frameAfter)
{
    return frameAfter > frameBefore ? (valueAfter - valueBefore) / (frameAfter - frameBefore) : 0.0;
}

double hermite(double p0, double p1, double m0, double m1, double span, double t)
{
    const double t2 = t * t;
    const double t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * p0 + (t3 - 2 * t2 + t) * span * m0 + (-2 * t3 + 3 * t2) * p1 + (t3 - t2) * span * m1;
}

struct SegmentValues {
    double before, from, to, after;
};

double interpolate(const Segment& s, const SegmentValues& v, Interpolation mode, double frame)
{
    const double span = s.to->frame - s.from->frame;
    const double t = (frame - s.from->frame) / span;
    if (mode == Interpolation::Linear) {
        return v.from + (v.to - v.from) * t;
    }
    const double m0 = slopeBetween(v.before, s.before->frame, v.to, s.to->frame);
    const double m1 = slopeBetween(v.from, s.from->frame, v.after, s.after->frame);
    return hermite(v.from, v.to, m0, m1, span, t);
}

bool allPositiveAndFinite(const SegmentValues& v)
{
    const auto positive = [](double x) { return x > 0 && std::isfinite(x); };
    return positive(v.before) && positive(v.from) && positive(v.to) && positive(v.after);
}

// In double, then held within float's range, so that finite keys never give
// an infinite value between them.
float storedFloat(double value)
{
    constexpr double kLargest = std::numeric_limits<float>::max();
    return static_cast<float>(std::isnan(value) ? value : std::clamp(value, -kLargest, kLargest));
}

// The curve's arithmetic can land a value that lies half-way an ulp short
// of the half (16.5 as 16.4999...); within that slack it rounds as the
// exact half does, away from zero.
std::int32_t storedInteger(double value)
{
    constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
    constexpr double kRoundingSlack = 1e-12;
    return static_cast<std::int32_t>(std::clamp(std::round(value * (1.0 + kRoundingSlack)), kLowest, kHighest));
}

void interpolateField(const Segment& s, const ParamField& field, Interpolation mode, double frame, FractalParams& out)
{
    SegmentValues v{slotValue(*s.before, field), slotValue(*s.from, field), slotValue(*s.to, field),
                    slotValue(*s.after, field)};
    if (mode == Interpolation::Step || v.from == v.to || !std::isfinite(v.from) || !std::isfinite(v.to)) {
        // Nothing to move, or nothing finite to move between: the earlier key holds.
        return;
    }
    const bool logarithmic = isLogarithmic(field) && allPositiveAndFinite(v);
    if (logarithmic) {
        v = {std::log(v.before), std::log(v.from), std::log(v.to), std::log(v.after)};
    }
    if (!std::isfinite(v.before) || !std::isfinite(v.after)) {
        mode = Interpolation::Linear;
    }
    double value = interpolate(s, v, mode, frame);
    if (logarithmic) {
        value = std::exp(value);
    }
    if (field.kind == FieldKind::Integer) {
        writeIntegerSlot(out, field.slot, storedInteger(value));
    } else {
        writeFloatSlot(out, field.slot, storedFloat(value));
    }
}

}  // namespace

bool isFilmFrameRate(double fps)
{
    return fps >= kSlowestFilmFps && fps <= kFastestFilmFps;
}

std::string filmFrameRateRangeText()
{
    const auto shortest = [](double value) {
        std::array<char, 32> text{};
        return std::string(text.data(), std::to_chars(text.data(), text.data() + text.size(), value).ptr);
    };
    return "a number from " + shortest(kSlowestFilmFps) + " to " + shortest(kFastestFilmFps);
}

std::array<Interpolation, kParamSlotCount> defaultInterpolation()
{
    std::array<Interpolation, kParamSlotCount> modes{};
    modes.fill(Interpolation::Smooth);
    modes[static_cast<std::size_t>(findParamField("power")->slot)] = Interpolation::Step;
    return modes;
}

FractalParams paramsAtTime(const Animation& animation, double frame)
{
    const std::vector<Keyframe>& keys = animation.keys;
    const auto next =
        std::upper_bound(keys.begin(), keys.end(), frame, [](double f, const Keyframe& key) { return f < key.frame; });
    if (next == keys.begin()) {
        return keys.front().params;
    }
    if (next == keys.end() || std::prev(next)->frame == frame) {
        return std::prev(next)->params;
    }
    const auto index = static_cast<std::size_t>(std::prev(next) - keys.begin());
    const Segment segment = segmentAt(keys, index);
    FractalParams params = segment.from->params;
    for (const ParamField& field : paramFields()) {
        interpolateField(segment, field, animation.interpolation[static_cast<std::size_t>(field.slot)], frame, params);
    }
    return params;
}

}  // namespace tessaform
