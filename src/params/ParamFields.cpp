#include "params/ParamFields.h"

#include <array>
#include <cstddef>
#include <cstring>

namespace tessaform {
namespace {

constexpr std::array<ParamField, kParamSlotCount> kFields{{
    {"background.r", FieldKind::Float, slotAt(offsetof(FractalParams, background.r))},
    {"background.g", FieldKind::Float, slotAt(offsetof(FractalParams, background.g))},
    {"background.b", FieldKind::Float, slotAt(offsetof(FractalParams, background.b))},
    {"theta", FieldKind::Float, slotAt(offsetof(FractalParams, theta))},
    {"phi", FieldKind::Float, slotAt(offsetof(FractalParams, phi))},
    {"distance", FieldKind::Float, slotAt(offsetof(FractalParams, distance))},
    {"constant.x", FieldKind::Float, slotAt(offsetof(FractalParams, constant.x))},
    {"constant.y", FieldKind::Float, slotAt(offsetof(FractalParams, constant.y))},
    {"constant.z", FieldKind::Float, slotAt(offsetof(FractalParams, constant.z))},
    {"constant.w", FieldKind::Float, slotAt(offsetof(FractalParams, constant.w))},
    {"hyperplaneW", FieldKind::Float, slotAt(offsetof(FractalParams, hyperplaneW))},
    {"light.x", FieldKind::Float, slotAt(offsetof(FractalParams, light.x))},
    {"light.y", FieldKind::Float, slotAt(offsetof(FractalParams, light.y))},
    {"light.z", FieldKind::Float, slotAt(offsetof(FractalParams, light.z))},
    {"specular", FieldKind::Float, slotAt(offsetof(FractalParams, specular))},
    {"intensity", FieldKind::Float, slotAt(offsetof(FractalParams, intensity))},
    {"lateralShift", FieldKind::Float, slotAt(offsetof(FractalParams, lateralShift))},
    {"verticalShift", FieldKind::Float, slotAt(offsetof(FractalParams, verticalShift))},
    {"iterations", FieldKind::Integer, slotAt(offsetof(FractalParams, iterations))},
    {"epsilon", FieldKind::Float, slotAt(offsetof(FractalParams, epsilon))},
    {"direction.x", FieldKind::Float, slotAt(offsetof(FractalParams, direction.x))},
    {"direction.y", FieldKind::Float, slotAt(offsetof(FractalParams, direction.y))},
    {"direction.z", FieldKind::Float, slotAt(offsetof(FractalParams, direction.z))},
    {"angle", FieldKind::Float, slotAt(offsetof(FractalParams, angle))},
    {"power", FieldKind::Integer, slotAt(offsetof(FractalParams, power))},
    {"shadow", FieldKind::Float, slotAt(offsetof(FractalParams, shadow))},
    {"shadowSoftness", FieldKind::Float, slotAt(offsetof(FractalParams, shadowSoftness))},
    {"occlusion", FieldKind::Float, slotAt(offsetof(FractalParams, occlusion))},
    {"occlusionRadius", FieldKind::Float, slotAt(offsetof(FractalParams, occlusionRadius))},
    {"fog", FieldKind::Float, slotAt(offsetof(FractalParams, fog))},
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
