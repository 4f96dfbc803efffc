#include "BenchScenes.h"

#include <unordered_set>

#include "params/Gradient.h"

namespace tessaform::bench {

BenchScene defaultScene()
{
    return {"default_1024x768", defaultParams(), 1024, 768};
}

BenchScene previewScene()
{
    return {"preview_303x210", defaultParams(), kPreviewWidth, kPreviewHeight};
}

BenchScene rotatedPowerFiveScene()
{
    FractalParams params = defaultParams();
    params.power = 5;
    params.direction = {0.3f, 0.5f, 0.8f};
    params.angle = 0.7f;
    return {"power5_rotated_1024x768", params, 1024, 768};
}

std::vector<BenchScene> benchScenes()
{
    return {defaultScene(), previewScene(), rotatedPowerFiveScene()};
}

std::vector<BenchScene> lookScenes()
{
    const auto with = [](const char* name, auto set) {
        BenchScene scene = defaultScene();
        scene.name = std::string("looks_") + name;
        set(scene.params);
        return scene;
    };
    return {
        with("off", [](FractalParams&) {}),
        with("hard_shadow", [](FractalParams& p) { p.shadow = 1.0f; }),
        with("soft_shadow",
             [](FractalParams& p) {
                 p.shadow = 1.0f;
                 p.shadowSoftness = 2.0f;
             }),
        with("occlusion", [](FractalParams& p) { p.occlusion = 1.0f; }),
        with("fog", [](FractalParams& p) { p.fog = 0.3f; }),
        with("all",
             [](FractalParams& p) {
                 p.shadow = 1.0f;
                 p.shadowSoftness = 2.0f;
                 p.occlusion = 1.0f;
                 p.fog = 0.3f;
             }),
    };
}

SceneRender renderScene(const BenchScene& scene, const RenderSettings& settings, std::vector<std::uint32_t>& pixels,
                        RenderObserver& observer)
{
    pixels.resize(scene.pixelCount());
    const PixelImage image{pixels.data(), scene.width, scene.height};
    SceneRender result{};
    result.outcome = renderImage(scene.params, neutralGradient(), image, observer, settings, &result.stats);
    return result;
}

SceneRender renderScene(const BenchScene& scene, const RenderSettings& settings, std::vector<std::uint32_t>& pixels)
{
    CompletingObserver observer;
    return renderScene(scene, settings, pixels, observer);
}

std::size_t distinctPixelValues(std::span<const std::uint32_t> pixels)
{
    return std::unordered_set<std::uint32_t>(pixels.begin(), pixels.end()).size();
}

}  // namespace tessaform::bench
