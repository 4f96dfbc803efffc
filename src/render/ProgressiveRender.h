#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "render/PixelImage.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"
#include "render/Renderer.h"

namespace tessaform {

class Gradient;
struct FractalParams;

// What the image holds once a stage of a progressive render is drawn.
struct ProgressiveStage {
    // Every block of blockSize x blockSize pixels shows the sample traced
    // at its top-left pixel; 1: every pixel traced, the whole first pass.
    int blockSize = 1;
    // The anti-alias pass is done too: the finished image.
    bool antiAliased = false;
};

// A render observer that is also told when each stage is drawn.
class ProgressiveObserver : public RenderObserver {
public:
    // Called on the rendering thread, after the stage's pixels are written.
    virtual void stageFinished(ProgressiveStage stage) = 0;
};

// The coarsest stage's block size for an image: the smallest power of two
// whose blocks number few enough to trace at once.
int coarsestBlockSize(int width, int height);

// Renders an image in stages: blocks traced at one sample each, halved
// until every pixel is traced, then the anti-alias pass. Each pixel's first
// sample is traced once, in whichever stage first reaches it, so the
// finished image is renderImage's with the fast engine, byte for byte. Its
// thread pool arena has low priority: other renders take the workers first,
// this one always keeps the thread that calls it. One render at a time per
// object; buffers are kept between renders.
class ProgressiveRenderer {
public:
    explicit ProgressiveRenderer(const RenderSettings& settings = {});
    ~ProgressiveRenderer();
    ProgressiveRenderer(const ProgressiveRenderer&) = delete;
    ProgressiveRenderer& operator=(const ProgressiveRenderer&) = delete;

    RenderOutcome render(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                         ProgressiveObserver& observer);

private:
    struct Pool;
    std::unique_ptr<Pool> pool_;
    RenderSettings settings_;
    std::vector<std::size_t> stagePixels_;
};

}  // namespace tessaform
