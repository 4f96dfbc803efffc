#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "io/ImageOutput.h"
#include "io/TgaWriter.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "support/FileBytes.h"
#include "support/RenderToPixels.h"
#include "support/ScratchFolder.h"

// Small reference-engine renders pinned byte for byte: a fault made the
// same way in both engines passes every test that compares them, but not
// these. TESSAFORM_WRITE_GOLDEN=1 writes the files anew, for a change that
// is meant to alter the images.
namespace tessaform {
namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

struct GoldenCase {
    const char* name;
    int power;
    bool rotated;
    bool colouredBackground;

    friend void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.name; }
};

constexpr GoldenCase kCases[] = {
    {"power2", 2, false, false},        {"power3", 3, false, false},        {"power4", 4, false, false},
    {"power5", 5, false, false},        {"power2-rotated", 2, true, false}, {"power3-rotated", 3, true, false},
    {"power4-rotated", 4, true, false}, {"power5-rotated", 5, true, false}, {"power3-background", 3, false, true},
};

FractalParams paramsFor(const GoldenCase& c)
{
    FractalParams params = defaultParams();
    params.power = c.power;
    params.theta = 0.4f;
    if (c.rotated) {
        params.direction = {0.2f, 0.6f, 0.1f};
        params.angle = 0.8f;
    }
    if (c.colouredBackground) {
        params.background = {0.2f, 0.45f, 0.8f};
    }
    return params;
}

class GoldenRenderTest : public testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenRenderTest, ReferenceEngineDrawsThePinnedImage)
{
    const std::vector<std::uint32_t> pixels =
        renderPixels(paramsFor(GetParam()), neutralGradient(), kWidth, kHeight, kReference);
    const std::string golden = std::string(TESSAFORM_GOLDEN_DIR) + "/" + GetParam().name + ".tga";
    if (std::getenv("TESSAFORM_WRITE_GOLDEN") != nullptr) {
        ASSERT_TRUE(writeImage(tgaImageFormat(), golden, pixels.data(), kWidth, kHeight).ok());
        return;
    }
    const ScratchFolder scratch("tessaform-golden");
    const std::string rendered = scratch.filePath("rendered.tga");
    ASSERT_TRUE(writeImage(tgaImageFormat(), rendered, pixels.data(), kWidth, kHeight).ok());
    const std::string expected = fileBytes(golden);
    ASSERT_FALSE(expected.empty()) << golden;
    EXPECT_TRUE(fileBytes(rendered) == expected) << GetParam().name << " differs from " << golden;
}

INSTANTIATE_TEST_SUITE_P(Scenes, GoldenRenderTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<GoldenCase>& info) {
                             std::string name = info.param.name;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace tessaform
