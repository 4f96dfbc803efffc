#include "ui/AnimationWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "anim/FrameList.h"
#include "anim/KeyEdits.h"
#include "anim/KeyframeFile.h"
#include "jobs/FilmOutputs.h"
#include "jobs/KeyframeFileIo.h"
#include "jobs/ParamFileIo.h"
#include "session/FilmJob.h"
#include "session/QtRenderView.h"
#include "session/RenderScheduler.h"
#include "ui/CommandIds.h"
#include "ui/FilmRender.h"
#include "ui/InterpolationTable.h"
#include "ui/KeyTable.h"
#include "ui/LiveViewWindow.h"
#include "ui/ProgramState.h"
#include "ui/SystemDialogs.h"
#include "ui/Timeline.h"
#include "ui/UndoRedoActions.h"
#include "ui/WindowPlacement.h"

namespace tessaform {
namespace {

// Moves of the timeline and played frames make one step of the settings
// window's history per burst, as key presses on one slider do.
constexpr int kTimelineSource = idNumber(CommandId::Animation);

constexpr int kGapToOtherWindow = 8;
// Room for three buttons in a row; at least as tall as the settings window.
constexpr int kFirstWidth = 420;

QPushButton* makeButton(const char* name, const char* caption, QWidget* parent)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

QGroupBox* makeGroup(const char* caption, QWidget* content)
{
    auto* group = new QGroupBox(QString::fromLatin1(caption));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(content);
    return group;
}

template <typename Layout>
QWidget* laidOut(std::initializer_list<QWidget*> widgets)
{
    auto* holder = new QWidget;
    auto* layout = new Layout(holder);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets) {
        layout->addWidget(widget);
    }
    return holder;
}

QWidget* inRow(std::initializer_list<QWidget*> widgets)
{
    return laidOut<QHBoxLayout>(widgets);
}

QWidget* stacked(std::initializer_list<QWidget*> widgets)
{
    return laidOut<QVBoxLayout>(widgets);
}

}  // namespace

AnimationWindow::AnimationWindow(AnimationServices services)
    : services_(std::move(services)),
      keys_(new KeyTable),
      interpolation_(new InterpolationTable),
      timeline_(new Timeline)
{
    setWindowTitle(QStringLiteral("Animation"));
    animation_.interpolation = defaultInterpolation();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeGroup("Keys", stacked({keys_, makeKeyButtons()})), 1);
    layout->addWidget(makeGroup("Interpolation", interpolation_), 1);
    layout->addWidget(makeGroup("Timeline", stacked({timeline_, makePlayControls()})));
    layout->addWidget(makeFileButtons());
    // The buttons stand outside the groups' frames; without room below they
    // would seem to sit on the window's edge.
    layout->addSpacing(style()->pixelMetric(QStyle::PM_LayoutVerticalSpacing));
    makeHistoryActions();
    connectParts();
    connectPreview();
    showAnimation(std::nullopt);
}

// Selecting a key jumps to its frame; moving the timeline stops playing and
// selects the key at the frame, if there is one.
void AnimationWindow::connectParts()
{
    connect(keys_, &QTableWidget::itemSelectionChanged, this, [this] {
        updateKeyButtons();
        if (const std::optional<std::size_t> key = keys_->selectedKey()) {
            jumpToFrame(animation_.keys[*key].frame);
        }
    });
    connect(keys_, &KeyTable::frameEdited, this, &AnimationWindow::retimeKey);
    connect(interpolation_, &InterpolationTable::modeChosen, this, &AnimationWindow::setInterpolation);
    connect(timeline_, &Timeline::frameChosen, this, [this](int frame) {
        stopPlaying();
        selectKeyAt(frame);
        showFrame(frame, LiveRecord::Redraw::IfChanged);
    });
    connect(&playback_, &Playback::nextFrameDue, this, &AnimationWindow::playNextFrame);
}

AnimationWindow::~AnimationWindow() = default;

QWidget* AnimationWindow::makeKeyButtons()
{
    QPushButton* add = makeButton("addKey", "Add key", this);
    replaceKey_ = makeButton("replaceKey", "Replace key", this);
    deleteKey_ = makeButton("deleteKey", "Delete key", this);
    connect(add, &QPushButton::clicked, this, &AnimationWindow::addKey);
    connect(replaceKey_, &QPushButton::clicked, this, &AnimationWindow::replaceKey);
    connect(deleteKey_, &QPushButton::clicked, this, &AnimationWindow::deleteKey);
    return inRow({add, replaceKey_, deleteKey_});
}

QWidget* AnimationWindow::makePlayControls()
{
    play_ = makeButton("play", "Play", this);
    fps_ = new QDoubleSpinBox(this);
    fps_->setObjectName(QStringLiteral("fps"));
    fps_->setRange(kSlowestFilmFps, kFastestFilmFps);
    fps_->setDecimals(3);
    fps_->setKeyboardTracking(false);
    connect(play_, &QPushButton::clicked, this, &AnimationWindow::togglePlaying);
    connect(fps_, &QDoubleSpinBox::valueChanged, this, &AnimationWindow::setFps);
    auto* fpsCaption = new QLabel(QStringLiteral("Frames per second"), this);
    return inRow({play_, fpsCaption, fps_});
}

QWidget* AnimationWindow::makeFileButtons()
{
    QPushButton* load = makeButton("loadAnimation", "Load animation...", this);
    QPushButton* save = makeButton("saveAnimation", "Save animation...", this);
    render_ = makeButton("renderAnimation", "Render animation...", this);
    connect(load, &QPushButton::clicked, this, &AnimationWindow::loadAnimation);
    connect(save, &QPushButton::clicked, this, &AnimationWindow::saveAnimation);
    connect(render_, &QPushButton::clicked, this, &AnimationWindow::renderAnimation);
    return inRow({load, save, render_});
}

// The settings window keeps its own Ctrl+Z for the record; here it undoes
// edits of the keys.
void AnimationWindow::makeHistoryActions()
{
    addUndoRedoActions(
        *this, [this] { undo(); }, [this] { redo(); });
}

// A finished preview of what the live record holds lets playing go on; one
// of an older record, cut short by the frame now shown, does not.
void AnimationWindow::connectPreview()
{
    connect(&services_.render.view, &QtRenderView::previewDrawn, this, [this](const FractalParams& drawn) {
        if (playback_.playing() && !paramsDiffer(drawn, services_.state.record.live())) {
            playback_.previewDrawn();
        }
    });
}

// A first pass of an older record, cut short by the frame now shown, does
// not count; a view that stops drawing is waited for no longer.
void AnimationWindow::followLiveView(LiveViewWindow& liveView)
{
    liveView_ = &liveView;
    connect(&liveView, &LiveViewWindow::progressShown, this, [this, &liveView] {
        if (playback_.playing() && liveView.showsFirstPassOf(services_.state.record.live())) {
            playback_.liveViewDrawn();
        }
    });
    connect(&liveView, &LiveViewWindow::drawingStopped, this, [this] { playback_.liveViewDrawn(); });
}

void AnimationWindow::showBeside(const QWidget& other)
{
    if (!isVisible() && !(placed_ && clearOf(other))) {
        placeBeside(other);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

// The frame the window system draws is taken to be as wide as the other
// window's, since this one has none until it is shown.
void AnimationWindow::placeBeside(const QWidget& other)
{
    const QSize decoration = other.frameGeometry().size() - other.size();
    const QSize client(kFirstWidth, std::max(other.height(), sizeHint().height()));
    const QRect frame = placedBeside(other.frameGeometry(), client + decoration, other.screen()->availableGeometry(),
                                     kGapToOtherWindow);
    move(frame.topLeft());
    resize(frame.size() - decoration);
}

// Where the user left it, unless that now covers the other window or
// reaches off the screen.
bool AnimationWindow::clearOf(const QWidget& other) const
{
    return !frameGeometry().intersects(other.frameGeometry()) &&
           other.screen()->availableGeometry().contains(frameGeometry());
}

void AnimationWindow::addKey()
{
    const int frame = timeline_->frame();
    applyEdit(withKeyAdded(animation_, frame, services_.state.record.live()), frame);
}

void AnimationWindow::replaceKey()
{
    if (const std::optional<std::size_t> key = keys_->selectedKey()) {
        applyEdit(withKeyReplaced(animation_, *key, services_.state.record.live()), animation_.keys[*key].frame);
    }
}

void AnimationWindow::deleteKey()
{
    if (const std::optional<std::size_t> key = keys_->selectedKey()) {
        applyEdit(withKeyDeleted(animation_, *key), std::nullopt);
    }
}

void AnimationWindow::retimeKey(std::size_t index, int frame)
{
    applyEdit(withKeyRetimed(animation_, index, frame), frame);
}

void AnimationWindow::setInterpolation(const ParamField& field, Interpolation mode)
{
    const std::optional<std::size_t> key = keys_->selectedKey();
    applyEdit(withInterpolation(animation_, field, mode),
              key ? std::optional<int>(animation_.keys[*key].frame) : std::nullopt);
}

void AnimationWindow::setFps(double fps)
{
    Animation edited = animation_;
    edited.fps = fps;
    const std::optional<std::size_t> key = keys_->selectedKey();
    applyEdit(edited, key ? std::optional<int>(animation_.keys[*key].frame) : std::nullopt);
}

void AnimationWindow::undo()
{
    restore(history_.undo(animation_));
}

void AnimationWindow::redo()
{
    restore(history_.redo(animation_));
}

// One step of the history; a refused edit is explained and shown undone.
void AnimationWindow::applyEdit(const Result<Animation>& edited, std::optional<int> selectedFrame)
{
    if (!edited) {
        showAnimation(selectedFrame);
        services_.dialogs.showMessage(edited.error());
        return;
    }
    history_.record(animation_);
    animation_ = *edited;
    showAnimation(selectedFrame);
}

// The key selected before stays selected where it still is.
void AnimationWindow::restore(const std::optional<Animation>& animation)
{
    if (!animation) {
        return;
    }
    const std::optional<std::size_t> key = keys_->selectedKey();
    const std::optional<int> selectedFrame = key ? std::optional<int>(animation_.keys[*key].frame) : std::nullopt;
    animation_ = *animation;
    showAnimation(selectedFrame);
}

void AnimationWindow::showAnimation(std::optional<int> selectedFrame)
{
    keys_->showKeys(animation_, selectedFrame);
    interpolation_->showModes(animation_);
    const bool hasKeys = !animation_.keys.empty();
    timeline_->setKeySpan(hasKeys ? animation_.firstFrame() : 0, hasKeys ? animation_.lastFrame() : 0);
    const QSignalBlocker blocker(fps_);
    fps_->setValue(animation_.fps);
    play_->setEnabled(hasKeys);
    updateKeyButtons();
}

// So that Replace key and Delete key never act on a key out of sight.
void AnimationWindow::selectKeyAt(int frame)
{
    keys_->selectKey(keyAtFrame(animation_, frame));
    updateKeyButtons();
}

void AnimationWindow::updateKeyButtons()
{
    const bool selected = keys_->selectedKey().has_value();
    replaceKey_->setEnabled(selected);
    deleteKey_->setEnabled(selected);
}

// As a load does: the record at the frame replaces the live record, which
// the settings window and the preview follow.
void AnimationWindow::showFrame(int frame, LiveRecord::Redraw redraw)
{
    if (animation_.keys.empty()) {
        return;
    }
    LiveRecord& record = services_.state.record;
    record.markBurstStep(kTimelineSource);
    record.showFrame(paramsAtFrame(animation_, frame), redraw);
}

void AnimationWindow::jumpToFrame(int frame)
{
    stopPlaying();
    timeline_->setFrame(frame);
    showFrame(frame, LiveRecord::Redraw::IfChanged);
}

// From the timeline's frame, or from the first key when it stands at or
// beyond the last.
void AnimationWindow::togglePlaying()
{
    if (playback_.playing()) {
        stopPlaying();
        return;
    }
    if (animation_.keys.empty()) {
        return;
    }
    const int frame = timeline_->frame();
    playback_.start(animation_.fps);
    play_->setText(QStringLiteral("Stop"));
    playFrame(frame >= animation_.lastFrame() || frame < animation_.firstFrame() ? animation_.firstFrame() : frame);
}

// Every frame asks for its own preview, even one that looks as the frame
// before, so that each frame is drawn and its end can be waited for.
void AnimationWindow::playFrame(int frame)
{
    timeline_->setFrame(frame);
    selectKeyAt(frame);
    showFrame(frame, LiveRecord::Redraw::Always);
    // The live view draws a frame that looks as the one before only once.
    const bool liveViewDraws = liveView_ && liveView_->drawing();
    playback_.frameShown(liveViewDraws);
    if (liveViewDraws && liveView_->showsFirstPassOf(services_.state.record.live())) {
        playback_.liveViewDrawn();
    }
}

void AnimationWindow::playNextFrame()
{
    const int next = timeline_->frame() + 1;
    if (animation_.keys.empty() || next > animation_.lastFrame()) {
        stopPlaying();
        return;
    }
    playFrame(next);
}

void AnimationWindow::stopPlaying()
{
    playback_.stop();
    play_->setText(QStringLiteral("Play"));
}

void AnimationWindow::loadAnimation()
{
    if (const auto path = services_.dialogs.chooseFileToOpen({{"*.toml"}, ""})) {
        loadAnimationFrom(*path);
    }
}

// A load is one step of the history, and shows the first key.
void AnimationWindow::loadAnimationFrom(const std::string& path)
{
    const KeyframeLoad load = readKeyframeFile(path, readParamsOnto);
    if (!load.animation) {
        services_.dialogs.showMessage(load.animation.error());
        return;
    }
    applyEdit(*load.animation, load.animation->firstFrame());
    jumpToFrame(animation_.firstFrame());
}

void AnimationWindow::saveAnimation()
{
    if (animation_.keys.empty()) {
        services_.dialogs.showMessage("An animation needs a key; add one first");
        return;
    }
    const auto chosen = services_.dialogs.chooseFileToSave({{"*.toml"}, "animation.toml"});
    if (!chosen) {
        return;
    }
    if (const Result<void> written = writeKeyframeFile(chosen->path, animation_); !written) {
        services_.dialogs.showMessage(written.error());
    }
}

// Refused before the file is asked for where the size or the keys make it
// hopeless, and before rendering where the name or its folder does.
void AnimationWindow::renderAnimation()
{
    stopPlaying();
    if (animation_.keys.empty()) {
        services_.dialogs.showMessage("An animation needs a key; add one first");
        return;
    }
    ProgramState& state = services_.state;
    state.takeTypedSize();
    if (const std::string problem = highQualitySizeProblem(state.renderWidth, state.renderHeight); !problem.empty()) {
        services_.dialogs.showMessage(problem);
        return;
    }
    const std::string initialName = "julia_%05d.png";
    const auto output = services_.dialogs.chooseFileToSave({filmOutputSaveFilters(initialName), initialName});
    if (!output) {
        return;
    }
    const Result<std::shared_ptr<const FilmJob>> job = planFilm(*output);
    if (!job) {
        services_.dialogs.showMessage(job.error());
        return;
    }
    services_.ownRenderRunning(true);
    const std::string problem = runFilmRender(services_.render.scheduler.stopRenderAndWait(), services_.render,
                                              {state.renderWidth, state.renderHeight, *job});
    services_.ownRenderRunning(false);
    if (!problem.empty()) {
        services_.dialogs.showMessage(problem);
    }
}

// The dialog's filter may ask more of the images than their name does
// (16 bits); films stay 8-bit whatever it says.
Result<std::shared_ptr<const FilmJob>> AnimationWindow::planFilm(const SaveChoice& output) const
{
    Result<std::vector<int>> frames = framesFromFirstToLastKey(animation_);
    if (!frames) {
        return Failure{frames.error()};
    }
    Result<FilmOutputs> outputs = planFilmOutputs({output.path}, frames->size());
    if (!outputs) {
        return Failure{outputs.error()};
    }
    for (FrameImages& images : outputs.value().images) {
        images.encoding = encodingForSave(output.path, output.filter);
    }
    if (Result<void> writable = checkFilmOutputs(*outputs, *frames); !writable) {
        return Failure{writable.error()};
    }
    return std::make_shared<const FilmJob>(FilmJob{animation_, std::move(frames).value(), *outputs});
}

void AnimationWindow::setRenderEnabled(bool enabled)
{
    render_->setEnabled(enabled);
}

void AnimationWindow::closeEvent(QCloseEvent* event)
{
    stopPlaying();
    QWidget::closeEvent(event);
}

}  // namespace tessaform
