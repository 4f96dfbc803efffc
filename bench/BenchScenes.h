#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "params/FractalParams.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"
#include "render/Renderer.h"

namespace tessaform::bench {

// The interactive preview panel's size.
inline constexpr int kPreviewWidth = 303;
inline constexpr int kPreviewHeight = 210;

struct BenchScene {
    std::string name;
    FractalParams params;
    int width;
    int height;

    std::size_t pixelCount() const { return static_cast<std::size_t>(width) * static_cast<std::size_t>(height); }
};

BenchScene defaultScene();
// Default parameters at the preview panel's size.
BenchScene previewScene();
// Power 5 with the four-dimensional rotation on: the slowest kernel path.
BenchScene rotatedPowerFiveScene();
std::vector<BenchScene> benchScenes();
// The default scene at 1024 x 768 with the looks off, each look alone, and
// all together.
std::vector<BenchScene> lookScenes();

// Runs every pass; a benchmark never abandons.
class CompletingObserver : public RenderObserver {
public:
    void rowFinished(RenderPass, int, int) override {}
    bool shouldAbandon(RenderPass) override { return false; }
};

struct SceneRender {
    RenderOutcome outcome;
    RenderStats stats;
};

// Renders the scene with the neutral gradient into pixels, resized to fit.
SceneRender renderScene(const BenchScene& scene, const RenderSettings& settings, std::vector<std::uint32_t>& pixels,
                        RenderObserver& observer);
SceneRender renderScene(const BenchScene& scene, const RenderSettings& settings, std::vector<std::uint32_t>& pixels);

// How many different colours an image holds; a handful means the scene
// shows nothing but background.
std::size_t distinctPixelValues(std::span<const std::uint32_t> pixels);

}  // namespace tessaform::bench
