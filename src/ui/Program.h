#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ui/ProgramState.h"
#include "ui/SystemDialogs.h"

namespace tessaform {

class Commands;
class FrameRenderer;
class QtRenderView;
class RenderScheduler;
class SettingsDialog;

// The interactive program put together as start-up does: the state of one
// run, the render machinery, the settings dialog and its commands.
class Program {
public:
    // Makes the system dialogs, owned by the settings dialog.
    using DialogsFactory = std::function<std::unique_ptr<SystemDialogs>(QWidget* owner)>;

    explicit Program(const DialogsFactory& makeDialogs);
    ~Program();

    // The rest of start-up, then the settings dialog until it ends; returns
    // its result, which becomes the exit code. A file to open is opened once
    // the dialog shows.
    int run(const std::optional<std::string>& fileToOpen = std::nullopt);

    ProgramState& state() { return state_; }
    SettingsDialog& dialog() { return *dialog_; }

private:
    void requestRender();

    ProgramState state_;
    std::unique_ptr<QtRenderView> view_;
    std::unique_ptr<FrameRenderer> renderer_;
    std::unique_ptr<RenderScheduler> scheduler_;
    std::unique_ptr<SettingsDialog> dialog_;
    std::unique_ptr<SystemDialogs> dialogs_;
    std::unique_ptr<Commands> commands_;
};

}  // namespace tessaform
