#pragma once

#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "base/Result.h"
#include "io/ImageFormats.h"
#include "session/RenderMode.h"

namespace tessaform {

class FrameRenderer;
class QtRenderView;
class RenderClaim;
class RenderScheduler;
class SharedFrame;

// The window of one high-quality render: shows the frame at its client
// origin, one image pixel per device pixel (scaled down to fit the screen
// where it is larger), and asks to end its loop when it is closed or a key
// is pressed.
class HighQualityWindow : public QWidget {
    Q_OBJECT

public:
    explicit HighQualityWindow(std::shared_ptr<SharedFrame> frame);

signals:
    void loopEndRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::shared_ptr<SharedFrame> frame_;
    qreal scale_ = 1.0;
};

// Everything a high-quality render needs besides its size and file.
struct HighQualityServices {
    RenderScheduler& scheduler;
    FrameRenderer& renderer;
    QtRenderView& view;
};

struct HighQualityRequest {
    std::uint32_t width;
    std::uint32_t height;
    std::string outputPath;
    ImageEncoding encoding;
};

// Why a size cannot be rendered, or empty when it can: a TGA header holds
// 16 bits per side, and the picture must fit in memory.
std::string highQualitySizeProblem(std::uint32_t width, std::uint32_t height);

// A frame for a render window of that size, or the problem text.
Result<std::shared_ptr<SharedFrame>> renderWindowFrame(std::uint32_t width, std::uint32_t height);

// Renders the current snapshot into a new window and saves it, returning
// once the window's loop has ended and the render thread is gone. A window
// left open by a key press stays on screen, painting its own frame. The
// loop blocks while idle, so the render keeps every core. Returns the
// problem text when nothing could be rendered, else empty.
std::string runHighQualityRender(RenderClaim claim, const HighQualityServices& services,
                                 const HighQualityRequest& request);

// Shows the frame in a new window and runs the claimed render of the
// renderer's target for the mode into it, until the window's loop ends
// and the render thread is gone.
void runInRenderWindow(RenderClaim claim, const HighQualityServices& services, std::shared_ptr<SharedFrame> frame,
                       RenderMode mode);

}  // namespace tessaform
