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

// Phi, theta and the angle alike.
FractalParams turnedTo(float radians)
{
    FractalParams params = defaultParams();
    params.phi = params.theta = params.angle = radians;
    return params;
}

Animation keyedAt(int frame, float radians)
{
    Animation animation;
    animation.interpolation = defaultInterpolation();
    return *withKeyAdded(animation, frame, turnedTo(radians));
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
        const Animation animation = *withKeyAdded(keyedAt(0, degrees(c.before)), 10, turnedTo(degrees(c.added)));
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
    animation = *withKeyAdded(animation, 0, turnedTo(degrees(10)));
    EXPECT_NEAR(inDegrees(animation.keys[0].params.phi), 370.0f, 1e-3);

    animation = *withKeyAdded(animation, 20, turnedTo(degrees(5)));
    animation = withKeyReplaced(animation, 1, turnedTo(degrees(30)));
    EXPECT_NEAR(inDegrees(animation.keys[1].params.phi), 390.0f, 1e-3);
    animation = withKeyReplaced(animation, 0, turnedTo(degrees(300)));
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
        const Animation animation = *withKeyAdded(keyedAt(0, c.before), 10, turnedTo(c.added));
        const FractalParams& stored = animation.keys[1].params;
        EXPECT_EQ(std::signbit(stored.phi), std::signbit(c.added)) << c.before;
        EXPECT_TRUE(stored.phi == c.added || (std::isnan(stored.phi) && std::isnan(c.added)))
            << c.before << " then " << c.added;
    }
}

}  // namespace
}  // namespace tessaform
