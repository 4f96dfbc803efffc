#include "params/ParamFields.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tessaform {
namespace {

// Every float slot, reached through the record's own members rather than
// through a slot number.
std::vector<std::pair<std::string, float*>> floatMembers(FractalParams& p)
{
    return {
        {"background.r", &p.background.r},
        {"background.g", &p.background.g},
        {"background.b", &p.background.b},
        {"theta", &p.theta},
        {"phi", &p.phi},
        {"distance", &p.distance},
        {"constant.x", &p.constant.x},
        {"constant.y", &p.constant.y},
        {"constant.z", &p.constant.z},
        {"constant.w", &p.constant.w},
        {"hyperplaneW", &p.hyperplaneW},
        {"light.x", &p.light.x},
        {"light.y", &p.light.y},
        {"light.z", &p.light.z},
        {"specular", &p.specular},
        {"intensity", &p.intensity},
        {"lateralShift", &p.lateralShift},
        {"verticalShift", &p.verticalShift},
        {"epsilon", &p.epsilon},
        {"direction.x", &p.direction.x},
        {"direction.y", &p.direction.y},
        {"direction.z", &p.direction.z},
        {"angle", &p.angle},
    };
}

TEST(ParamFieldsTest, EveryFloatNameReachesItsMember)
{
    FractalParams params{};
    const auto members = floatMembers(params);
    ASSERT_EQ(23u, members.size());
    float value = 1.0f;
    for (const auto& [name, member] : members) {
        SCOPED_TRACE(name);
        const ParamField* field = findParamField(name);
        ASSERT_NE(nullptr, field);
        EXPECT_EQ(name, field->name);
        EXPECT_EQ(FieldKind::Float, field->kind);

        value += 0.5f;
        writeFloatSlot(params, field->slot, value);
        EXPECT_EQ(value, *member);
        *member = -value;
        EXPECT_EQ(-value, readFloatSlot(params, field->slot));
    }
}

TEST(ParamFieldsTest, IterationsAndPowerAreTheIntegerSlots)
{
    FractalParams params{};
    const std::pair<const char*, std::int32_t*> integers[] = {
        {"iterations", &params.iterations},
        {"power", &params.power},
    };
    for (const auto& [name, member] : integers) {
        SCOPED_TRACE(name);
        const ParamField* field = findParamField(name);
        ASSERT_NE(nullptr, field);
        EXPECT_EQ(FieldKind::Integer, field->kind);
        writeIntegerSlot(params, field->slot, -123456789);
        EXPECT_EQ(-123456789, *member);
        *member = 5;
        EXPECT_EQ(5, readIntegerSlot(params, field->slot));
    }

    int integerCount = 0;
    for (const ParamField& field : paramFields()) {
        integerCount += field.kind == FieldKind::Integer ? 1 : 0;
    }
    EXPECT_EQ(2, integerCount);
}

TEST(ParamFieldsTest, TheTableCoversEverySlotOnceUnderDistinctNames)
{
    std::set<int> slots;
    std::set<std::string_view> names;
    for (const ParamField& field : paramFields()) {
        EXPECT_GE(field.slot, 0);
        EXPECT_LT(field.slot, kParamSlotCount);
        slots.insert(field.slot);
        names.insert(field.name);
        EXPECT_EQ(&field, findParamField(field.name));
    }
    EXPECT_EQ(static_cast<std::size_t>(kParamSlotCount), paramFields().size());
    EXPECT_EQ(static_cast<std::size_t>(kParamSlotCount), slots.size());
    EXPECT_EQ(static_cast<std::size_t>(kParamSlotCount), names.size());
}

TEST(ParamFieldsTest, SlotAccessKeepsBitPatternsAndTouchesOneSlot)
{
    const float nanWithPayload = std::bit_cast<float>(0x7FC01234u);
    const FractalParams defaults = defaultParams();
    for (float value : {-0.0f, nanWithPayload}) {
        FractalParams params = defaults;
        writeFloatSlot(params, 19, value);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(value), std::bit_cast<std::uint32_t>(readFloatSlot(params, 19)));
        FractalParams expected = defaults;
        std::memcpy(&expected.epsilon, &value, sizeof value);
        EXPECT_FALSE(paramsDiffer(expected, params));
    }
}

TEST(ParamFieldsTest, UnknownNamesAreNotFound)
{
    for (const char* name :
         {"", "constant", "Constant.x", "constant.x ", " power", "constant.v", "background.a", "powers", "light"}) {
        EXPECT_EQ(nullptr, findParamField(name)) << "'" << name << "'";
    }
}

}  // namespace
}  // namespace tessaform
