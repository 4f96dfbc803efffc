#pragma once

#include <QDialog>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ui/CommandIds.h"
#include "ui/ProgramState.h"
#include "ui/SliderSteering.h"

class QMenuBar;
class QSlider;

namespace tessaform {

class SharedFrame;
class PreviewPanel;
struct DialogBaseUnits;
struct SliderRow;
enum class SliderGroup;

// The program's main window: 22 sliders with their labels, the preview
// panel, the two size fields, the two buttons and the menu. Other windows
// steer the view through its sliders.
class SettingsDialog : public QDialog, public SliderSteering {
    Q_OBJECT

public:
    using CommandHandler = std::function<void(CommandId commandId)>;

    // Shows every change the live record announces; requestRender asks for
    // a preview of it where one is needed.
    SettingsDialog(ProgramState& state, std::function<void()> requestRender, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // Menu items and the two buttons report their command id here.
    void setCommandHandler(CommandHandler handler);

    // A local file dropped anywhere on the window is reported here.
    using DropHandler = std::function<void(const std::string& path)>;
    void setDropHandler(DropHandler handler);

    // The dialog's own part of start-up, in order: title, icon, the preview
    // frame sized from the panel in device pixels, syncControls.
    void initialize();

    std::shared_ptr<SharedFrame> previewFrame() const;
    PreviewPanel* previewPanel() const;

    // Every slider, both size fields and every label from the live record.
    void syncControls();
    void updateAllLabels();

    // Greys out "High quality" while a high-quality render runs.
    void setHighQualityEnabled(bool enabled);

    // Shows the dialog and runs its loop until it ends, returning its
    // result. Unlike exec(), the dialog is modal to nothing: the
    // high-quality window, which has no parent, must take its input and
    // close requests while this loop runs.
    int runUntilDone();

    // Close box and Escape end the dialog with 2; Enter does nothing.
    void reject() override;
    void accept() override;

    // Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y: one step of the edit history.
    void undo();
    void redo();

    void stepSliders(std::initializer_list<SliderSteps> steps) override;
    void markStep() override;
    void markBurstStep(int source) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Notes mouse presses on the sliders, each of which starts a step.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Controls;
    struct SliderPosition;

    QMenuBar* makeMenuBar();
    void makeClientControls(QWidget* client, const DialogBaseUnits& base);
    void makeSliderGroup(QWidget* client, const DialogBaseUnits& base, SliderGroup group);
    void makeSizeFields(QWidget* client, const DialogBaseUnits& base);
    void makeHistoryActions();
    void connectPreviewMouse();
    void createPreviewFrame();
    void onSliderAction(const SliderRow& row, const QSlider& slider);
    void onSliderMoved(const SliderRow& row, int position);
    void storePositions(std::span<const SliderPosition> positions);
    void showChange(const RecordChange& change);
    void updateFieldLabels(const std::vector<std::string_view>& fields);
    void requestPreview(const RecordChange& change);
    void readTypedSize();
    void updateLabel(int labelId);
    void runCommand(CommandId commandId);

    std::unique_ptr<Controls> controls_;
    ProgramState& state_;
    std::function<void()> requestRender_;
    CommandHandler commandHandler_;
    DropHandler dropHandler_;
};

}  // namespace tessaform
