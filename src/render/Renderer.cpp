#include "render/Renderer.h"

#include <tbb/task_arena.h>

#include <algorithm>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/AntiAliasGrid.h"
#include "render/ParallelPasses.h"
#include "render/SequentialPasses.h"
#include "render/SimdTracer.h"
#include "render/StripPlan.h"

namespace tessaform {
namespace {

template <int Power>
bool renderReference(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                     RenderObserver& observer, RenderStats& stats, DeepPixel* deep)
{
    const ScalarTracer<Power> tracer(snapshot, gradient, image.width, image.height);
    return SequentialPasses<Power>(tracer, image, observer, stats, deep).run();
}

bool renderReferenceWithPower(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                              RenderObserver& observer, RenderStats& stats, DeepPixel* deep = nullptr)
{
    return withPower(snapshot.power, [&](auto power) {
        return renderReference<power()>(snapshot, gradient, image, observer, stats, deep);
    });
}

bool renderFast(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                RenderObserver& observer, const RenderSettings& settings, RenderStats& stats)
{
    const SimdTracer tracer(snapshot, gradient, image.width, image.height, settings.simdTarget, settings.walk,
                            settings.marchSteps);
    ParallelPasses passes(tracer, image, observer);
    tbb::task_arena arena(arenaConcurrency(settings.threads));
    const bool finished = arena.execute([&] { return passes.run(); });
    stats = passes.stats();
    return finished;
}

// Strip by strip, so that an image of any size fits in bounded memory.
bool renderFastRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                    RenderObserver& observer, const RenderSettings& settings, int stripRows, bool deep,
                    const DeepRowConsumer& consume)
{
    const SimdTracer tracer(snapshot, gradient, width, height, settings.simdTarget, settings.walk, settings.marchSteps);
    tbb::task_arena arena(arenaConcurrency(settings.threads));
    return walkStrips(width, height, 0, height, stripRows, deep,
                      [&](const StripBuffer& buffer, const ParallelPasses::Strip& strip, int firstRow, int endRow) {
                          ParallelPasses passes(tracer, buffer.view, observer, buffer.deep);
                          if (!arena.execute([&] { return passes.run(strip); })) {
                              return false;
                          }
                          for (int row = firstRow; row < endRow; ++row) {
                              const int bufferRow = row - strip.rowOffset;
                              if (!consume(row, buffer.pixelRow(bufferRow), buffer.deepRow(bufferRow))) {
                                  return false;
                              }
                          }
                          return true;
                      });
}

bool renderWholeRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                     RenderObserver& observer, RenderStats& stats, bool deep, const DeepRowConsumer& consume)
{
    const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint32_t> pixels(size);
    std::vector<DeepPixel> deepPixels(deep ? size : 0);
    const PixelImage image{pixels.data(), width, height};
    if (!renderReferenceWithPower(snapshot, gradient, image, observer, stats, deep ? deepPixels.data() : nullptr)) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        const std::size_t start = static_cast<std::size_t>(row) * static_cast<std::size_t>(width);
        if (!consume(row, pixels.data() + start, deep ? deepPixels.data() + start : nullptr)) {
            return false;
        }
    }
    return true;
}

// The rows of either engine, with float values when deep; a deep strip is
// smaller, as its pixels take more memory.
RenderOutcome renderAnyRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                            RenderObserver& observer, const RenderSettings& settings, int stripRows, bool deep,
                            const DeepRowConsumer& consume)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    const Gradient& table = gradient.empty() ? neutralGradient() : gradient;
    RenderStats stats;
    const std::size_t stripPixels = deep ? kDeepStripPixels : kStripPixels;
    const bool finished = settings.engine == RenderEngine::Reference
                              ? renderWholeRows(snapshot, table, width, height, observer, stats, deep, consume)
                              : renderFastRows(snapshot, table, width, height, observer, settings,
                                               stripRowsFor(width, height, stripRows, stripPixels), deep, consume);
    return finished ? RenderOutcome::Completed : RenderOutcome::Abandoned;
}

}  // namespace

RenderOutcome renderRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                         RenderObserver& observer, const RenderSettings& settings, const RowConsumer& consume,
                         int stripRows)
{
    return renderAnyRows(snapshot, gradient, width, height, observer, settings, stripRows, false,
                         [&](int row, const std::uint32_t* pixels, const DeepPixel*) { return consume(row, pixels); });
}

RenderOutcome renderImage(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                          RenderObserver& observer, const RenderSettings& settings, RenderStats* stats)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    const Gradient& table = gradient.empty() ? neutralGradient() : gradient;
    RenderStats traced;
    const bool finished = settings.engine == RenderEngine::Reference
                              ? renderReferenceWithPower(snapshot, table, image, observer, traced)
                              : renderFast(snapshot, table, image, observer, settings, traced);
    if (stats != nullptr) {
        *stats = traced;
    }
    return finished ? RenderOutcome::Completed : RenderOutcome::Abandoned;
}

RenderOutcome renderDeepRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                             RenderObserver& observer, const RenderSettings& settings, const DeepRowConsumer& consume,
                             int stripRows)
{
    return renderAnyRows(snapshot, gradient, width, height, observer, settings, stripRows, true, consume);
}

}  // namespace tessaform
