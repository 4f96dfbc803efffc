#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Renderer.h"
#include "support/RecordingObserver.h"
#include "support/RenderToPixels.h"

namespace tessaform {
namespace {

// Row by row in strips of any height, the same image as in one piece.
TEST(RenderRowsTest, StripsOfAnyHeightGiveTheWholeImageRowsInOrder)
{
    const FractalParams params = edgyScene();
    const struct {
        int width;
        int height;
    } sizes[] = {{61, 47}, {17, 3}, {9, 2}, {5, 1}, {1, 6}};
    for (const auto& size : sizes) {
        for (const RenderSettings& settings : {kFast, RenderSettings{RenderEngine::Fast, 1}, kReference}) {
            const std::vector<std::uint32_t> whole =
                renderPixels(params, neutralGradient(), size.width, size.height, settings);
            for (const int strip : {1, 2, 3, 7, 0}) {
                std::vector<std::uint32_t> rows;
                int nextRow = 0;
                RecordingObserver observer;
                const RenderOutcome outcome = renderRows(
                    params, neutralGradient(), size.width, size.height, observer, settings,
                    [&](int row, const std::uint32_t* pixels) {
                        EXPECT_EQ(row, nextRow++);
                        rows.insert(rows.end(), pixels, pixels + size.width);
                        return true;
                    },
                    strip);
                ASSERT_EQ(outcome, RenderOutcome::Completed);
                EXPECT_EQ(rows, whole) << size.width << " x " << size.height << ", strips of " << strip;
            }
        }
    }
}

TEST(RenderRowsTest, ARefusedRowStopsTheRender)
{
    RecordingObserver observer;
    int rowsTaken = 0;
    const RenderOutcome outcome = renderRows(
        defaultParams(), neutralGradient(), 16, 12, observer, kFast,
        [&](int, const std::uint32_t*) { return ++rowsTaken < 3; }, 2);
    EXPECT_EQ(outcome, RenderOutcome::Abandoned);
    EXPECT_EQ(rowsTaken, 3);
}

}  // namespace
}  // namespace tessaform
