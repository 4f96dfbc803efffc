#include "anim/Animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <vector>

#include "anim/KeyEdits.h"
#include "params/ParamFields.h"

namespace tessaform {
namespace {

// Keys at frames 0, 10, 40 and 50, each a copy of the defaults with the
// field under test set.
Animation animationOf(std::initializer_list<std::pair<int, float>> phiKeys)
{
    Animation animation;
    animation.interpolation = defaultInterpolation();
    for (const auto& [frame, phi] : phiKeys) {
        Keyframe key{frame, defaultParams()};
        key.params.phi = phi;
        animation.keys.push_back(key);
    }
    return animation;
}

double phiAt(const Animation& animation, double frame)
{
    return paramsAtTime(animation, frame).phi;
}

TEST(AnimationTest, KeysArePassedThroughBitForBitAndHeldBeyondTheEnds)
{
    Animation animation = animationOf({{0, 0.1f}, {10, 2.0f}, {40, -3.0f}, {50, 7.25f}});
    // A -0 is kept only where the frame is taken from the key itself: a
    // path from -0 towards another value starts at +0.
    animation.keys[2].params.constant.w = -0.0f;
    animation.keys[3].params.constant.w = 0.5f;
    animation.keys[2].params.iterations = 9;
    for (const Keyframe& key : animation.keys) {
        const FractalParams at = paramsAtFrame(animation, key.frame);
        EXPECT_EQ(std::memcmp(&at, &key.params, sizeof at), 0) << key.frame;
    }
    EXPECT_EQ(phiAt(animation, -5), 0.1f);
    EXPECT_EQ(phiAt(animation, 80), 7.25f);
}

TEST(AnimationTest, SmoothPathIsContinuousWithContinuousSlopeAndMovesAtTheEnds)
{
    const Animation animation = animationOf({{0, 0.0f}, {10, 4.0f}, {40, 1.0f}, {50, 6.0f}});
    constexpr double h = 1e-3;
    for (const int key : {10, 40}) {
        const double left = (phiAt(animation, key) - phiAt(animation, key - h)) / h;
        const double right = (phiAt(animation, key + h) - phiAt(animation, key)) / h;
        EXPECT_NEAR(left, right, 0.01) << "a kink at frame " << key;
        EXPECT_NEAR(phiAt(animation, key - h), phiAt(animation, key + h), 0.01) << "a jump at frame " << key;
    }
    EXPECT_GT((phiAt(animation, h) - phiAt(animation, 0)) / h, 0.2) << "flat at the start";
    EXPECT_GT((phiAt(animation, 50) - phiAt(animation, 50 - h)) / h, 0.2) << "flat at the end";
}

TEST(AnimationTest, EachFieldMovesItsOwnWay)
{
    Animation animation = animationOf({{0, 0.0f}, {10, 1.0f}});
    animation.keys[0].params.distance = 2.0f;
    animation.keys[1].params.distance = 8.0f;
    animation.keys[1].params.power = 5;
    animation.keys[1].params.iterations = 26;
    animation.keys[1].params.light.x = 3.0f;
    animation.keys[1].params.specular = 40.0f;
    animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, light.x)))] = Interpolation::Linear;
    animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, specular)))] = Interpolation::Step;

    const FractalParams half = paramsAtFrame(animation, 5);
    EXPECT_FLOAT_EQ(half.distance, 4.0f) << "distance moves in its logarithm";
    EXPECT_EQ(half.power, 2) << "power steps";
    EXPECT_EQ(half.iterations, 21) << "iterations follow the curve, rounded";
    EXPECT_FLOAT_EQ(half.light.x, 1.0f);
    EXPECT_FLOAT_EQ(paramsAtFrame(animation, 2).light.x, -0.2f);
    EXPECT_EQ(half.specular, 20.0f) << "a stepped field keeps the earlier key";
    EXPECT_EQ(paramsAtFrame(animation, 9).power, 2);
    EXPECT_EQ(paramsAtFrame(animation, 10).power, 5);
}

// The looks animate like any real field, and the interpolation list offers them.
TEST(AnimationTest, LooksMoveLikeAnyField)
{
    Animation animation = animationOf({{0, 0.0f}, {10, 0.0f}});
    animation.keys[1].params.shadow = 1.0f;
    animation.keys[1].params.occlusion = 0.8f;
    animation.keys[1].params.fog = 0.4f;
    animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, shadow)))] = Interpolation::Linear;
    animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, occlusion)))] = Interpolation::Step;

    const FractalParams early = paramsAtFrame(animation, 2);
    EXPECT_FLOAT_EQ(early.shadow, 0.2f);
    EXPECT_EQ(early.occlusion, 0.0f);
    EXPECT_GT(early.fog, 0.0f);
    EXPECT_LT(early.fog, 0.4f);
    std::vector<std::string_view> moving;
    for (const ParamField* field : movingFields(animation)) {
        moving.push_back(field->name);
    }
    EXPECT_EQ(moving, (std::vector<std::string_view>{"shadow", "occlusion", "fog"}));
}

TEST(AnimationTest, IntegerFieldsFollowTheCurveRoundedToTheNearest)
{
    Animation animation = animationOf({{0, 0.0f}, {10, 0.0f}});
    animation.keys[0].params.iterations = 16;
    animation.keys[1].params.iterations = 21;
    // The curve passes 16.5 at frame 1 and 17.5 at frame 3.
    const struct {
        int frame;
        int iterations;
    } cases[] = {{1, 17}, {2, 17}, {3, 18}, {5, 19}, {9, 21}};
    for (const auto& c : cases) {
        EXPECT_EQ(paramsAtFrame(animation, c.frame).iterations, c.iterations) << "frame " << c.frame;
    }
}

TEST(AnimationTest, FiniteKeysGiveFiniteValuesBetweenThem)
{
    const float huge = std::numeric_limits<float>::max();
    const Animation animation = animationOf({{0, -huge}, {1, huge}, {2, -huge}, {3, huge}});
    for (int frame = 0; frame <= 3; ++frame) {
        EXPECT_TRUE(std::isfinite(phiAt(animation, frame)));
    }
    const Animation nanKey = animationOf({{0, 1.0f}, {10, std::numeric_limits<float>::quiet_NaN()}, {20, 2.0f}});
    EXPECT_EQ(phiAt(nanKey, 5), 1.0f) << "no value is made up towards a NaN key";
    EXPECT_TRUE(std::isnan(phiAt(nanKey, 15))) << "nor away from one";
}

}  // namespace
}  // namespace tessaform
