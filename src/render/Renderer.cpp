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
                     RenderObserver& observer, RenderStats& stats)
{
    const ScalarTracer<Power> tracer(snapshot, gradient, image.width, image.height);
    return SequentialPasses<Power>(tracer, image, observer, stats).run();
}

bool renderReferenceWithPower(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                              RenderObserver& observer, RenderStats& stats)
{
    return withPower(snapshot.power,
                     [&](auto power) { return renderReference<power()>(snapshot, gradient, image, observer, stats); });
}

bool renderFast(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                RenderObserver& observer, const RenderSettings& settings, RenderStats& stats)
{
    const SimdTracer tracer(snapshot, gradient, image.width, image.height, settings.simdTarget);
    ParallelPasses passes(tracer, image, observer);
    tbb::task_arena arena(arenaConcurrency(settings.threads));
    const bool finished = arena.execute([&] { return passes.run(); });
    stats = passes.stats();
    return finished;
}

// Strip by strip, so that an image of any size fits in bounded memory.
bool renderFastRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                    RenderObserver& observer, const RenderSettings& settings, int stripRows, const RowConsumer& consume)
{
    const SimdTracer tracer(snapshot, gradient, width, height, settings.simdTarget);
    tbb::task_arena arena(arenaConcurrency(settings.threads));
    return walkStrips(width, height, 0, height, stripRows,
                      [&](const PixelImage& view, const ParallelPasses::Strip& strip, const std::uint32_t* rows,
                          int firstRow, int endRow) {
                          ParallelPasses passes(tracer, view, observer);
                          if (!arena.execute([&] { return passes.run(strip); })) {
                              return false;
                          }
                          for (int row = firstRow; row < endRow; ++row, rows += width) {
                              if (!consume(row, rows)) {
                                  return false;
                              }
                          }
                          return true;
                      });
}

bool renderWholeRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                     RenderObserver& observer, RenderStats& stats, const RowConsumer& consume)
{
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    const PixelImage image{pixels.data(), width, height};
    if (!renderReferenceWithPower(snapshot, gradient, image, observer, stats)) {
        return false;
    }
    for (int row = 0; row < height; ++row) {
        if (!consume(row, pixels.data() + static_cast<std::size_t>(row) * width)) {
            return false;
        }
    }
    return true;
}

}  // namespace

RenderOutcome renderRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                         RenderObserver& observer, const RenderSettings& settings, const RowConsumer& consume,
                         int stripRows)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    const Gradient& table = gradient.empty() ? neutralGradient() : gradient;
    RenderStats stats;
    const bool finished = settings.engine == RenderEngine::Reference
                              ? renderWholeRows(snapshot, table, width, height, observer, stats, consume)
                              : renderFastRows(snapshot, table, width, height, observer, settings,
                                               stripRowsFor(width, height, stripRows), consume);
    return finished ? RenderOutcome::Completed : RenderOutcome::Abandoned;
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

// Stand-in until the passes keep float values: each pixel's own 8-bit
// colour, as if every sample hit.
RenderOutcome renderDeepRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                             RenderObserver& observer, const RenderSettings& settings, const DeepRowConsumer& consume,
                             int stripRows)
{
    std::vector<DeepPixel> deep(static_cast<std::size_t>(width));
    return renderRows(
        snapshot, gradient, width, height, observer, settings,
        [&](int row, const std::uint32_t* pixels) {
            for (int column = 0; column < width; ++column) {
                const Colour colour = storedColour(pixels[column]);
                deep[static_cast<std::size_t>(column)] = {colour, colour, 1.0f, 1.0f, {0.0f, 0.0f, 1.0f}};
            }
            return consume(row, pixels, deep.data());
        },
        stripRows);
}

}  // namespace tessaform
