#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/AntiAliasGrid.h"
#include "render/BoundingSphere.h"
#include "render/RayCone.h"
#include "render/SimdTracer.h"

namespace tessaform {
namespace {

// Which grid samples hit the surface, rays alone against rays bundled.
struct HitCounts {
    int alone = 0;
    int onlyAlone = 0;
    int onlyBundled = 0;
};

HitCounts compareGridHits(const FractalParams& params, int width, int height)
{
    const SimdTracer alone(params, neutralGradient(), width, height, {}, RayWalk::Alone);
    const SimdTracer bundled(params, neutralGradient(), width, height, {}, RayWalk::Bundled);
    HitCounts counts;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            SamplePoint points[kGridSamples];
            Colour colours[kGridSamples];
            SampleDepth a[kGridSamples];
            SampleDepth b[kGridSamples];
            gridPoints(column, row, points);
            alone.traceWithDepth(points, kGridSamples, colours, a, kPixelGrids);
            bundled.traceWithDepth(points, kGridSamples, colours, b, kPixelGrids);
            for (int i = 0; i < kGridSamples; ++i) {
                counts.alone += a[i].hit() ? 1 : 0;
                counts.onlyAlone += a[i].hit() && !b[i].hit() ? 1 : 0;
                counts.onlyBundled += !a[i].hit() && b[i].hit() ? 1 : 0;
            }
        }
    }
    return counts;
}

// Filaments thinner than the space between neighbouring grid samples, with
// a fine tolerance: a shared walk that stepped past what a single ray
// meets loses many of their hits (a cone stepping as one ray would lose
// 45 to 70 %, one trusting 2.5 times its estimate nearly all). Rays that
// take another path to the same surface may end on either side of a
// filament's edge, about two in a thousand, as often one way as the other.
TEST(RayBundleTest, TheSharedWalkStepsOverNoThinFeature)
{
    for (const float constantY : {0.75f, 1.0f}) {
        FractalParams params = defaultParams();
        params.constant = {-0.75f, constantY, 0.0f, 0.0f};
        params.epsilon = 1e-4f;
        params.iterations = 30;
        const HitCounts counts = compareGridHits(params, 160, 120);
        SCOPED_TRACE(constantY);
        ASSERT_GT(counts.alone, 1000);
        EXPECT_LE(counts.onlyAlone, counts.alone / 100);
        EXPECT_LE(counts.onlyBundled, counts.alone / 100);
    }
}

// A grid's colours follow from its position alone: traced by itself, among
// others, or in another order, as a tile's late edges are.
TEST(RayBundleTest, AGridIsTheSameInAnyBatch)
{
    constexpr int kWidth = 120;
    constexpr int kHeight = 90;
    constexpr int kGrids = static_cast<int>(BatchTracer::kMaxBatch) / kGridSamples;
    const SimdTracer tracer(defaultParams(), neutralGradient(), kWidth, kHeight);
    std::vector<SamplePoint> forward(kGrids * kGridSamples);
    std::vector<SamplePoint> backward(kGrids * kGridSamples);
    for (int g = 0; g < kGrids; ++g) {
        gridPoints(40 + g, 30 + g / 3, &forward[static_cast<std::size_t>(g * kGridSamples)]);
        gridPoints(40 + g, 30 + g / 3, &backward[static_cast<std::size_t>((kGrids - 1 - g) * kGridSamples)]);
    }
    std::vector<Colour> together(forward.size());
    std::vector<Colour> reversed(forward.size());
    tracer.trace(forward.data(), forward.size(), together.data(), kPixelGrids);
    tracer.trace(backward.data(), backward.size(), reversed.data(), kPixelGrids);
    for (int g = 0; g < kGrids; ++g) {
        Colour alone[kGridSamples];
        tracer.trace(&forward[static_cast<std::size_t>(g * kGridSamples)], kGridSamples, alone, kPixelGrids);
        for (int i = 0; i < kGridSamples; ++i) {
            const Colour& a = together[static_cast<std::size_t>(g * kGridSamples + i)];
            const Colour& b = reversed[static_cast<std::size_t>((kGrids - 1 - g) * kGridSamples + i)];
            ASSERT_TRUE(a.r == alone[i].r && a.g == alone[i].g && a.b == alone[i].b) << g << ", " << i;
            ASSERT_TRUE(b.r == alone[i].r && b.g == alone[i].g && b.b == alone[i].b) << g << ", " << i;
        }
    }
}

// Every ray of a cell lies in its cone, for the grids and the first-pass
// blocks, and the cone's march starts before the bounding sphere and ends
// after it.
TEST(RayBundleTest, ACellsConeHoldsItsRaysAndSpansTheSphere)
{
    struct View {
        float theta;
        float phi;
        float distance;
        int width;
        int height;
    };
    for (const View view :
         {View{0.0f, 0.0f, 4.0f, 1024, 768}, View{1.1f, 0.4f, 3.0f, 80, 60}, View{-2.5f, 2.0f, 1.5f, 303, 210}}) {
        FractalParams params = defaultParams();
        params.theta = view.theta;
        params.phi = view.phi;
        params.distance = view.distance;
        const Camera camera = setupCamera(params, view.width, view.height);
        for (const auto& [column, row] : {std::pair{1, 1}, std::pair{view.width / 2, view.height / 3},
                                          std::pair{view.width - 2, view.height - 2}}) {
            // A pixel's grid, and the centres of the 4 x 4 block it lies in.
            std::vector<SamplePoint> grid(kGridSamples);
            gridPoints(column, row, grid.data());
            std::vector<SamplePoint> block;
            for (int y = row - row % 4; y < row - row % 4 + 4; ++y) {
                for (int x = column - column % 4; x < column - column % 4 + 4; ++x) {
                    block.push_back({static_cast<float>(x), static_cast<float>(y)});
                }
            }
            for (const auto& [bundles, points] : {std::pair{kPixelGrids, grid}, std::pair{kPixelBlocks, block}}) {
                const BundleCell cell = bundleCellOf(bundles, points.front());
                const RayCone cone = rayConeThrough(camera, bundles, cell);
                for (const SamplePoint& point : points) {
                    ASSERT_EQ(bundleCellOf(bundles, point), cell);
                    const Vector3 d = primaryRayDirection(camera, point.x, point.y);
                    const Vector3& a = cone.axis;
                    const double cosine = static_cast<double>(dot(a, d));
                    const double sine = std::hypot(static_cast<double>(a.y * d.z - a.z * d.y),
                                                   static_cast<double>(a.z * d.x - a.x * d.z),
                                                   static_cast<double>(a.x * d.y - a.y * d.x));
                    EXPECT_LE(sine / cosine, static_cast<double>(cone.spread)) << column << ", " << row;
                }
                const float eyeDistance = std::sqrt(dot(camera.eye, camera.eye));
                EXPECT_LE(cone.start, std::max(0.0f, eyeDistance - kBoundingRadius));
                EXPECT_GE(cone.beyond, eyeDistance - kBoundingRadius);
            }
        }
    }
}

}  // namespace
}  // namespace tessaform
