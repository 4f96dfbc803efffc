#pragma once

#include <functional>
#include <string>

#include "ui/CommandIds.h"
#include "ui/HighQualityWindow.h"
#include "ui/ProgramState.h"
#include "ui/SystemDialogs.h"

namespace tessaform {

class SettingsDialog;

// What the menu items and the two buttons do.
class Commands {
public:
    Commands(ProgramState& state, SettingsDialog& dialog, SystemDialogs& dialogs, std::function<void()> requestRender,
             const HighQualityServices& highQuality)
        : state_(state),
          dialog_(dialog),
          dialogs_(dialogs),
          requestRender_(std::move(requestRender)),
          highQuality_(highQuality)
    {
    }

    // Ids that no command knows (the notifications of the size fields, OK)
    // are ignored.
    void run(CommandId commandId);

    void chooseBackgroundColour();
    void loadGradientFromFile();
    void renderHighQuality();
    void loadParameters();
    void saveParameters();
    void randomParameters();
    void resetParameters();

    // A .j4d file or a PNG, told apart by content.
    void loadParametersFrom(const std::string& path);
    // What a file dropped on the window does.
    void openDroppedFile(const std::string& path);

private:
    void requestRenderIfChanged();
    void loadImageParameters(const std::string& path);

    ProgramState& state_;
    SettingsDialog& dialog_;
    SystemDialogs& dialogs_;
    std::function<void()> requestRender_;
    HighQualityServices highQuality_;
};

}  // namespace tessaform
