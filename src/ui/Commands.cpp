#include "ui/Commands.h"

#include "image/GradientLoader.h"
#include "io/ImageFormats.h"
#include "jobs/ImageMetadata.h"
#include "jobs/KeyframeFileIo.h"
#include "jobs/ParamFileIo.h"
#include "jobs/SceneFile.h"
#include "render/Quantize.h"
#include "session/RenderScheduler.h"
#include "ui/AnimationWindow.h"
#include "ui/CommandIds.h"
#include "ui/LiveViewWindow.h"
#include "ui/LooksPanel.h"
#include "ui/SettingsDialog.h"

namespace tessaform {
namespace {

Colour unpackedBackground(std::uint32_t rgb)
{
    const auto channel = [rgb](int shift) { return static_cast<float>((rgb >> shift) & 0xFFu) * kByteToUnit; };
    return {channel(16), channel(8), channel(0)};
}

// By name for keyframe and .j4d files; a PNG by whether it is one of ours.
// An OpenEXR image is no gradient, so it is taken for ours and refused if
// it is not.
bool holdsParametersOrKeys(const std::string& path)
{
    return namesKeyframeFile(path) ||
           (isPngFile(path) ? carriesParameters(path) : isExrFile(path) || namesParamsFile(path));
}

}  // namespace

void loadGradientOrTell(const std::string& path, LiveRecord& record, SystemDialogs& dialogs)
{
    record.loadGradient([&](GradientSlot& slot) {
        if (const Result<void> loaded = loadGradient(path, slot); !loaded) {
            dialogs.showMessage(loaded.error() + "\n" + path);
        }
    });
}

Commands::Commands(ProgramState& state, SettingsDialog& dialog, SystemDialogs& dialogs,
                   const HighQualityServices& highQuality)
    : state_(state), dialog_(dialog), dialogs_(dialogs), highQuality_(highQuality)
{
}

Commands::~Commands() = default;

void Commands::run(CommandId commandId)
{
    switch (commandId) {
        case CommandId::Cancel:
            dialog_.done(idNumber(CommandId::Cancel));
            break;
        case CommandId::Exit:
            dialog_.done(idNumber(CommandId::Exit));
            break;
        case CommandId::BackgroundColour:
            chooseBackgroundColour();
            break;
        case CommandId::LoadGradient:
            loadGradientFromFile();
            break;
        case CommandId::HighQuality:
            renderHighQuality();
            break;
        case CommandId::LoadParameters:
            loadParameters();
            break;
        case CommandId::SaveParameters:
            saveParameters();
            break;
        case CommandId::RandomParameters:
            randomParameters();
            break;
        case CommandId::ResetParameters:
            resetParameters();
            break;
        case CommandId::Animation:
            openAnimationWindow();
            break;
        case CommandId::LiveView:
            openLiveView();
            break;
        case CommandId::Looks:
            openLooksPanel();
            break;
    }
}

// A cancelled dialog still announces the background, so that a change not
// yet drawn is drawn now.
void Commands::chooseBackgroundColour()
{
    state_.record.markStep();
    // The dialog starts from the background as bytes, quantized as pixels are.
    const Colour current = state_.record.live().background;
    const auto chosen = dialogs_.chooseColour(quantizeColour(current), state_.customColours);
    const Colour background = chosen ? unpackedBackground(*chosen) : current;
    state_.record.setFields({"background.r", "background.g", "background.b"},
                            [&](FractalParams& params) { params.background = background; });
}

void Commands::loadGradientFromFile()
{
    state_.record.markStep();
    const auto path = dialogs_.chooseFileToOpen({{"*.bmp;*.gif;*.jpg;*.png"}, ""});
    if (!path) {
        return;
    }
    loadGradientOrTell(*path, state_.record, dialogs_);
}

void Commands::renderHighQuality()
{
    state_.outputPath.clear();
    state_.takeTypedSize();
    // Refused before the user picks a file for it.
    if (const std::string problem = highQualitySizeProblem(state_.renderWidth, state_.renderHeight); !problem.empty()) {
        dialogs_.showMessage(problem);
        return;
    }
    const std::string initialName = "Julia.tga";
    ImageEncoding encoding;
    if (const auto chosen = dialogs_.chooseFileToSave({imageSaveFilters(initialName), initialName})) {
        state_.outputPath = chosen->path;
        encoding = encodingForSave(chosen->path, chosen->filter);
    }
    if (state_.outputPath.empty()) {
        return;
    }
    markOwnRenderRunning(true);
    const std::string problem =
        runHighQualityRender(highQuality_.scheduler.stopRenderAndWait(), highQuality_,
                             {state_.renderWidth, state_.renderHeight, state_.outputPath, encoding});
    markOwnRenderRunning(false);
    if (!problem.empty()) {
        dialogs_.showMessage(problem);
    }
}

void Commands::loadParameters()
{
    if (const auto path = dialogs_.chooseFileToOpen({{"*.j4d;*.png;*.exr;*.toml"}, ""})) {
        loadParametersFrom(*path);
    }
}

void Commands::loadParametersFrom(const std::string& path)
{
    state_.record.markStep();
    if (isParameterImage(path)) {
        loadImageParameters(path);
        return;
    }
    if (namesKeyframeFile(path)) {
        loadSceneParameters(path);
        return;
    }
    FractalParams loaded = state_.record.live();
    const Result<int> linesRead = readParamsFile(path, loaded);
    const std::string problem = linesRead ? shortParamsFileWarning(path, *linesRead) : linesRead.error();
    if (!linesRead && !paramsDiffer(loaded, state_.record.live())) {
        dialogs_.showMessage(problem);
        return;
    }
    state_.record.loadRecord(loaded, LiveRecord::Redraw::Always);
    // Shown once the controls hold what did load, which the message speaks of.
    if (!problem.empty()) {
        dialogs_.showMessage(problem);
    }
}

// All or nothing: the record and the gradient the image was rendered with.
void Commands::loadImageParameters(const std::string& path)
{
    const Result<ImageParams> image = readImageParams(path);
    if (!image) {
        dialogs_.showMessage(image.error());
        return;
    }
    state_.record.loadRecordAndGradient(image->params, image->gradient);
}

// All or nothing: a scene file holds the whole record.
void Commands::loadSceneParameters(const std::string& path)
{
    const Result<FractalParams> scene = readSceneFile(path);
    if (!scene) {
        dialogs_.showMessage(scene.error());
        return;
    }
    state_.record.loadRecord(*scene, LiveRecord::Redraw::Always);
}

void Commands::markOwnRenderRunning(bool running)
{
    ownRenderRunning_ = running;
    dialog_.setHighQualityEnabled(!running);
    if (animation_) {
        animation_->setRenderEnabled(!running);
    }
}

void Commands::openAnimationWindow()
{
    if (!animation_) {
        animation_ = std::make_unique<AnimationWindow>(
            AnimationServices{state_, dialogs_, highQuality_, [this](bool running) { markOwnRenderRunning(running); }});
        animation_->setRenderEnabled(!ownRenderRunning_);
        letPlayingFollowLiveView();
    }
    animation_->showBeside(dialog_);
}

void Commands::openLiveView()
{
    if (!liveView_) {
        liveView_ = std::make_unique<LiveViewWindow>(LiveViewServices{state_.record, dialog_, dialogs_});
        letPlayingFollowLiveView();
    }
    liveView_->showBeside(dialog_);
}

void Commands::letPlayingFollowLiveView()
{
    if (animation_ && liveView_) {
        animation_->followLiveView(*liveView_);
    }
}

void Commands::openLooksPanel()
{
    if (!looks_) {
        looks_ = std::make_unique<LooksPanel>(state_.record, &dialog_);
    }
    looks_->show();
    looks_->raise();
    looks_->activateWindow();
}

void Commands::openParametersOrKeys(const std::string& path)
{
    if (namesKeyframeFile(path)) {
        openAnimationWindow();
        animation_->loadAnimationFrom(path);
        return;
    }
    loadParametersFrom(path);
}

// A keyframe file loads as an animation, a parameter file or a PNG that
// carries parameters loads them; any other image becomes the gradient, as
// with "Load Gradient".
void Commands::openDroppedFile(const std::string& path)
{
    if (holdsParametersOrKeys(path)) {
        openParametersOrKeys(path);
        return;
    }
    state_.record.markStep();
    loadGradientOrTell(path, state_.record, dialogs_);
}

// The desktop offers the program for its own files only, so anything else
// was named by mistake and taking it as the gradient would surprise.
void Commands::openFileFromCommandLine(const std::string& path)
{
    if (holdsParametersOrKeys(path)) {
        openParametersOrKeys(path);
        return;
    }
    dialogs_.showMessage(
        "Tessaform opens parameter files (.j4d), PNG and OpenEXR images it saved and keyframe files (.toml); an "
        "image "
        "colours the surface through Load Gradient.\n" +
        path);
}

void Commands::saveParameters()
{
    const auto chosen = dialogs_.chooseFileToSave({{"*.j4d", "*.toml"}, "params.j4d"});
    if (!chosen) {
        return;
    }
    const std::string& path = chosen->path;
    const FractalParams& record = state_.record.live();
    if (namesKeyframeFile(path)) {
        if (const Result<void> written = writeSceneFile(path, record); !written.ok()) {
            dialogs_.showMessage(written.error());
        }
        return;
    }
    if (const Result<void> written = writeParamsFile(path, record); !written.ok()) {
        dialogs_.showMessage(written.error());
        return;
    }
    if (const std::string warning = looksLeftOutOfParamsFileWarning(record); !warning.empty()) {
        dialogs_.showMessage(warning);
    }
}

void Commands::randomParameters()
{
    state_.record.markStep();
    FractalParams record = state_.record.live();
    randomizeConstant(record, state_.random);
    state_.record.loadRecord(record, LiveRecord::Redraw::Always);
}

void Commands::resetParameters()
{
    state_.record.markStep();
    FractalParams record = state_.record.live();
    resetParams(record);
    state_.record.loadRecord(record, LiveRecord::Redraw::Always);
}

}  // namespace tessaform
