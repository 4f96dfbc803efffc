#include "params/FractalParams.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>

namespace tessaform {
namespace {

using SlotBits = std::array<std::uint32_t, kParamSlotCount>;

SlotBits slotBits(const FractalParams& params)
{
    SlotBits bits;
    std::memcpy(bits.data(), &params, sizeof params);
    return bits;
}

FractalParams fromSlotBits(const SlotBits& bits)
{
    FractalParams params;
    std::memcpy(&params, bits.data(), sizeof params);
    return params;
}

std::uint32_t floatBits(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

std::uint32_t intBits(std::int32_t value)
{
    return std::bit_cast<std::uint32_t>(value);
}

TEST(FractalParamsTest, ResetWritesEveryDefaultBitForBit)
{
    const float phi = static_cast<float>(342.0 * std::numbers::pi / 180.0);
    ASSERT_EQ(0x40BF0243u, floatBits(phi));
    const SlotBits expected{
        floatBits(0.4f),
        floatBits(0.5f),
        floatBits(0.6f),
        floatBits(0.0f),
        floatBits(phi),
        floatBits(4.0f),
        floatBits(-0.568627f),
        floatBits(0.653846f),
        floatBits(0.0f),
        floatBits(0.0f),
        floatBits(0.0f),
        floatBits(-1.0f),
        floatBits(-1.0f),
        floatBits(1.0f),
        floatBits(20.0f),
        floatBits(1.5f),
        floatBits(-0.15f),
        floatBits(0.0f),
        intBits(16),
        floatBits(0.001f),
        floatBits(1.0f),
        floatBits(0.0f),
        floatBits(0.0f),
        floatBits(0.0f),
        intBits(2),
        // The looks: off, with occlusion reaching a tenth when turned on.
        floatBits(0.0f),
        floatBits(0.0f),
        floatBits(0.0f),
        floatBits(0.1f),
        floatBits(0.0f),
    };

    SlotBits garbage;
    garbage.fill(0xFFFFFFFFu);
    FractalParams params = fromSlotBits(garbage);
    resetParams(params);
    const SlotBits actual = slotBits(params);
    for (int slot = 0; slot < kParamSlotCount; ++slot) {
        EXPECT_EQ(expected[slot], actual[slot]) << "slot " << slot;
    }
    EXPECT_EQ(expected, slotBits(defaultParams()));
}

TEST(FractalParamsTest, DifferenceComparesBitPatternsNotNumbers)
{
    const float quietNaN = std::numeric_limits<float>::quiet_NaN();
    const float otherNaN = std::bit_cast<float>(floatBits(quietNaN) | 1u);
    const FractalParams defaults = defaultParams();

    struct Case {
        const char* name;
        float live;
        float snapshot;
        bool differ;
    };
    const Case cases[] = {
        {"equal numbers", 0.25f, 0.25f, false},
        {"negative and positive zero", -0.0f, 0.0f, true},
        {"identical NaN bits", quietNaN, quietNaN, false},
        {"different NaN payloads", quietNaN, otherNaN, true},
        {"neighbouring floats", 1.0f, std::nextafter(1.0f, 2.0f), true},
    };
    for (const Case& c : cases) {
        FractalParams live = defaults;
        FractalParams snapshot = defaults;
        live.hyperplaneW = c.live;
        snapshot.hyperplaneW = c.snapshot;
        EXPECT_EQ(c.differ, paramsDiffer(live, snapshot)) << c.name;
    }
    const FractalParams clearedSnapshot{};
    EXPECT_TRUE(paramsDiffer(defaults, clearedSnapshot));
}

TEST(FractalParamsTest, AChangeInAnyByteOfTheRecordIsADifference)
{
    const FractalParams defaults = defaultParams();
    EXPECT_FALSE(paramsDiffer(defaults, defaults));
    for (std::size_t byte = 0; byte < sizeof(FractalParams); ++byte) {
        FractalParams changed = defaults;
        reinterpret_cast<unsigned char*>(&changed)[byte] ^= 0x01;
        EXPECT_TRUE(paramsDiffer(defaults, changed)) << "byte " << byte;
        EXPECT_TRUE(paramsDiffer(changed, defaults)) << "byte " << byte;
    }
}

}  // namespace
}  // namespace tessaform
