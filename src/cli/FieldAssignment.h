#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "base/Result.h"
#include "params/FractalParams.h"

namespace tessaform {

// One "--set NAME=VALUE", checked and converted before anything is loaded.
struct FieldAssignment {
    int slot;
    std::variant<float, std::int32_t> value;
};

// The assignment, or why it is refused.
Result<FieldAssignment> parseFieldAssignment(std::string_view text);

void applyFieldAssignment(FractalParams& params, const FieldAssignment& assignment);

}  // namespace tessaform
