#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "params/FractalParams.h"

namespace tessaform {

// One "--set NAME=VALUE", checked and converted before anything is loaded.
struct FieldAssignment {
    int slot;
    std::variant<float, std::int32_t> value;
};

// The assignment, or the text that says why it is refused.
std::variant<FieldAssignment, std::string> parseFieldAssignment(std::string_view text);

void applyFieldAssignment(FractalParams& params, const FieldAssignment& assignment);

}  // namespace tessaform
