#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "params/FractalParams.h"

namespace tessaform {

enum class FieldKind { Float, Integer };

// One slot of the record under its dotted name ("constant.x", "power").
struct ParamField {
    std::string_view name;
    FieldKind kind;
    int slot;
};

std::span<const ParamField> paramFields();

// nullptr when no slot has that name.
const ParamField* findParamField(std::string_view name);

float readFloatSlot(const FractalParams& params, int slot);
std::int32_t readIntegerSlot(const FractalParams& params, int slot);
void writeFloatSlot(FractalParams& params, int slot, float value);
void writeIntegerSlot(FractalParams& params, int slot, std::int32_t value);

}  // namespace tessaform
