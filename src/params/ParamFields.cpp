#include "params/ParamFields.h"

#include <array>
#include <cstring>

namespace tessaform {
namespace {

constexpr std::array<ParamField, kParamSlotCount> kFields{{
    {"background.r", FieldKind::Float, 0},  {"background.g", FieldKind::Float, 1},
    {"background.b", FieldKind::Float, 2},  {"theta", FieldKind::Float, 3},
    {"phi", FieldKind::Float, 4},           {"distance", FieldKind::Float, 5},
    {"constant.x", FieldKind::Float, 6},    {"constant.y", FieldKind::Float, 7},
    {"constant.z", FieldKind::Float, 8},    {"constant.w", FieldKind::Float, 9},
    {"hyperplaneW", FieldKind::Float, 10},  {"light.x", FieldKind::Float, 11},
    {"light.y", FieldKind::Float, 12},      {"light.z", FieldKind::Float, 13},
    {"specular", FieldKind::Float, 14},     {"intensity", FieldKind::Float, 15},
    {"lateralShift", FieldKind::Float, 16}, {"verticalShift", FieldKind::Float, 17},
    {"iterations", FieldKind::Integer, 18}, {"epsilon", FieldKind::Float, 19},
    {"direction.x", FieldKind::Float, 20},  {"direction.y", FieldKind::Float, 21},
    {"direction.z", FieldKind::Float, 22},  {"angle", FieldKind::Float, 23},
    {"power", FieldKind::Integer, 24},
}};

std::byte* slotAddress(FractalParams& params, int slot)
{
    return reinterpret_cast<std::byte*>(&params) + 4 * slot;
}

const std::byte* slotAddress(const FractalParams& params, int slot)
{
    return reinterpret_cast<const std::byte*>(&params) + 4 * slot;
}

}  // namespace

std::span<const ParamField> paramFields()
{
    return kFields;
}

const ParamField* findParamField(std::string_view name)
{
    for (const ParamField& field : kFields) {
        if (field.name == name) {
            return &field;
        }
    }
    return nullptr;
}

float readFloatSlot(const FractalParams& params, int slot)
{
    float value;
    std::memcpy(&value, slotAddress(params, slot), sizeof value);
    return value;
}

std::int32_t readIntegerSlot(const FractalParams& params, int slot)
{
    std::int32_t value;
    std::memcpy(&value, slotAddress(params, slot), sizeof value);
    return value;
}

void writeFloatSlot(FractalParams& params, int slot, float value)
{
    std::memcpy(slotAddress(params, slot), &value, sizeof value);
}

void writeIntegerSlot(FractalParams& params, int slot, std::int32_t value)
{
    std::memcpy(slotAddress(params, slot), &value, sizeof value);
}

}  // namespace tessaform
