#include "session/FrameRenderer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <new>
#include <string>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "session/SharedFrame.h"
#include "session/StopSignal.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

// Memory runs out at the first row the render shows.
class ViewOutOfMemory : public RenderView {
public:
    void requestRepaint(RenderMode) override { throw std::bad_alloc(); }
    void showHighQualityTitle(const std::string& shown) override { title = shown; }
    void previewFinished(const FractalParams&) override {}

    std::string title;
};

// On the render thread an escaping exception would end the whole program.
TEST(FrameRendererTest, RunningOutOfMemoryIsAnUnsavedHighQualityRender)
{
    const ScratchFolder scratch("tessaform-frame-renderer");
    const std::string output = scratch.filePath("julia.tga");
    GradientSlot gradient;
    ViewOutOfMemory view;
    FrameRenderer renderer(gradient, view);
    renderer.setHighQualityTarget(SharedFrame::create(16, 12), output);
    renderer.setPreviewFrame(SharedFrame::create(16, 12));
    const std::atomic<bool> keepRendering{true};
    const std::atomic<bool> restartRequested{false};

    renderer.render(defaultParams(), RenderMode::Preview, StopSignal(keepRendering, restartRequested, true));
    EXPECT_EQ("", view.title);
    renderer.render(defaultParams(), RenderMode::HighQuality, StopSignal(keepRendering, restartRequested, false));
    EXPECT_EQ("Render not saved - Not enough memory for a 16 x 12 image", view.title);
    EXPECT_TRUE(std::filesystem::is_empty(scratch.path()));
}

}  // namespace
}  // namespace tessaform
