#include "params/ParamText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "params/ParamFields.h"

namespace tessaform {
namespace {

bool sameBits(const FractalParams& a, const FractalParams& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

float fromBits(std::uint32_t bits)
{
    return std::bit_cast<float>(bits);
}

TEST(ParamTextTest, EveryFloatReadsBackToItsBits)
{
    const float values[] = {
        0.4f,
        -0.568627f,
        0.0f,
        -0.0f,
        1e38f,
        -3.4028235e38f,
        1e-45f,  // the smallest subnormal
        1.17549435e-38f,
        std::numeric_limits<float>::infinity(),
        -std::numeric_limits<float>::infinity(),
        fromBits(0x7FC00000u),
        fromBits(0xFFC00001u),
        fromBits(0x7F800001u),  // signalling
    };
    for (const float value : values) {
        const std::string text = exactFloatText(value);
        const Result<float> back = parseExactFloat(text);
        ASSERT_TRUE(back.ok()) << text << ": " << back.error();
        EXPECT_EQ(std::bit_cast<std::uint32_t>(*back), std::bit_cast<std::uint32_t>(value)) << text;
    }
    EXPECT_EQ(exactFloatText(0.1f), "0.1");
    EXPECT_EQ(exactFloatText(-0.0f), "-0");
    EXPECT_EQ(exactFloatText(fromBits(0x7FC00000u)), "nan(0x7fc00000)");
}

TEST(ParamTextTest, RecordRoundTripsThroughItsTextBitForBit)
{
    FractalParams params = defaultParams();
    params.constant.w = -0.0f;
    params.light.x = std::numeric_limits<float>::infinity();
    params.epsilon = fromBits(0x7FC01234u);
    params.distance = 1e-40f;
    params.iterations = -7;
    params.power = 5;
    const Result<FractalParams> back = paramsFromText(paramsAsText(params));
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_TRUE(sameBits(*back, params));
    EXPECT_EQ(paramsAsText(defaultParams()).substr(0, 17), "background.r=0.4\n");
}

// Text written before the looks existed has no lines for them and must
// load with them off; a record with them off must write that same text.
TEST(ParamTextTest, LooksAreLinesOnlyWhileTheyDifferFromTheirDefaults)
{
    const std::string classic = paramsAsText(defaultParams());
    EXPECT_EQ(std::count(classic.begin(), classic.end(), '\n'), kClassicSlotCount);
    EXPECT_TRUE(classic.ends_with("angle=0\npower=2\n")) << classic;

    const Result<FractalParams> old = paramsFromText(classic);
    ASSERT_TRUE(old.ok()) << old.error();
    EXPECT_TRUE(sameBits(*old, defaultParams()));

    const struct {
        const char* name;
        float value;
    } looks[] = {
        {"shadow", 0.75f},   {"shadow", -0.0f},         {"shadowSoftness", 3.5f},
        {"occlusion", 1.0f}, {"occlusionRadius", 0.0f}, {"fog", fromBits(0x7FC00002u)},
    };
    FractalParams all = defaultParams();
    for (const auto& look : looks) {
        FractalParams params = defaultParams();
        writeFloatSlot(params, findParamField(look.name)->slot, look.value);
        writeFloatSlot(all, findParamField(look.name)->slot, look.value);
        const std::string text = paramsAsText(params);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), kClassicSlotCount + 1) << look.name;
        const Result<FractalParams> back = paramsFromText(text);
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_TRUE(sameBits(*back, params)) << look.name;
    }
    const Result<FractalParams> back = paramsFromText(paramsAsText(all));
    ASSERT_TRUE(back.ok()) << back.error();
    EXPECT_TRUE(sameBits(*back, all));

    for (const auto& [text, reason] :
         {std::pair<std::string, std::string>{classic + "fog=1\nfog=2\n", "fog is given twice"},
          {classic + "shadow=dark\n", "shadow: bad number 'dark'"}}) {
        const Result<FractalParams> parsed = paramsFromText(text);
        ASSERT_FALSE(parsed.ok()) << reason;
        EXPECT_NE(parsed.error().find(reason), std::string::npos) << parsed.error();
    }
}

TEST(ParamTextTest, DamagedTextIsRefusedWithItsReason)
{
    const std::string whole = paramsAsText(defaultParams());
    const auto replaced = [&whole](const std::string& from, const std::string& to) {
        std::string text = whole;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const struct {
        std::string text;
        std::string reason;
    } cases[] = {
        {whole.substr(0, whole.size() - 1), "middle of a line"},
        {whole.substr(0, whole.find("power=")), "power is missing"},
        {whole + "power=3\n", "power is given twice"},
        {replaced("iterations=", "iteration="), "unknown parameter line 'iteration=16'"},
        {replaced("theta=", "theta"), "unknown parameter line"},
        {replaced("distance=4", "distance=4x"), "distance: bad number '4x'"},
        {replaced("distance=4", "distance="), "distance: bad number ''"},
        {replaced("distance=4", "distance=nan"), "bad number 'nan'"},
        {replaced("epsilon=0.001", "epsilon=nan(0x00000001)"), "bad number"},
        {replaced("iterations=16", "iterations=1.5"), "iterations: bad whole number '1.5'"},
        {replaced("iterations=16", "iterations=99999999999"), "bad whole number"},
        {replaced("power=2", "power=7"), "power must be 2, 3, 4 or 5, not 7"},
        {replaced("\n", "\r\n"), "bad number"},
    };
    for (const auto& c : cases) {
        const Result<FractalParams> parsed = paramsFromText(c.text);
        ASSERT_FALSE(parsed.ok()) << c.reason;
        EXPECT_NE(parsed.error().find(c.reason), std::string::npos) << parsed.error();
    }
}

TEST(ParamTextTest, GradientHexIsExactForEveryByteAndRefusesDamage)
{
    std::vector<std::uint8_t> rgb;
    for (int value = 0; value < 256; ++value) {
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(255 - value), 7});
    }
    const Gradient gradient = gradientFromRgbBytes(rgb);
    const std::string hex = gradientAsHex(gradient);
    EXPECT_EQ(hex.substr(0, 12), "00ff0701fe07");
    const Result<Gradient> back = gradientFromHex(hex);
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back->count(), gradient.count());
    EXPECT_EQ(std::memcmp(back->entries().data(), gradient.entries().data(), gradient.entries().size_bytes()), 0);

    EXPECT_TRUE(gradientFromHex("").ok());
    EXPECT_FALSE(gradientFromHex("00ff0").ok());
    EXPECT_FALSE(gradientFromHex("00FF07").ok());
    EXPECT_FALSE(gradientFromHex("00fg07").ok());
}

}  // namespace
}  // namespace tessaform
