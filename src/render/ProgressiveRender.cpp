#include "render/ProgressiveRender.h"

#include <tbb/task_arena.h>

#include <algorithm>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/ParallelPasses.h"
#include "render/SampleBatch.h"
#include "render/SimdTracer.h"
#include "render/StripPlan.h"

namespace tessaform {
namespace {

// Few enough samples that the coarsest stage is on screen within a few
// milliseconds at any window size.
constexpr std::size_t kCoarsestStageSamples = 16384;

std::size_t blocksAlong(int pixels, int blockSize)
{
    return static_cast<std::size_t>((pixels + blockSize - 1) / blockSize);
}

// The pixels a stage traces: every block corner of the coarsest stage;
// later, the corners of its blocks that the stage before did not have.
// Listed a few rows at a time, column by column, so that each block of
// first-pass bundles stays together in a batch.
void collectStagePixels(const PixelImage& image, int blockSize, bool coarsest, std::vector<std::size_t>& pixels)
{
    pixels.clear();
    const int before = blockSize * 2;
    const int runRows = std::max(blockSize, static_cast<int>(kPixelBlocks.pitch));
    for (int runStart = 0; runStart < image.height; runStart += runRows) {
        const int runEnd = std::min(image.height, runStart + runRows);
        for (int column = 0; column < image.width; column += blockSize) {
            for (int row = runStart; row < runEnd; row += blockSize) {
                if (coarsest || row % before != 0 || column % before != 0) {
                    pixels.push_back(static_cast<std::size_t>(row) * static_cast<std::size_t>(image.width) +
                                     static_cast<std::size_t>(column));
                }
            }
        }
    }
}

// Shows each block's traced corner over the whole block; the pixels
// covered are traced by a later stage.
void fillBlocks(const PixelImage& image, int blockSize)
{
    for (int row = 0; row < image.height; ++row) {
        const int cornerRow = row - row % blockSize;
        for (int column = 0; column < image.width; column += blockSize) {
            const int end = std::min(image.width, column + blockSize);
            std::fill(&image.at(column, row), &image.at(column, row) + (end - column), image.at(column, cornerRow));
        }
    }
}

}  // namespace

int coarsestBlockSize(int width, int height)
{
    int blockSize = 1;
    while (blocksAlong(width, blockSize) * blocksAlong(height, blockSize) > kCoarsestStageSamples) {
        blockSize *= 2;
    }
    return blockSize;
}

struct ProgressiveRenderer::Pool {
    tbb::task_arena arena;
};

ProgressiveRenderer::ProgressiveRenderer(const RenderSettings& settings)
    : pool_(std::make_unique<Pool>(
          Pool{tbb::task_arena(arenaConcurrency(settings.threads), 1, tbb::task_arena::priority::low)})),
      settings_(settings)
{
}

ProgressiveRenderer::~ProgressiveRenderer() = default;

RenderOutcome ProgressiveRenderer::render(const FractalParams& snapshot, const Gradient& gradient,
                                          const PixelImage& image, ProgressiveObserver& observer)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    if (image.width <= 0 || image.height <= 0) {
        return RenderOutcome::Completed;
    }
    const Gradient& table = gradient.empty() ? neutralGradient() : gradient;
    const SimdTracer tracer(snapshot, table, image.width, image.height, settings_.simdTarget, settings_.walk,
                            settings_.marchSteps);
    ParallelPasses passes(tracer, image, observer);
    const bool finished = pool_->arena.execute([&] {
        const int coarsest = coarsestBlockSize(image.width, image.height);
        for (int blockSize = coarsest; blockSize >= 1; blockSize /= 2) {
            collectStagePixels(image, blockSize, blockSize == coarsest, stagePixels_);
            if (!passes.traceFirstPassPixels(stagePixels_)) {
                return false;
            }
            if (blockSize > 1) {
                fillBlocks(image, blockSize);
            }
            observer.stageFinished({blockSize, false});
        }
        if (!passes.runAntiAliasPass()) {
            return false;
        }
        observer.stageFinished({1, true});
        return true;
    });
    return finished ? RenderOutcome::Completed : RenderOutcome::Abandoned;
}

}  // namespace tessaform
