#pragma once

namespace tessaform {

// The ids that menu items and buttons send to the command handler.
enum CommandId : int {
    kCommandCancel = 2,
    kCommandBackgroundColour = 3,
    kCommandLoadGradient = 4,
    kCommandExit = 40002,
    kCommandHighQuality = 40003,
    kCommandLoadParameters = 40004,
    kCommandSaveParameters = 40005,
    kCommandRandomParameters = 40008,
    kCommandResetParameters = 40009,
};

}  // namespace tessaform
