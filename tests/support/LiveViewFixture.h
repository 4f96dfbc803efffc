#pragma once

#include <QImage>
#include <QTest>
#include <cstdint>
#include <vector>

#include "jobs/ExecutableDirectory.h"
#include "render/Renderer.h"
#include "session/SharedFrame.h"
#include "support/CommandsFixture.h"
#include "support/Watchdog.h"
#include "ui/LiveViewCanvas.h"
#include "ui/LiveViewWindow.h"

namespace tessaform {

// Ample for any render of the tests, with events running.
inline const int kRenderPatienceMs = static_cast<int>(std::chrono::milliseconds(kWatchdogPatience).count());

// What the high-quality window draws for the record at that size.
inline std::vector<std::uint32_t> highQualityPixels(const FractalParams& record, const Gradient& gradient, QSize size)
{
    class Unwatched : public RenderObserver {
        void rowFinished(RenderPass, int, int) override {}
        bool shouldAbandon(RenderPass) override { return false; }
    } observer;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()));
    renderImage(record, gradient, {pixels.data(), size.width(), size.height()}, observer);
    return pixels;
}

inline std::vector<std::uint32_t> shownPixels(const SharedFrame& frame)
{
    std::vector<std::uint32_t> pixels;
    frame.readShown([&pixels](const FrameBuffer& shown) {
        pixels.assign(shown.pixels(), shown.pixels() + static_cast<std::size_t>(shown.width()) * shown.height());
    });
    return pixels;
}

// The settings window with its commands and the live view open at a small
// size, the default gradient loaded.
struct LiveViewFixture : CommandsFixture {
    explicit LiveViewFixture(QSize size = QSize(240, 160))
    {
        loadGradientOrTell(defaultGradientPath(), state.record, dialogs);
        commands.run(CommandId::LiveView);
        window().resize(size);
        // Its shortcuts work once it is the active window.
        activeAtStart = QTest::qWaitForWindowActive(&window());
    }

    bool activeAtStart = false;

    LiveViewWindow& window() { return *commands.liveViewWindow(); }
    QSize canvasSize() { return window().findChild<LiveViewCanvas*>()->sizeInDevicePixels(); }

    // With events running: the view shows the finished image of the live
    // record and table at its size.
    bool waitForFinishedImage()
    {
        return QTest::qWaitFor(
            [this] {
                const LiveViewProgress& shown = window().shownProgress();
                return shown.stage.antiAliased && !paramsDiffer(shown.record, state.record.live()) &&
                       shown.gradient == state.record.gradient() &&
                       QSize(shown.frame->width(), shown.frame->height()) == canvasSize();
            },
            kRenderPatienceMs);
    }
};

}  // namespace tessaform
