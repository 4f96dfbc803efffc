#include "jobs/StillImage.h"

#include <gtest/gtest.h>

#include <Imath/half.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfInputFile.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "io/ExrWriter.h"
#include "support/FileBytes.h"
#include "support/RecordingObserver.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

std::vector<DeepPixel> deepValues(const FractalParams& params, const Gradient& gradient)
{
    std::vector<DeepPixel> values;
    RecordingObserver observer;
    renderDeepRows(params, gradient, kWidth, kHeight, observer, {},
                   [&](int, const std::uint32_t*, const DeepPixel* deep) {
                       values.insert(values.end(), deep, deep + kWidth);
                       return true;
                   });
    return values;
}

std::map<std::string, std::vector<float>> exrChannels(const std::string& path)
{
    std::map<std::string, std::vector<float>> channels;
    Imf::InputFile file(path.c_str());
    Imf::FrameBuffer slices;
    for (const char* name : {"A", "Z", "N.X", "N.Y", "N.Z"}) {
        channels[name].resize(kWidth * kHeight);
        slices.insert(name, Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(channels[name].data()), sizeof(float),
                                       sizeof(float) * kWidth));
    }
    file.setFrameBuffer(slices);
    file.readPixels(0, kHeight - 1);
    return channels;
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// An EXR holds the render's own float values for every pixel: its
// coverage as alpha, its depth and its normal.
TEST(StillImageTest, AnExrHoldsEachPixelsRenderedValues)
{
    const ScratchFolder scratch("tessaform-still");
    const FractalParams params = defaultParams();
    const Gradient gradient;
    const std::string path = scratch.filePath("a.exr");
    RecordingObserver observer;
    const Result<RenderOutcome> rendered =
        renderStillImage({path, exrImageFormat().defaultEncoding(), kWidth, kHeight}, params, gradient, {}, observer);
    ASSERT_TRUE(rendered.ok()) << rendered.error();
    ASSERT_EQ(*rendered, RenderOutcome::Completed);
    const std::vector<DeepPixel> expected = deepValues(params, gradient);
    std::map<std::string, std::vector<float>> channels = exrChannels(path);
    for (std::size_t at = 0; at < expected.size(); ++at) {
        const DeepPixel& deep = expected[at];
        EXPECT_EQ(channels["A"][at], static_cast<float>(half(deep.coverage))) << at;
        EXPECT_TRUE(sameBits(channels["Z"][at], deep.depth)) << at;
        EXPECT_TRUE(sameBits(channels["N.X"][at], deep.normal.x)) << at;
        EXPECT_TRUE(sameBits(channels["N.Y"][at], deep.normal.y)) << at;
        EXPECT_TRUE(sameBits(channels["N.Z"][at], deep.normal.z)) << at;
    }
}

// A render stopped part way writes no file, whatever the format.
TEST(StillImageTest, AStoppedRenderLeavesNoImage)
{
    const ScratchFolder scratch("tessaform-still");
    for (const char* name : {"a.tga", "a.png", "a.exr"}) {
        const std::string path = scratch.filePath(name);
        RecordingObserver observer;
        observer.antiAliasAllowed = 0;
        const Result<RenderOutcome> rendered = renderStillImage(
            {path, imageFormatFor(name).defaultEncoding(), kWidth, kHeight}, defaultParams(), Gradient(), {}, observer);
        ASSERT_TRUE(rendered.ok()) << name << ": " << rendered.error();
        EXPECT_EQ(*rendered, RenderOutcome::Abandoned) << name;
        EXPECT_EQ(fileBytes(path), "") << name;
    }
}

}  // namespace
}  // namespace tessaform
