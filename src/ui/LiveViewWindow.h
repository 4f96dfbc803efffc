#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "io/ImageFormats.h"
#include "session/LiveViewRenderer.h"
#include "ui/SystemDialogs.h"

class QLabel;

namespace tessaform {

class LiveRecord;
class LiveViewCanvas;
class SliderSteering;
class SystemDialogs;

// What the live view works with: the live record it shows, the settings
// window's sliders it steers through, and the system dialogs.
struct LiveViewServices {
    LiveRecord& record;
    SliderSteering& steering;
    SystemDialogs& dialogs;
};

// A large, resizable window that shows the live record at its own size in
// device pixels, coarse first and sharpening, and steers it with the mouse
// and the keys as the preview is steered. It draws from being shown until
// it is closed.
class LiveViewWindow : public QWidget {
    Q_OBJECT

public:
    explicit LiveViewWindow(LiveViewServices services);
    ~LiveViewWindow() override;

    // Beside the other window and on its screen the first time, then where
    // the user left it; raised and activated.
    void showBeside(const QWidget& other);

    void toggleFullScreen();
    // Asks for an image file, then writes the finished image of the live
    // record at the view's size into it once that is drawn; a file that
    // keeps float values is rendered again for them in the background.
    void saveImage();

    // A render runs or waits for changes: the window is open.
    bool drawing() const { return renderer_ != nullptr; }
    // What the window shows holds every pixel of record traced.
    bool showsFirstPassOf(const FractalParams& record) const;
    const LiveViewProgress& shownProgress() const { return shown_; }

signals:
    // A stage of a render is shown.
    void progressShown(const tessaform::LiveViewProgress& progress);
    // The window no longer draws: nothing more will be shown until it is
    // shown again.
    void drawingStopped();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void makeActions();
    void placeBeside(const QWidget& other);
    void startDrawing();
    void stopDrawing();
    void requestRender();
    void showProgress(const LiveViewProgress& progress);
    void showStatus();
    bool steerByKey(const QKeyEvent& event);
    bool finishedImageShown() const;
    void savePendingImage();
    void saveInBackground(const std::string& path, const ImageEncoding& encoding);

    LiveViewServices services_;
    LiveViewCanvas* canvas_;
    QLabel* status_;
    std::unique_ptr<LiveViewRenderer> renderer_;
    LiveViewProgress shown_;
    double lastFirstPassMilliseconds_ = -1.0;
    std::optional<SaveChoice> pendingSave_;
    bool placed_ = false;
};

}  // namespace tessaform
