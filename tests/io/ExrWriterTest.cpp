#include "io/ExrWriter.h"

#include <gtest/gtest.h>

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfInputFile.h>
#include <OpenEXR/ImfStringAttribute.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "io/ImageFormats.h"
#include "io/ImageOutput.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

constexpr float kInfinity = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// sRGB 0.5 in linear light.
constexpr float kLinearHalf = 0.214041f;

struct Expected {
    float r, g, b, a, z, nx, ny, nz;
};

// Each pixel's float values and what the file must hold for them.
const struct {
    DeepPixel deep;
    Expected file;
} kPixels[] = {
    // Background: transparent, black, infinitely far, no normal.
    {{{0.2f, 0.4f, 0.6f}, {0.2f, 0.4f, 0.6f}, 0.0f, kInfinity, {0, 0, 0}}, {0, 0, 0, 0, kInfinity, 0, 0, 0}},
    // Interior hit: opaque, linear colour.
    {{{1, 0.5f, 0}, {1, 0.5f, 0}, 1.0f, 3.5f, {0, 0, 1}}, {1, kLinearHalf, 0, 1, 3.5f, 0, 0, 1}},
    // Half-covered edge: premultiplied by its coverage.
    {{{0.3f, 0.3f, 0.3f}, {0.5f, 0.5f, 0.5f}, 0.5f, 2.0f, {0.6f, 0, 0.8f}},
     {kLinearHalf / 2, kLinearHalf / 2, kLinearHalf / 2, 0.5f, 2.0f, 0.6f, 0, 0.8f}},
    // Out of range: NaN and negatives give 0, a highlight above 1 stays.
    {{{kNaN, -1, 2}, {kNaN, -1, 2}, 1.0f, 1.0f, {1, 0, 0}}, {0, 0, 4.9538f, 1, 1.0f, 1, 0, 0}},
};
constexpr int kWidth = 4;
constexpr int kHeight = 3;

class ExrWriterTest : public testing::Test {
protected:
    Result<void> writeExr(const std::string& path, bool withDeepValues = true) const
    {
        std::vector<DeepPixel> row;
        for (const auto& pixel : kPixels) {
            row.push_back(pixel.deep);
        }
        const std::vector<std::uint32_t> pixels(kWidth, 0u);
        return writeImageFileByRows(path, kWidth, kHeight, texts_, [&](ImageRowWriter& writer) -> Result<void> {
            for (int y = 0; y < kHeight; ++y) {
                if (Result<void> written = writer.writeRow(pixels.data(), withDeepValues ? row.data() : nullptr);
                    !written) {
                    return written;
                }
            }
            return {};
        });
    }

    const std::vector<PngText> texts_{{"Software", "Tessaform 1.1", false},
                                      {"tessaform-gradient", std::string(300000, 'a'), true}};
    const ScratchFolder scratch_{"tessaform-exr"};
};

TEST_F(ExrWriterTest, HoldsTheChannelsTextsAndValuesCompositorsExpect)
{
    const std::string path = scratch_.filePath("a.exr");
    ASSERT_TRUE(writeExr(path).ok());
    Imf::InputFile file(path.c_str());
    const Imf::Header& header = file.header();
    EXPECT_EQ(header.compression(), Imf::ZIP_COMPRESSION);
    std::map<std::string, Imf::PixelType> channels;
    for (auto channel = header.channels().begin(); channel != header.channels().end(); ++channel) {
        channels[channel.name()] = channel.channel().type;
    }
    const std::map<std::string, Imf::PixelType> expected{{"R", Imf::HALF},    {"G", Imf::HALF},   {"B", Imf::HALF},
                                                         {"A", Imf::HALF},    {"Z", Imf::FLOAT},  {"N.X", Imf::FLOAT},
                                                         {"N.Y", Imf::FLOAT}, {"N.Z", Imf::FLOAT}};
    EXPECT_EQ(channels, expected);
    for (const PngText& text : texts_) {
        const auto* attribute = header.findTypedAttribute<Imf::StringAttribute>(text.keyword);
        ASSERT_NE(attribute, nullptr) << text.keyword;
        EXPECT_EQ(attribute->value(), text.text);
    }

    std::map<std::string, std::vector<float>> values;
    Imf::FrameBuffer slices;
    for (const auto& [name, type] : expected) {
        values[name].resize(kWidth * kHeight);
        slices.insert(name, Imf::Slice(Imf::FLOAT, reinterpret_cast<char*>(values[name].data()), sizeof(float),
                                       sizeof(float) * kWidth));
    }
    file.setFrameBuffer(slices);
    file.readPixels(0, kHeight - 1);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Expected& e = kPixels[x].file;
            const std::size_t at = static_cast<std::size_t>(y * kWidth + x);
            const std::map<std::string, float> wanted{{"R", e.r}, {"G", e.g},    {"B", e.b},    {"A", e.a},
                                                      {"Z", e.z}, {"N.X", e.nx}, {"N.Y", e.ny}, {"N.Z", e.nz}};
            for (const auto& [name, value] : wanted) {
                // Half floats keep about three decimal digits.
                if (std::isinf(value)) {
                    EXPECT_EQ(values[name][at], value) << name << " at " << x << "," << y;
                } else {
                    EXPECT_NEAR(values[name][at], value, 0.002f * std::fmax(1.0f, value))
                        << name << " at " << x << "," << y;
                }
            }
        }
    }
}

// Tiles assembled and renders repeated must give the same file, so nothing
// in it may depend on the moment or the run.
TEST_F(ExrWriterTest, TheSameRowsGiveTheSameBytes)
{
    ASSERT_TRUE(writeExr(scratch_.filePath("a.exr")).ok());
    ASSERT_TRUE(writeExr(scratch_.filePath("b.exr")).ok());
    EXPECT_EQ(fileBytes(scratch_.filePath("a.exr")), fileBytes(scratch_.filePath("b.exr")));
}

TEST_F(ExrWriterTest, RowsWithoutFloatValuesAreRefusedAndLeaveNoFile)
{
    const Result<void> written = writeExr(scratch_.filePath("a.exr"), false);
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().find("without float values"), std::string::npos) << written.error();
    EXPECT_EQ(fileBytes(scratch_.filePath("a.exr")), "");
}

// The library writes the table of blocks while letting the file go, and
// keeps quiet about a failure then: the writer must not.
TEST_F(ExrWriterTest, AFullDiskFailsTheImage)
{
    const std::vector<DeepPixel> row(kWidth);
    const std::vector<std::uint32_t> pixels(kWidth, 0u);
    // A short text: the header fits the library's buffer, so the failure
    // comes late.
    const std::vector<PngText> texts{{"Software", "Tessaform", false}};
    Result<std::unique_ptr<ImageRowWriter>> writer =
        exrImageFormat().openRowWriter("/dev/full", {kWidth, kHeight, RowOrder::TopFirst, {16, true}}, texts);
    ASSERT_TRUE(writer.ok()) << writer.error();
    Result<void> written;
    for (int y = 0; y < kHeight && written.ok(); ++y) {
        written = writer.value()->writeRow(pixels.data(), row.data());
    }
    if (written.ok()) {
        written = writer.value()->finish();
    }
    ASSERT_FALSE(written.ok());
    EXPECT_NE(written.error().find("No space left on device"), std::string::npos) << written.error();
}

}  // namespace
}  // namespace tessaform
