#include "jobs/ImageMetadata.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "io/ImageOutput.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

class ImageMetadataTest : public testing::Test {
protected:
    std::string writtenPng(const FractalParams& params, const Gradient& gradient, std::vector<PngText> texts = {})
    {
        const std::string path = scratch_.filePath("image" + std::to_string(count_++) + ".png");
        if (texts.empty()) {
            texts = imageMetadata(params, gradient);
        }
        EXPECT_TRUE(writeImageFile(path, pixels_.data(), 2, 1, texts).ok());
        return path;
    }

    // An OpenEXR image takes its rows with their float values.
    std::string writtenExr(const FractalParams& params, const Gradient& gradient)
    {
        const std::string path = scratch_.filePath("image" + std::to_string(count_++) + ".exr");
        const std::vector<DeepPixel> deep(pixels_.size());
        EXPECT_TRUE(writeImageFileByRows(path, 2, 1, imageMetadata(params, gradient), [&](ImageRowWriter& writer) {
                        return writer.writeRow(pixels_.data(), deep.data());
                    }).ok());
        return path;
    }

    const ScratchFolder scratch_{"tessaform-metadata"};
    const std::vector<std::uint32_t> pixels_{0x00102030u, 0x00405060u};
    int count_ = 0;
};

TEST_F(ImageMetadataTest, APngOrExrGivesBackTheRecordAndAHundredThousandColourGradient)
{
    FractalParams params = defaultParams();
    params.power = 4;
    params.angle = -0.0f;
    params.constant.w = std::bit_cast<float>(0x7fc01234u);
    std::vector<std::uint8_t> rgb(300000);
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>(i * 7 % 251);
    }
    const Gradient gradient = gradientFromRgbBytes(rgb);
    for (const std::string& path : {writtenPng(params, gradient), writtenExr(params, gradient)}) {
        ASSERT_TRUE(isParameterImage(path)) << path;
        const Result<ImageParams> read = readImageParams(path);
        ASSERT_TRUE(read.ok()) << read.error();
        EXPECT_EQ(std::memcmp(&read->params, &params, sizeof params), 0) << path;
        ASSERT_EQ(read->gradient->count(), 100000) << path;
        EXPECT_EQ(
            std::memcmp(read->gradient->entries().data(), gradient.entries().data(), gradient.entries().size_bytes()),
            0)
            << path;
    }
}

TEST_F(ImageMetadataTest, MissingDoubledOrDamagedChunksLoadNothing)
{
    const std::vector<PngText> whole = imageMetadata(defaultParams(), Gradient());
    const auto without = [&whole](const char* keyword) {
        std::vector<PngText> texts;
        for (const PngText& text : whole) {
            if (text.keyword != keyword) {
                texts.push_back(text);
            }
        }
        return texts;
    };
    std::vector<PngText> doubled = whole;
    doubled.push_back(whole[1]);
    std::vector<PngText> badNumber = whole;
    badNumber[1].text.replace(badNumber[1].text.find("=4"), 2, "=4,0");
    const struct {
        std::vector<PngText> texts;
        std::string reason;
    } cases[] = {
        {{{kSoftwareKeyword, "something else", false}}, "the image carries no tessaform-parameters"},
        {without(kGradientKeyword), "the image carries no tessaform-gradient"},
        {doubled, "tessaform-parameters is given twice"},
        {badNumber, "distance: bad number '4,0'"},
    };
    for (const auto& c : cases) {
        const std::string path = writtenPng(defaultParams(), Gradient(), c.texts);
        const Result<ImageParams> read = readImageParams(path);
        ASSERT_FALSE(read.ok()) << c.reason;
        EXPECT_EQ(read.error(), "Could not read parameters from " + path + ": " + c.reason);
    }
    EXPECT_FALSE(isPngFile(scratch_.filePath("missing.png")));
}

}  // namespace
}  // namespace tessaform
