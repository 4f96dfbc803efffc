#include "anim/KeyEdits.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tessaform {
namespace {

// As a slider position of that many degrees stores it.
float degrees(int position)
{
    return static_cast<float>(position) * 0.0174532924f;
}

float inDegrees(float radians)
{
    return radians * 57.295776f;
}

Animation keyedAt(int frame, float phi)
{
    Animation animation;
    animation.interpolation = defaultInterpolation();
    FractalParams params = defaultParams();
    params.phi = phi;
    return *withKeyAdded(animation, frame, params);
}

FractalParams withAngles(float phi, float theta, float angle)
{
    FractalParams params = defaultParams();
    params.phi = phi;
    params.theta = theta;
    params.angle = angle;
    return params;
}

// A drag that wrapped past 0 or 360 degrees is stored the way the user
// turned, whichever of the three angles it moved.
TEST(KeyEditsTest, AddedKeysTurnTheShortWayFromTheKeyBefore)
{
    const struct {
        int before;
        int added;
        float expected;
    } cases[] = {
        {310, 0, 360.0f}, {310, 20, 380.0f}, {20, 340, -20.0f}, {0, 200, -160.0f}, {90, 100, 100.0f}, {0, 0, 0.0f},
    };
    for (const auto& c : cases) {
        Animation animation;
        animation.interpolation = defaultInterpolation();
        animation = *withKeyAdded(animation, 0, withAngles(degrees(c.before), degrees(c.before), degrees(c.before)));
        animation = *withKeyAdded(animation, 10, withAngles(degrees(c.added), degrees(c.added), degrees(c.added)));
        const FractalParams& stored = animation.keys[1].params;
        for (const float angle : {stored.phi, stored.theta, stored.angle}) {
            EXPECT_NEAR(inDegrees(angle), c.expected, 1e-3) << c.before << " then " << c.added;
        }
        // Every frame between lies between the two keys.
        const float middle = paramsAtFrame(animation, 5).phi;
        EXPECT_NEAR(inDegrees(middle), (c.before + c.expected) / 2, 1e-2) << c.before << " then " << c.added;
    }
}

TEST(KeyEditsTest, FirstKeysTurnNearTheKeyAfterAndReplacedKeysNearTheKeyBefore)
{
    Animation animation = keyedAt(10, degrees(350));
    animation = *withKeyAdded(animation, 0, withAngles(degrees(10), 0.0f, 0.0f));
    EXPECT_NEAR(inDegrees(animation.keys[0].params.phi), 370.0f, 1e-3);

    animation = *withKeyAdded(animation, 20, withAngles(degrees(5), 0.0f, 0.0f));
    animation = withKeyReplaced(animation, 1, withAngles(degrees(30), 0.0f, 0.0f));
    EXPECT_NEAR(inDegrees(animation.keys[1].params.phi), 390.0f, 1e-3);
    animation = withKeyReplaced(animation, 0, withAngles(degrees(300), 0.0f, 0.0f));
    EXPECT_NEAR(inDegrees(animation.keys[0].params.phi), 300.0f, 1e-3);
}

// What needs no turn, or cannot take one, keeps its bits.
TEST(KeyEditsTest, AnglesThatNeedNoTurnKeepTheirBits)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    const struct {
        float before;
        float added;
    } cases[] = {{degrees(20), -0.0f},    {nan, degrees(20)},   {degrees(20), nan},
                 {infinity, degrees(20)}, {1e30f, degrees(20)}, {degrees(20), 1e30f}};
    for (const auto& c : cases) {
        const Animation animation = *withKeyAdded(keyedAt(0, c.before), 10, withAngles(c.added, c.added, c.added));
        const FractalParams& stored = animation.keys[1].params;
        EXPECT_EQ(std::signbit(stored.phi), std::signbit(c.added)) << c.before;
        EXPECT_TRUE(stored.phi == c.added || (std::isnan(stored.phi) && std::isnan(c.added)))
            << c.before << " then " << c.added;
    }
}

}  // namespace
}  // namespace tessaform
