#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/BandRender.h"
#include "render/LateGridTracer.h"
#include "render/SimdTracer.h"
#include "render/TileAssembler.h"
#include "support/DeepRows.h"
#include "support/RecordingObserver.h"
#include "support/RenderToPixels.h"

namespace tessaform {
namespace {

struct Split {
    std::vector<std::uint32_t> pixels;
    std::vector<DeepPixel> deep;
    std::uint64_t gridsHandedOver = 0;
    std::uint64_t gridsTracedAtAssembly = 0;
};

// Renders the image as tiles bands of rows, each on its own, then assembles
// them in order, with float values when deep; with lateGrids each band
// first traces the grids its own edge decisions need.
Split renderSplit(const FractalParams& params, int width, int height, int tiles, unsigned threads, int stripRows,
                  SimdTarget target = {}, bool deep = false, bool lateGrids = false)
{
    Split split;
    const SimdTracer tracer(params, neutralGradient(), width, height, target);
    TileAssembler assembler(tracer, width, deep, [&](int row, const std::uint32_t* pixels, const DeepPixel* values) {
        EXPECT_EQ(static_cast<std::size_t>(row) * static_cast<std::size_t>(width), split.pixels.size());
        split.pixels.insert(split.pixels.end(), pixels, pixels + width);
        EXPECT_EQ(values != nullptr, deep);
        if (values != nullptr) {
            split.deep.insert(split.deep.end(), values, values + width);
        }
        return true;
    });
    for (int tile = 0; tile < tiles; ++tile) {
        RecordingObserver observer;
        int nextRow = height * tile / tiles;
        const BandRowConsumer assemble = [&](int row, const BandRow& values) {
            EXPECT_EQ(row, nextRow++);
            EXPECT_EQ(values.gridsDeep.size(), deep ? values.grids.size() : 0u);
            split.gridsHandedOver += values.grids.size();
            return assembler.addRow(values);
        };
        LateGridTracer late(tracer, width, nextRow, deep, assemble);
        const RenderOutcome outcome = renderBand(
            params, neutralGradient(), width, height, nextRow, height * (tile + 1) / tiles, observer, threads, target,
            deep, lateGrids ? [&](int, const BandRow& values) { return late.addRow(values); } : assemble, stripRows);
        EXPECT_EQ(outcome, RenderOutcome::Completed);
        EXPECT_TRUE(!lateGrids || late.finish());
    }
    EXPECT_TRUE(assembler.finish());
    split.gridsTracedAtAssembly = assembler.gridsTracedHere();
    return split;
}

// Any number of tiles, any thread count and any strip height give the
// image of one render in one piece.
TEST(SplitRenderTest, AssembledTilesAreTheImageOfOneRender)
{
    const FractalParams params = edgyScene();
    const struct {
        int width;
        int height;
    } sizes[] = {{61, 47}, {33, 7}, {17, 3}, {9, 2}, {5, 1}, {1, 6}};
    for (const auto& size : sizes) {
        const std::vector<std::uint32_t> whole =
            renderPixels(params, neutralGradient(), size.width, size.height, kFast);
        for (const int tiles : {1, 2, 3, 7, size.height}) {
            const struct {
                unsigned threads;
                int stripRows;
                bool lateGrids;
            } runs[] = {{0, 0, false}, {1, 2, false}, {0, 0, true}};
            for (const auto& run : runs) {
                if (tiles > size.height) {
                    continue;
                }
                const Split split = renderSplit(params, size.width, size.height, tiles, run.threads, run.stripRows,
                                                SimdTarget(), false, run.lateGrids);
                EXPECT_EQ(split.pixels, whole)
                    << size.width << " x " << size.height << " in " << tiles << " tiles, " << run.threads
                    << " threads, strips of " << run.stripRows << (run.lateGrids ? ", late grids" : "");
            }
        }
    }
}

// Deep tiles carry the float values through to the bit, whatever the tiling.
TEST(SplitRenderTest, DeepTilesAssembleToTheFloatValuesOfOneRender)
{
    const struct {
        int width;
        int height;
    } sizes[] = {{61, 47}, {9, 2}};
    std::uint64_t tracedAtAssembly = 0;
    for (const auto& size : sizes) {
        const DeepImage whole = renderDeepImage(edgyScene(), neutralGradient(), size.width, size.height, kFast);
        for (const int tiles : {1, 2, 3, 7}) {
            for (const int stripRows : {0, 2}) {
                if (tiles > size.height) {
                    continue;
                }
                // Strips of 2 with the bands' late grids.
                const Split split = renderSplit(edgyScene(), size.width, size.height, tiles, 0, stripRows, SimdTarget(),
                                                true, stripRows == 2);
                EXPECT_EQ(split.pixels, whole.pixels);
                EXPECT_TRUE(sameBits(split.deep, whole.deep))
                    << size.width << " x " << size.height << " in " << tiles << " tiles, strips of " << stripRows;
                tracedAtAssembly += split.gridsTracedAtAssembly;
            }
        }
    }
    EXPECT_GT(tracedAtAssembly, 0u) << "the grids traced at assembly carry float values too";
}

// Tiles and their assembly on an instruction set other than the best give
// that instruction set's image, pixels that differ from the best's included.
TEST(SplitRenderTest, TilesOnAnotherInstructionSetMakeItsImage)
{
    const FractalParams params = edgyScene();
    const std::optional<SimdTarget> plainest = SimdTarget::named(availableSimdTargets().back());
    ASSERT_TRUE(plainest);
    const std::vector<std::uint32_t> whole =
        renderPixels(params, neutralGradient(), 61, 47, {RenderEngine::Fast, 0, *plainest});
    EXPECT_EQ(renderSplit(params, 61, 47, 3, 0, 0, *plainest).pixels, whole);
}

// The looks shade each sample on its own, so tiles stay exact with them on.
TEST(SplitRenderTest, TilesWithTheLooksOnMakeTheImageOfOneRender)
{
    FractalParams params = edgyScene();
    params.shadow = 0.9f;
    params.shadowSoftness = 2.0f;
    params.occlusion = 0.8f;
    params.fog = 0.3f;
    const std::vector<std::uint32_t> whole = renderPixels(params, neutralGradient(), 61, 47, kFast);
    EXPECT_NE(whole, renderPixels(edgyScene(), neutralGradient(), 61, 47, kFast));
    for (const int tiles : {2, 5}) {
        EXPECT_EQ(renderSplit(params, 61, 47, tiles, 0, 0).pixels, whole) << tiles << " tiles";
    }
}

// The tiles trace nearly every grid the assembly needs; it traces only the
// pixels that became edges through a smoothed neighbour.
TEST(SplitRenderTest, TheAssemblyUsesTheTilesGrids)
{
    const Split split = renderSplit(defaultParams(), 160, 120, 7, 0, 0);
    EXPECT_GT(split.gridsHandedOver, 200u);
    EXPECT_LT(split.gridsTracedAtAssembly * 20, split.gridsHandedOver);
}

// With each band's late grids the assembly traces only where a band's
// first rows decide otherwise than the whole image: far less.
TEST(SplitRenderTest, BandsLateGridsLeaveTheAssemblyLittleToTrace)
{
    const Split plain = renderSplit(defaultParams(), 160, 120, 3, 0, 0);
    const Split late = renderSplit(defaultParams(), 160, 120, 3, 0, 0, SimdTarget(), false, true);
    EXPECT_EQ(late.pixels, plain.pixels);
    EXPECT_GT(plain.gridsTracedAtAssembly, 20u);
    EXPECT_LT(late.gridsTracedAtAssembly * 4, plain.gridsTracedAtAssembly);
}

}  // namespace
}  // namespace tessaform
