#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "anim/Animation.h"
#include "anim/SnapshotHistory.h"
#include "base/Result.h"
#include "params/ParamFields.h"
#include "session/LiveRecord.h"
#include "ui/HighQualityWindow.h"
#include "ui/Playback.h"

class QDoubleSpinBox;
class QPushButton;

namespace tessaform {

class InterpolationTable;
class KeyTable;
class LiveViewWindow;
class SystemDialogs;
class Timeline;
struct FilmJob;
struct SaveChoice;
struct ProgramState;

// What the animation window works with: the live record, the system
// dialogs, and the render machinery.
struct AnimationServices {
    ProgramState& state;
    SystemDialogs& dialogs;
    HighQualityServices render;
    // Told when a film render takes the scheduler's slot and gives it back.
    std::function<void(bool running)> ownRenderRunning;
};

// Keys of an animation made from the live record, a timeline that puts the
// record at any frame into the live record, playing in the preview, the
// keyframe file, and rendering every frame. Edits of the keys have an undo
// history of their own.
class AnimationWindow : public QWidget {
    Q_OBJECT

public:
    explicit AnimationWindow(AnimationServices services);
    ~AnimationWindow() override;

    const Animation& animation() const { return animation_; }

    // Beside the settings window and wholly on its screen the first time,
    // then where the user left it while that stays clear of the settings
    // window and on the screen.
    void showBeside(const QWidget& other);

    void addKey();
    void replaceKey();
    void deleteKey();
    void retimeKey(std::size_t index, int frame);
    void setInterpolation(const ParamField& field, Interpolation mode);
    void undo();
    void redo();

    void togglePlaying();
    void loadAnimation();
    void loadAnimationFrom(const std::string& path);
    void saveAnimation();
    void renderAnimation();

    // Greys out "Render animation" while another render holds the slot.
    void setRenderEnabled(bool enabled);

    // Playing waits for the live view's first pass of each frame, while it
    // draws, as for the preview.
    void followLiveView(LiveViewWindow& liveView);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* makeKeyButtons();
    QWidget* makePlayControls();
    QWidget* makeFileButtons();
    void makeHistoryActions();
    void connectParts();
    void connectPreview();
    void placeBeside(const QWidget& other);
    bool clearOf(const QWidget& other) const;

    void applyEdit(const Result<Animation>& edited, std::optional<int> selectedFrame);
    void restore(const std::optional<Animation>& animation);
    void showAnimation(std::optional<int> selectedFrame);
    void selectKeyAt(int frame);
    void updateKeyButtons();
    void showFrame(int frame, LiveRecord::Redraw redraw);
    void jumpToFrame(int frame);
    void playFrame(int frame);
    void playNextFrame();
    void stopPlaying();
    void setFps(double fps);
    Result<std::shared_ptr<const FilmJob>> planFilm(const SaveChoice& output) const;

    AnimationServices services_;
    Animation animation_;
    SnapshotHistory<Animation, NeverSame> history_;
    Playback playback_;
    bool placed_ = false;
    QPointer<LiveViewWindow> liveView_;

    KeyTable* keys_;
    InterpolationTable* interpolation_;
    Timeline* timeline_;
    QPushButton* replaceKey_ = nullptr;
    QPushButton* deleteKey_ = nullptr;
    QPushButton* play_ = nullptr;
    QDoubleSpinBox* fps_ = nullptr;
    QPushButton* render_ = nullptr;
};

}  // namespace tessaform
