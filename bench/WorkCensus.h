#pragma once

#include <cstdint>
#include <vector>

#include "BenchScenes.h"
#include "render/PixelImage.h"

namespace tessaform::bench {

// Floating-point operations of one step of the fast kernel at power 2
// without rotation, an FMA counting as two: |v|^2 and |z|^2 (3 FMA, 1 mul),
// the derivative (2 mul), b = x^2 - |v|^2 (1 mul, 1 FMA), beta = 2x (1 add),
// beta * v (3 mul) and the constant (4 add). The escape test that follows
// each step is not counted.
inline constexpr int kFlopsPerJuliaStep = 20;

// The work an image needs, in Julia map steps, whatever engine draws it.
struct WorkCensus {
    std::uint64_t samples = 0;
    std::uint64_t antiAliasedPixels = 0;
    std::uint64_t hits = 0;
    std::uint64_t marchSteps = 0;   // distance estimates along the rays
    std::uint64_t escapeSteps = 0;  // Julia steps of the marches' escape orbits
    std::uint64_t normalSteps = 0;  // Julia steps of the three fixed orbits of each hit's normal

    std::uint64_t juliaSteps() const { return escapeSteps + normalSteps; }
};

struct PixelPosition {
    int column;
    int row;
};

// The pixels the anti-alias pass smooths, by replaying its in-place edge
// decisions: a pixel is tested with its left and upper neighbours already
// final and the rest still as the first pass left them. firstPass takes
// the finished values along the way, so it ends equal to finished.
std::vector<PixelPosition> smoothedPixels(const PixelImage& firstPass, const PixelImage& finished);

// Counts one sample per pixel plus the traced grid of every smoothed pixel.
WorkCensus countWork(const FractalParams& params, int width, int height, const std::vector<PixelPosition>& smoothed);

// The march steps the fast engine counted for one image, each ray walking
// alone and with neighbouring rays bundled into cones.
struct FastMarchSteps {
    std::uint64_t alone = 0;
    std::uint64_t bundled = 0;
};

// The census of a scene, with what the reference engine reported for the
// same image to check it by.
struct SceneCensus {
    WorkCensus work;
    RenderStats reference;
    bool replayReproducedImage;  // the replayed decisions give the finished image
    FastMarchSteps fast;
};

// Renders the scene twice with the reference engine, once stopping before
// the anti-alias pass, to learn which pixels are smoothed, and twice with
// the fast engine counting its steps. Takes seconds.
SceneCensus takeSceneCensus(const BenchScene& scene);

}  // namespace tessaform::bench
