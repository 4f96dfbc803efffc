#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/EditHistory.h"
#include "app/SharedParams.h"
#include "params/Gradient.h"
#include "params/RandomGenerator.h"

namespace tessaform {

// What the program keeps for one run, besides the parameter records:
// nothing of it is saved.
struct ProgramState {
    SharedParams params;
    GradientSlot gradient;
    RandomGenerator random;
    // Size and file of the next high-quality render.
    std::uint32_t renderWidth = 1024;
    std::uint32_t renderHeight = 768;
    std::string outputPath;
    // The colour dialog's 16 custom colours as 0x00RRGGBB, black at start.
    std::array<std::uint32_t, 16> customColours{};
    // Undo and redo over the live record and the gradient.
    EditHistory history;

    EditState editState() const { return {params.live(), gradient.current()}; }
    void restore(const EditState& state)
    {
        params.editLive([&](FractalParams& live) { live = state.params; });
        gradient.publish(state.gradient);
    }
};

}  // namespace tessaform
