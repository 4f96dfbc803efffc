#include "ui/Commands.h"

#include "app/ImageMetadata.h"
#include "app/KeyframeFileIo.h"
#include "app/ParamFileIo.h"
#include "app/RenderScheduler.h"
#include "io/ImageFormats.h"
#include "params/GradientLoader.h"
#include "render/Quantize.h"
#include "ui/AnimationWindow.h"
#include "ui/CommandIds.h"
#include "ui/SettingsDialog.h"

namespace tessaform {
namespace {

Colour unpackedBackground(std::uint32_t rgb)
{
    const auto channel = [rgb](int shift) { return static_cast<float>((rgb >> shift) & 0xFFu) * kByteToUnit; };
    return {channel(16), channel(8), channel(0)};
}

}  // namespace

void loadGradientOrTell(const std::string& path, GradientSlot& gradient, SystemDialogs& dialogs)
{
    if (const Result<void> loaded = loadGradient(path, gradient); !loaded) {
        dialogs.showMessage(loaded.error() + "\n" + path);
    }
}

Commands::Commands(ProgramState& state, SettingsDialog& dialog, SystemDialogs& dialogs,
                   std::function<void()> requestRender, const HighQualityServices& highQuality)
    : state_(state),
      dialog_(dialog),
      dialogs_(dialogs),
      requestRender_(std::move(requestRender)),
      highQuality_(highQuality)
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
    }
}

void Commands::requestRenderIfChanged()
{
    if (state_.params.liveDiffersFromSnapshot()) {
        requestRender_();
    }
}

void Commands::chooseBackgroundColour()
{
    state_.history.checkpoint(state_.editState());
    // The dialog starts from the background as bytes, quantized as pixels are.
    const std::uint32_t initial = quantizeColour(state_.params.live().background);
    if (const auto chosen = dialogs_.chooseColour(initial, state_.customColours)) {
        state_.params.editLive([&](FractalParams& params) { params.background = unpackedBackground(*chosen); });
    }
    requestRenderIfChanged();
}

void Commands::loadGradientFromFile()
{
    state_.history.checkpoint(state_.editState());
    const auto path = dialogs_.chooseFileToOpen({{"*.bmp;*.gif;*.jpg;*.png"}, ""});
    if (!path) {
        return;
    }
    loadGradientOrTell(*path, state_.gradient, dialogs_);
    requestRender_();
}

void Commands::renderHighQuality()
{
    dialog_.takeRenderSize();
    state_.outputPath.clear();
    // Refused before the user picks a file for it.
    if (const std::string problem = highQualitySizeProblem(state_.renderWidth, state_.renderHeight); !problem.empty()) {
        dialogs_.showMessage(problem);
        return;
    }
    const std::string initialName = "Julia.tga";
    if (const auto path = dialogs_.chooseFileToSave({imageSaveFilters(initialName), initialName})) {
        state_.outputPath = *path;
    }
    if (state_.outputPath.empty()) {
        return;
    }
    markOwnRenderRunning(true);
    const std::string problem = runHighQualityRender(highQuality_.scheduler.stopRenderAndWait(), highQuality_,
                                                     {state_.renderWidth, state_.renderHeight, state_.outputPath});
    markOwnRenderRunning(false);
    if (!problem.empty()) {
        dialogs_.showMessage(problem);
    }
}

void Commands::loadParameters()
{
    if (const auto path = dialogs_.chooseFileToOpen({{"*.j4d;*.png"}, ""})) {
        loadParametersFrom(*path);
    }
}

void Commands::loadParametersFrom(const std::string& path)
{
    state_.history.checkpoint(state_.editState());
    if (isPngFile(path)) {
        loadImageParameters(path);
        return;
    }
    FractalParams loaded = state_.params.live();
    const Result<int> linesRead = readParamsFile(path, loaded);
    const std::string problem = linesRead ? shortParamsFileWarning(path, *linesRead) : linesRead.error();
    if (!linesRead && !paramsDiffer(loaded, state_.params.live())) {
        dialogs_.showMessage(problem);
        return;
    }
    state_.params.editLive([&](FractalParams& params) { params = loaded; });
    dialog_.syncControls();
    requestRender_();
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
    state_.gradient.publish(image->gradient);
    state_.params.editLive([&](FractalParams& params) { params = image->params; });
    dialog_.syncControls();
    requestRender_();
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
            AnimationServices{state_, dialog_, dialogs_, requestRender_, highQuality_,
                              [this](bool running) { markOwnRenderRunning(running); }});
        animation_->setRenderEnabled(!ownRenderRunning_);
    }
    animation_->showBeside(dialog_);
}

// A keyframe file loads as an animation, a parameter file or a PNG that
// carries parameters loads them; any other image becomes the gradient, as
// with "Load Gradient".
void Commands::openDroppedFile(const std::string& path)
{
    if (namesKeyframeFile(path)) {
        openAnimationWindow();
        animation_->loadAnimationFrom(path);
        return;
    }
    if (isPngFile(path) ? carriesParameters(path) : namesParamsFile(path)) {
        loadParametersFrom(path);
        return;
    }
    state_.history.checkpoint(state_.editState());
    loadGradientOrTell(path, state_.gradient, dialogs_);
    requestRender_();
}

void Commands::saveParameters()
{
    const auto path = dialogs_.chooseFileToSave({{"*.j4d"}, "params.j4d"});
    if (!path) {
        return;
    }
    if (const Result<void> written = writeParamsFile(*path, state_.params.live()); !written.ok()) {
        dialogs_.showMessage(written.error());
    }
}

void Commands::randomParameters()
{
    state_.history.checkpoint(state_.editState());
    state_.params.editLive([this](FractalParams& params) { randomizeConstant(params, state_.random); });
    dialog_.syncControls();
    requestRender_();
}

void Commands::resetParameters()
{
    state_.history.checkpoint(state_.editState());
    state_.params.editLive([](FractalParams& params) { resetParams(params); });
    dialog_.syncControls();
    requestRender_();
}

}  // namespace tessaform
