#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "params/RandomGenerator.h"
#include "session/LiveRecord.h"

namespace tessaform {

// What the program keeps for one run, besides the parameter records:
// nothing of it is saved.
struct ProgramState {
    // The live record, the gradient and their undo history.
    LiveRecord record;
    RandomGenerator random;
    // Size and file of the high-quality render: the size is taken from the
    // settings window's fields when a render starts, and shown in them again
    // whenever the whole record is shown.
    std::uint32_t renderWidth = 1024;
    std::uint32_t renderHeight = 768;
    // What the size fields hold now, typed or shown.
    std::uint32_t typedWidth = 1024;
    std::uint32_t typedHeight = 768;
    std::string outputPath;
    // The colour dialog's 16 custom colours as 0x00RRGGBB, black at start.
    std::array<std::uint32_t, 16> customColours{};

    void takeTypedSize()
    {
        renderWidth = typedWidth;
        renderHeight = typedHeight;
    }
};

}  // namespace tessaform
