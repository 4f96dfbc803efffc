#pragma once

#include <memory>
#include <string>

#include "ui/CommandIds.h"
#include "ui/HighQualityWindow.h"
#include "ui/ProgramState.h"
#include "ui/SystemDialogs.h"

namespace tessaform {

class AnimationWindow;
class LiveViewWindow;
class LooksPanel;
class SettingsDialog;

// Loads the gradient from path into the live record, or shows why not with
// the file's name on a line of its own below; the old table then stays.
// Either way the record announces the attempt.
void loadGradientOrTell(const std::string& path, LiveRecord& record, SystemDialogs& dialogs);

// What the menu items and the two buttons do.
class Commands {
public:
    Commands(ProgramState& state, SettingsDialog& dialog, SystemDialogs& dialogs,
             const HighQualityServices& highQuality);
    ~Commands();

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
    // Opens the animation window beside the settings window, or raises it.
    void openAnimationWindow();
    // Opens the live view beside the settings window, or raises it.
    void openLiveView();
    // Opens the looks panel, or raises it.
    void openLooksPanel();

    // A .j4d file, a PNG or an OpenEXR image, told apart by content.
    void loadParametersFrom(const std::string& path);
    // What a file dropped on the window does.
    void openDroppedFile(const std::string& path);
    // A file named on the command line: as dropped, except that an image
    // without parameters is refused, not taken as the gradient.
    void openFileFromCommandLine(const std::string& path);

    // nullptr until it is first opened.
    AnimationWindow* animationWindow() const { return animation_.get(); }
    LiveViewWindow* liveViewWindow() const { return liveView_.get(); }
    LooksPanel* looksPanel() const { return looks_.get(); }

private:
    void loadImageParameters(const std::string& path);
    void loadSceneParameters(const std::string& path);
    // A keyframe file as an animation, anything else as parameters.
    void openParametersOrKeys(const std::string& path);
    // A high-quality or film render holds the scheduler's slot; starting a
    // second would block until it ends, so both commands are greyed out.
    void markOwnRenderRunning(bool running);
    // Playing waits for the live view's drawing as for the preview's.
    void letPlayingFollowLiveView();

    ProgramState& state_;
    SettingsDialog& dialog_;
    SystemDialogs& dialogs_;
    HighQualityServices highQuality_;
    std::unique_ptr<LiveViewWindow> liveView_;
    std::unique_ptr<AnimationWindow> animation_;
    std::unique_ptr<LooksPanel> looks_;
    bool ownRenderRunning_ = false;
};

}  // namespace tessaform
