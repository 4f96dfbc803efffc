#include "ui/Program.h"

#include <QApplication>
#include <ctime>

#include "jobs/ExecutableDirectory.h"
#include "session/FrameRenderer.h"
#include "session/QtRenderView.h"
#include "session/RenderScheduler.h"
#include "ui/Commands.h"
#include "ui/PreviewPanel.h"
#include "ui/SettingsDialog.h"

namespace tessaform {
namespace {

// Two starts within one second draw the same random constants.
void seedFromClock(RandomGenerator& random)
{
    random.seed(static_cast<std::uint32_t>(std::time(nullptr)));
}

// A missing image is reported and the program goes on with no table; the
// attempt draws the first preview either way.
void loadStartupGradient(LiveRecord& record, SystemDialogs& dialogs)
{
    loadGradientOrTell(defaultGradientPath(), record, dialogs);
}

}  // namespace

Program::Program(const DialogsFactory& makeDialogs)
{
    seedFromClock(state_.random);
    state_.record.shared().clearSnapshot();
    view_ = std::make_unique<QtRenderView>();
    renderer_ = std::make_unique<FrameRenderer>(state_.record.gradientSlot(), *view_);
    scheduler_ = std::make_unique<RenderScheduler>(state_.record.shared(), *renderer_);
    dialog_ = std::make_unique<SettingsDialog>(state_, [this] { requestRender(); });
    dialogs_ = makeDialogs(dialog_.get());
    commands_ =
        std::make_unique<Commands>(state_, *dialog_, *dialogs_, HighQualityServices{*scheduler_, *renderer_, *view_});
    dialog_->setCommandHandler([this](CommandId commandId) { commands_->run(commandId); });
    dialog_->setDropHandler([this](const std::string& path) { commands_->openDroppedFile(path); });
}

Program::~Program()
{
    // A render still running is abandoned at its next pixel.
    scheduler_->shutdown();
}

int Program::run(const std::optional<std::string>& fileToOpen)
{
    dialog_->initialize();
    // High-quality windows carry the same icon.
    QApplication::setWindowIcon(dialog_->windowIcon());
    renderer_->setPreviewFrame(dialog_->previewFrame());
    view_->setPreviewWidget(dialog_->previewPanel());
    loadStartupGradient(state_.record, *dialogs_);
    if (fileToOpen) {
        // Queued, so that its messages and the animation window come after
        // the dialog is on the screen.
        QMetaObject::invokeMethod(
            dialog_.get(), [this, path = *fileToOpen] { commands_->openFileFromCommandLine(path); },
            Qt::QueuedConnection);
    }
    const int result = dialog_->runUntilDone();
    scheduler_->shutdown();
    return result;
}

void Program::requestRender()
{
    scheduler_->requestRender();
}

}  // namespace tessaform
