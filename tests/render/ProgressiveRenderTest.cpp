#include "render/ProgressiveRender.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "support/RecordingObserver.h"
#include "support/RenderToPixels.h"

namespace tessaform {
namespace {

// Copies the image at every stage.
class StageRecorder : public ProgressiveObserver {
public:
    explicit StageRecorder(const std::vector<std::uint32_t>& image) : image_(image) {}

    std::vector<ProgressiveStage> stages;
    std::vector<std::vector<std::uint32_t>> images;
    // Stages that may finish before every check abandons.
    int stagesAllowed = 1 << 30;

    void rowFinished(RenderPass, int, int) override {}
    bool shouldAbandon(RenderPass) override { return static_cast<int>(stages.size()) >= stagesAllowed; }
    void stageFinished(ProgressiveStage stage) override
    {
        stages.push_back(stage);
        images.push_back(image_);
    }

private:
    const std::vector<std::uint32_t>& image_;
};

struct Size {
    int width;
    int height;
};

// The whole first pass: a render stopped as its anti-alias pass begins.
std::vector<std::uint32_t> firstPassOf(const FractalParams& params, int width, int height)
{
    RecordingObserver observer;
    observer.antiAliasAllowed = 0;
    return render(params, neutralGradient(), width, height, kFast, observer).pixels;
}

// Every pixel of a coarse stage shows its block's corner, and every corner
// already holds its first-pass value.
void expectBlocksOfFirstPass(const std::vector<std::uint32_t>& stage, const std::vector<std::uint32_t>& firstPass,
                             Size size, int blockSize)
{
    int wrong = 0;
    for (int row = 0; row < size.height; ++row) {
        for (int column = 0; column < size.width; ++column) {
            const auto corner =
                static_cast<std::size_t>((row - row % blockSize) * size.width + column - column % blockSize);
            wrong += stage[static_cast<std::size_t>(row * size.width + column)] != firstPass[corner] ? 1 : 0;
        }
    }
    EXPECT_EQ(wrong, 0) << size.width << " x " << size.height << ", blocks of " << blockSize;
}

TEST(ProgressiveRenderTest, StagesSharpenToExactlyTheImageOfOneRender)
{
    // The largest has three coarse stages and sizes that are no multiple of
    // their blocks.
    const struct {
        FractalParams params;
        Size size;
    } cases[] = {{defaultParams(), {1, 1}},
                 {edgyScene(), {2, 3}},
                 {defaultParams(), {61, 47}},
                 {edgyScene(), {61, 47}},
                 {edgyScene(), {389, 233}}};
    ProgressiveRenderer renderer;
    for (const auto& [params, size] : cases) {
        const auto expected = renderPixels(params, neutralGradient(), size.width, size.height, kFast);
        const auto firstPass = firstPassOf(params, size.width, size.height);
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.width * size.height), kUnwritten);
        StageRecorder recorder(pixels);
        ASSERT_EQ(renderer.render(params, neutralGradient(), {pixels.data(), size.width, size.height}, recorder),
                  RenderOutcome::Completed);
        EXPECT_EQ(pixels, expected) << size.width << " x " << size.height;

        int blockSize = coarsestBlockSize(size.width, size.height);
        ASSERT_EQ(recorder.stages.size(), static_cast<std::size_t>(std::countr_zero(unsigned(blockSize)) + 2));
        for (std::size_t i = 0; i + 1 < recorder.stages.size(); ++i, blockSize /= 2) {
            EXPECT_EQ(recorder.stages[i].blockSize, blockSize);
            EXPECT_FALSE(recorder.stages[i].antiAliased);
            expectBlocksOfFirstPass(recorder.images[i], firstPass, size, blockSize);
        }
        EXPECT_TRUE(recorder.stages.back().antiAliased);
        EXPECT_EQ(recorder.images.back(), expected);
    }
}

TEST(ProgressiveRenderTest, TheCoarsestStageStaysSmallAtAnySize)
{
    const struct {
        Size size;
        int blockSize;
    } cases[] = {{{1, 1}, 1}, {{128, 128}, 1}, {{129, 128}, 2}, {{303, 210}, 2}, {{1280, 720}, 8}, {{3840, 2160}, 32}};
    for (const auto& c : cases) {
        EXPECT_EQ(coarsestBlockSize(c.size.width, c.size.height), c.blockSize)
            << c.size.width << " x " << c.size.height;
    }
}

TEST(ProgressiveRenderTest, AStopEndsTheRenderBeforeItsNextStage)
{
    ProgressiveRenderer renderer;
    std::vector<std::uint32_t> pixels(320 * 180);
    for (const int allowed : {0, 1, 2}) {  // of 2, 1 and anti-aliased
        StageRecorder recorder(pixels);
        recorder.stagesAllowed = allowed;
        EXPECT_EQ(renderer.render(defaultParams(), neutralGradient(), {pixels.data(), 320, 180}, recorder),
                  RenderOutcome::Abandoned);
        EXPECT_EQ(recorder.stages.size(), static_cast<std::size_t>(allowed));
    }
}

}  // namespace
}  // namespace tessaform
