#include <QApplication>
#include <ctime>

#include "app/ExecutableDirectory.h"
#include "app/FrameRenderer.h"
#include "app/QtRenderView.h"
#include "app/RenderScheduler.h"
#include "params/GradientLoader.h"
#include "ui/Commands.h"
#include "ui/PreviewPanel.h"
#include "ui/ProgramState.h"
#include "ui/QtSystemDialogs.h"
#include "ui/SettingsDialog.h"

namespace tessaform {
namespace {

// Two starts within one second draw the same random constants.
void seedFromClock(RandomGenerator& random)
{
    random.seed(static_cast<std::uint32_t>(std::time(nullptr)));
}

// A missing image is reported and the program goes on with no table.
void loadStartupGradient(GradientSlot& gradient, SystemDialogs& dialogs)
{
    const std::string path = (executableDirectory() / "gradient.jpg").string();
    loadGradient(path, gradient, [&](const std::string& message) { dialogs.showMessage(message); });
}

int runProgram()
{
    ProgramState state;
    seedFromClock(state.random);
    state.params.clearSnapshot();

    QtRenderView view;
    FrameRenderer renderer(state.gradient, view);
    RenderScheduler scheduler(state.params, renderer);
    const auto requestRender = [&scheduler] { scheduler.requestRender(); };
    SettingsDialog dialog(state, requestRender);
    QtSystemDialogs dialogs(&dialog);
    Commands commands(state, dialog, dialogs, requestRender, {scheduler, renderer, view});
    dialog.setCommandHandler([&commands](int commandId) { commands.run(commandId); });

    dialog.initialise();
    // High-quality windows carry the same icon.
    QApplication::setWindowIcon(dialog.windowIcon());
    renderer.setPreviewFrame(dialog.previewFrame());
    view.setPreviewWidget(dialog.previewPanel());
    loadStartupGradient(state.gradient, dialogs);
    scheduler.requestRender();

    const int result = dialog.exec();
    // A render still running is abandoned at its next pixel.
    scheduler.shutdown();
    return result;
}

}  // namespace
}  // namespace tessaform

// Command-line arguments are ignored, apart from the toolkit's own options.
int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The program ends when the dialog ends, whatever other window is open.
    QApplication::setQuitOnLastWindowClosed(false);
    return tessaform::runProgram();
}
