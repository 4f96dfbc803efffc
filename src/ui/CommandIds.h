#pragma once

namespace tessaform {

// The ids that menu items and buttons send to the command handler; the
// dialog also ends with Cancel's or Exit's id as its result.
enum class CommandId : int {
    Cancel = 2,
    BackgroundColour = 3,
    LoadGradient = 4,
    Exit = 40002,
    HighQuality = 40003,
    LoadParameters = 40004,
    SaveParameters = 40005,
    RandomParameters = 40008,
    ResetParameters = 40009,
    Animation = 40010,
    LiveView = 40011,
    Looks = 40012,
};

constexpr int idNumber(CommandId id)
{
    return static_cast<int>(id);
}

}  // namespace tessaform
