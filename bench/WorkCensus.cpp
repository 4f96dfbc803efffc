#include "WorkCensus.h"

#include <atomic>

#include "render/AntiAliasGrid.h"
#include "render/Camera.h"
#include "render/EdgeTest.h"
#include "render/PowerDispatch.h"
#include "render/RayMarch.h"

namespace tessaform::bench {
namespace {

// Follows the reference march of one sample step by step and adds up its
// Julia steps; the normal's three orbits run as many steps as the orbit of
// the hit.
template <int Power>
void countSample(const Camera& camera, const MarchSettings& march, float x, float y, WorkCensus& census)
{
    ++census.samples;
    const Vector3 direction = primaryRayDirection(camera, x, y);
    const float entry = sphereEntry(camera.eye, direction);
    if (!(entry >= 0.0f)) {
        return;
    }
    Vector3 p = camera.eye + entry * direction;
    for (std::uint64_t step = 0;; ++step) {
        const Orbit orbit = iterateWithEscape<Power>(p, march.slice);
        ++census.marchSteps;
        census.escapeSteps += static_cast<std::uint64_t>(orbit.steps);
        const float estimate = distanceEstimate(orbit);
        const Vector3 next = p + estimate * direction;
        const bool close = !(estimate >= march.epsilon) || step >= march.stepLimit;
        if (!close && dot(next, next) > kBoundingRadiusSquared) {
            return;
        }
        if (close || (next.x == p.x && next.y == p.y && next.z == p.z)) {
            ++census.hits;
            census.normalSteps += 3 * static_cast<std::uint64_t>(orbit.steps);
            return;
        }
        p = next;
    }
}

template <int Power>
WorkCensus countWorkWithPower(const FractalParams& params, int width, int height,
                              const std::vector<PixelPosition>& smoothed)
{
    const Camera camera = setupCamera(params, width, height);
    const MarchSettings march = prepareMarch(params);
    WorkCensus census;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            countSample<Power>(camera, march, static_cast<float>(column), static_cast<float>(row), census);
        }
    }
    for (const PixelPosition& pixel : smoothed) {
        SamplePoint points[kGridSamples];
        gridPoints(pixel.column, pixel.row, points);
        for (const SamplePoint& point : points) {
            countSample<Power>(camera, march, point.x, point.y, census);
        }
    }
    census.antiAliasedPixels = smoothed.size();
    return census;
}

// Runs the first pass only.
class FirstPassObserver : public RenderObserver {
public:
    void rowFinished(RenderPass, int, int) override {}
    bool shouldAbandon(RenderPass pass) override { return pass == RenderPass::AntiAlias; }
};

}  // namespace

std::vector<PixelPosition> smoothedPixels(const PixelImage& firstPass, const PixelImage& finished)
{
    std::vector<PixelPosition> smoothed;
    for (int row = 1; row <= firstPass.height - 2; ++row) {
        for (int column = 1; column <= firstPass.width - 2; ++column) {
            if (isEdgePixel(firstPass, column, row)) {
                smoothed.push_back({column, row});
                firstPass.at(column, row) = finished.at(column, row);
            }
        }
    }
    return smoothed;
}

WorkCensus countWork(const FractalParams& params, int width, int height, const std::vector<PixelPosition>& smoothed)
{
    return withPower(params.power,
                     [&](auto power) { return countWorkWithPower<power()>(params, width, height, smoothed); });
}

// The fast engine's own count; it traces a few grids more than the
// reference (candidates that turn out not to be edges).
std::uint64_t countFastMarchSteps(const BenchScene& scene, RayWalk walk)
{
    std::atomic<std::uint64_t> steps{0};
    std::vector<std::uint32_t> pixels;
    renderScene(scene, {RenderEngine::Fast, 0, {}, walk, &steps}, pixels);
    return steps.load();
}

SceneCensus takeSceneCensus(const BenchScene& scene)
{
    const RenderSettings reference{RenderEngine::Reference, 1};
    std::vector<std::uint32_t> finished;
    const SceneRender render = renderScene(scene, reference, finished);
    std::vector<std::uint32_t> replayed;
    FirstPassObserver firstPassOnly;
    renderScene(scene, reference, replayed, firstPassOnly);

    const PixelImage replayedImage{replayed.data(), scene.width, scene.height};
    const PixelImage finishedImage{finished.data(), scene.width, scene.height};
    const std::vector<PixelPosition> smoothed = smoothedPixels(replayedImage, finishedImage);
    return {countWork(scene.params, scene.width, scene.height, smoothed),
            render.stats,
            replayed == finished,
            {countFastMarchSteps(scene, RayWalk::Alone), countFastMarchSteps(scene, RayWalk::Bundled)}};
}

}  // namespace tessaform::bench
