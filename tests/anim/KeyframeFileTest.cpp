#include "anim/KeyframeFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <limits>
#include <string>

namespace tessaform {
namespace {

// A "from" file that exists only in the test: "red.j4d" makes the
// background red, anything else cannot be read.
Result<FractalParams> fakeLoader(const std::string& path, const FractalParams& base)
{
    if (path != "films/red.j4d") {
        return Failure{"Could not read parameter file " + path};
    }
    FractalParams params = base;
    params.background = {1.0f, 0.0f, 0.0f};
    return params;
}

KeyframeLoad parsed(const std::string& text)
{
    return parseKeyframeText(text, "film.toml", "films", fakeLoader);
}

bool sameBits(const FractalParams& a, const FractalParams& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(KeyframeFileTest, KeysNameWhatChangesAndCarryTheRestOver)
{
    const KeyframeLoad load = parsed(R"(fps = 24
[interpolation]
"constant.w" = "linear"
[[key]]
frame = 0
from = "red.j4d"
phi = 5.969026
constant.x = -0.568627
[[key]]
frame = 120
phi = 12.252211
constant.x = -0.2
power = 3
iterations = 20
)");
    ASSERT_TRUE(load.animation.ok()) << load.animation.error();
    const Animation& animation = *load.animation;
    EXPECT_EQ(animation.fps, 24.0);
    ASSERT_EQ(animation.keys.size(), 2u);
    EXPECT_EQ(animation.keys[0].params.background.r, 1.0f);
    EXPECT_EQ(animation.keys[0].params.constant.x, -0.568627f);
    EXPECT_EQ(animation.keys[1].frame, 120);
    EXPECT_EQ(animation.keys[1].params.background.r, 1.0f) << "carried over from the key before";
    EXPECT_EQ(animation.keys[1].params.phi, 12.252211f);
    EXPECT_EQ(animation.keys[1].params.power, 3);
    EXPECT_EQ(animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, constant.w)))],
              Interpolation::Linear);
}

TEST(KeyframeFileTest, ErrorsPointAtTheirLineAndColumn)
{
    const struct {
        std::string text;
        std::string reason;
        KeyframeProblem problem;
    } cases[] = {
        {"[[key]]\nframe = 0\nphi = = 2\n", "film.toml:3:", KeyframeProblem::Invalid},
        {"[[key]]\nframe = 0\nphy = 2\n", "film.toml:3:7: unknown field 'phy'", KeyframeProblem::Invalid},
        {"[[key]]\nframe = 0\nconstant.v = 2\n", "film.toml:3:14: unknown field 'constant.v'",
         KeyframeProblem::Invalid},
        {"[[key]]\nframe = 5\n[[key]]\nframe = 5\n", "film.toml:4:9: frame 5 does not come after frame 5",
         KeyframeProblem::Invalid},
        {"[[key]]\nframe = 0\npower = 7\n", "film.toml:3:9: power must be 2, 3, 4 or 5, not 7",
         KeyframeProblem::Invalid},
        {"[[key]]\nframe = 0\niterations = 2.5\n", "film.toml:3:14: iterations takes a whole number",
         KeyframeProblem::Invalid},
        {"[[key]]\nframe = 0\nphi = \"x\"\n", "film.toml:3:7: phi: bad number 'x'", KeyframeProblem::Invalid},
        {"[[key]]\nphi = 1\n", "film.toml:1:1: each key needs a frame", KeyframeProblem::Invalid},
        {"[interpolation]\npower = \"smooth\"\n[[key]]\nframe = 0\n", "film.toml:2:9: power can only step",
         KeyframeProblem::Invalid},
        {"[interpolation]\nphi = \"cubic\"\n[[key]]\nframe = 0\n", "film.toml:2:7: phi must be",
         KeyframeProblem::Invalid},
        {"fps = 0\n[[key]]\nframe = 0\n", "film.toml:1:7: fps must be a number from 0.001 to 1000",
         KeyframeProblem::Invalid},
        {"fps = 1e300\n[[key]]\nframe = 0\n", "film.toml:1:7: fps must be a number from 0.001 to 1000",
         KeyframeProblem::Invalid},
        {"fps = 1e-300\n[[key]]\nframe = 0\n", "film.toml:1:7: fps must be a number from 0.001 to 1000",
         KeyframeProblem::Invalid},
        {"fps = nan\n[[key]]\nframe = 0\n", "film.toml:1:7: fps must be", KeyframeProblem::Invalid},
        {"[[key]]\nframe = 2147483648\n", "film.toml:2:9: each key needs a frame, a whole number from 0 to 2147483647",
         KeyframeProblem::Invalid},
        {"speed = 2\n[[key]]\nframe = 0\n", "film.toml:1:9: unknown entry 'speed'", KeyframeProblem::Invalid},
        {"[[key]]\nframe = 0\n\"\\u001b[2J\" = 1\n", "film.toml:3:15: unknown field '\\x1b[2J'",
         KeyframeProblem::Invalid},
        {"fps = 30\n", "film.toml: the file has no [[key]]", KeyframeProblem::Invalid},
        {"[[key]]\nframe = 0\nfrom = \"gone.j4d\"\n", "film.toml:3:8: Could not read parameter file films/gone.j4d",
         KeyframeProblem::Unreadable},
    };
    for (const auto& c : cases) {
        const KeyframeLoad load = parsed(c.text);
        ASSERT_FALSE(load.animation.ok()) << c.text;
        EXPECT_EQ(load.animation.error().rfind(c.reason, 0), 0u) << load.animation.error();
        EXPECT_EQ(load.problem, c.problem) << c.text;
    }
    EXPECT_EQ(readKeyframeFile("/no/such/film.toml", fakeLoader).problem, KeyframeProblem::Unreadable);
}

// Dotted keys and nested tables make the TOML reader recurse once a level;
// too many of either are refused before it runs, with the place.
TEST(KeyframeFileTest, DeepNestingIsRefusedBeforeTheTomlReader)
{
    const auto dotted = [](int parts, std::string text = "") {
        text += "a";
        for (int i = 1; i < parts; ++i) text += ".a";
        return text;
    };
    const struct {
        std::string text;
        std::string reason;
    } cases[] = {
        {dotted(20000, "[[key]]\nframe = 0\n") + " = 1\n", "film.toml:3:1: a key of more than 16 dotted parts"},
        {dotted(16, "[[key]]\nframe = 0\n  \"q\" . ") + " = 1\n", "film.toml:3:3: a key of more than 16 dotted parts"},
        {dotted(17, "[") + "]\n", "film.toml:1:2: a key of more than 16 dotted parts"},
        {dotted(17, "x = 'é' # .\n") + " = 1\n", "film.toml:2:1: a key of more than 16 dotted parts"},
        {std::string("x = {y = ").append(20000, '['), "film.toml:1:25: tables and arrays nested more than 16 deep"},
        {"x = [\n[[[[[[[[[[[[[[[[\n", "film.toml:2:16: tables and arrays nested more than 16 deep"},
    };
    for (const auto& c : cases) {
        const KeyframeLoad load = parsed(c.text);
        ASSERT_FALSE(load.animation.ok());
        EXPECT_EQ(load.animation.error(), c.reason);
        EXPECT_EQ(load.problem, KeyframeProblem::Invalid);
    }
    // Dots and brackets inside strings and comments are text, not nesting.
    const std::string text = dotted(40, "# ") + "{{{{{{{{{{{{{{{{{{\n[[key]]\nframe = 0\n" + dotted(40, "\"") +
                             "[[[[[[[[[[[[[[[[[[\" = 1\n" + dotted(40, "phi = '''") + "'''\n" +
                             dotted(40, "theta = \"\"\"\n") + "\"\"\"\n" + dotted(40, "distance = 1.5 # ") + "\n";
    const KeyframeLoad load = parsed(text);
    ASSERT_FALSE(load.animation.ok());
    EXPECT_EQ(load.animation.error().rfind("film.toml:4:103: unknown field 'a.a.a", 0), 0u) << load.animation.error();
}

TEST(KeyframeFileTest, WrittenFileReadsBackToTheSameBits)
{
    Animation animation;
    animation.fps = 30000.0 / 1001.0;
    animation.interpolation = defaultInterpolation();
    animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, epsilon)))] = Interpolation::Step;
    Keyframe first{0, defaultParams()};
    first.params.constant.w = -0.0f;
    first.params.phi = std::bit_cast<float>(0x7FC01234u);
    first.params.light.x = -std::numeric_limits<float>::infinity();
    first.params.epsilon = 1e-45f;
    Keyframe second{90, first.params};
    second.params.distance = 16777217.0f;
    second.params.theta = 0.1f;
    second.params.power = 4;
    second.params.iterations = -3;
    second.params.shadow = 0.7f;
    second.params.shadowSoftness = -0.0f;
    second.params.occlusionRadius = 0.3f;
    second.params.fog = std::bit_cast<float>(0x7FC00007u);
    animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, shadow)))] = Interpolation::Linear;
    animation.interpolation[static_cast<std::size_t>(slotAt(offsetof(FractalParams, fog)))] = Interpolation::Step;
    animation.keys = {first, second};

    const std::string text = keyframeFileText(animation);
    const KeyframeLoad load = parsed(text);
    ASSERT_TRUE(load.animation.ok()) << load.animation.error() << "\n" << text;
    EXPECT_EQ(load.animation->fps, animation.fps);
    EXPECT_EQ(load.animation->interpolation, animation.interpolation);
    ASSERT_EQ(load.animation->keys.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(load.animation->keys[i].frame, animation.keys[i].frame);
        EXPECT_TRUE(sameBits(load.animation->keys[i].params, animation.keys[i].params)) << text;
    }
    EXPECT_NE(text.find("theta = 0.1\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("background"), std::string::npos) << "only what changes is named";
}

}  // namespace
}  // namespace tessaform
