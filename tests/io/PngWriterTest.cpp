#include "io/PngWriter.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <tbb/task_arena.h>

#include <cmath>
#include <limits>
#include <vector>

#include "io/ImageFormats.h"
#include "support/FileBytes.h"
#include "support/FullDevice.h"
#include "support/PngDecoding.h"
#include "support/RenderToPixels.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr ImageEncoding kEightBit{8, false};
constexpr ImageEncoding kSixteenBit{16, false};
constexpr ImageEncoding kEightBitAlpha{8, true};
constexpr ImageEncoding kSixteenBitAlpha{16, true};

// A whole image, row-major, with float values for every pixel.
struct Rows {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::vector<DeepPixel> deep;
};

// Writes the first rowCount rows, with their float values or without.
Result<void> writeRows(const std::string& path, const ImageShape& shape, const Rows& rows, int rowCount, bool withDeep,
                       std::span<const PngText> texts = {})
{
    auto writer = pngImageFormat().openRowWriter(path, shape, texts);
    if (!writer) {
        return Failure{writer.error()};
    }
    for (int y = 0; y < rowCount; ++y) {
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(rows.width);
        const DeepPixel* deep = withDeep ? rows.deep.data() + at : nullptr;
        if (Result<void> written = (*writer)->writeRow(rows.pixels.data() + at, deep); !written) {
            return written;
        }
    }
    return (*writer)->finish();
}

Result<void> writePng(const std::string& path, const Rows& rows, const ImageEncoding& encoding)
{
    return writeRows(path, {rows.width, rows.height, RowOrder::TopFirst, encoding}, rows, rows.height, true);
}

// Smooth runs, steps and noise, so that every filter has rows it suits.
Rows patterned(int width, int height)
{
    Rows rows{width, height, {}, {}};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto noise = static_cast<std::uint32_t>((x * 7919 + y * 104729) % 251);
            const std::uint32_t pixel =
                (y % 3 == 0) ? noise * 0x010101u : static_cast<std::uint32_t>(x + 3 * y) & 0xFFFFFFu;
            rows.pixels.push_back(pixel);
            const float shade = static_cast<float>((x ^ y) & 0xFF) / 255.0f;
            rows.deep.push_back({{shade, 0.5f, 1.0f - shade}, {shade, shade, 0.25f}, (x % 5) / 4.0f, 1.0f, {}});
        }
    }
    return rows;
}

class PngWriterTest : public testing::Test {
protected:
    std::string path(const std::string& name) const { return scratch_.filePath(name); }

    const ScratchFolder scratch_{"tessaform-png"};
};

TEST_F(PngWriterTest, EveryEncodingDecodesThroughLibpngToItsPixels)
{
    // Colours within, above and below their 8-bit pixel's levels, NaN and
    // out of range; the second row is the first reversed.
    const std::uint32_t p0 = 0x007F00C8u;
    const std::uint32_t p1 = 0x000AFF00u;
    const std::uint32_t p2 = 0xAB3F5F7Fu;
    const DeepPixel d0{{0.5f, -1.0f, 1.0f}, {0.5f, -1.0f, 1.0f}, 1.0f, 1.0f, {}};
    const DeepPixel d1{{kNaN, 2.0f, 0.0f}, {0.25f, kNaN, 2.0f}, 0.5f, 1.0f, {}};
    const DeepPixel d2{{0.25f, 0.375f, 0.5f}, {0.0f, 0.75f, 1.0f}, 0.0f, kNaN, {}};
    const Rows rows{3, 2, {p0, p1, p2, p2, p1, p0}, {d0, d1, d2, d2, d1, d0}};
    const struct {
        const char* name;
        ImageEncoding encoding;
        int colourType;
        std::vector<std::uint16_t> firstRow;
    } cases[] = {
        {"rgb8", kEightBit, PNG_COLOR_TYPE_RGB, {127, 0, 200, 10, 255, 0, 63, 95, 127}},
        {"rgb16", kSixteenBit, PNG_COLOR_TYPE_RGB, {32767, 0, 51656, 2570, 65535, 0, 16383, 24575, 32767}},
        {"rgba8", kEightBitAlpha, PNG_COLOR_TYPE_RGBA, {127, 0, 255, 255, 63, 0, 255, 127, 0, 191, 255, 0}},
        {"rgba16",
         kSixteenBitAlpha,
         PNG_COLOR_TYPE_RGBA,
         {32767, 0, 65535, 65535, 16383, 0, 65535, 32767, 0, 49151, 65535, 0}},
    };
    for (const auto& c : cases) {
        const std::string file = path(std::string(c.name) + ".png");
        ASSERT_TRUE(writePng(file, rows, c.encoding).ok()) << c.name;
        const std::optional<DecodedPng> image = decodePng(file);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->bitDepth, c.encoding.bitDepth) << c.name;
        EXPECT_EQ(image->colourType, c.colourType) << c.name;
        std::vector<std::uint16_t> expected = c.firstRow;
        const auto channels = static_cast<std::ptrdiff_t>(c.firstRow.size() / 3);
        for (std::ptrdiff_t pixel = 2; pixel >= 0; --pixel) {
            expected.insert(expected.end(), c.firstRow.begin() + pixel * channels,
                            c.firstRow.begin() + (pixel + 1) * channels);
        }
        EXPECT_EQ(image->samples, expected) << c.name;
    }
}

// Large enough for many deflate segments: the bytes must not depend on how
// the segments were shared out, and each segment's first row is filtered
// against the last row of the segment before.
TEST_F(PngWriterTest, BytesAreTheSameForAnyThreadCountAndDecodeToTheRows)
{
    const Rows rows = patterned(500, 700);
    for (const ImageEncoding& encoding : {kEightBit, kSixteenBitAlpha}) {
        const std::string alone = path("alone.png");
        ASSERT_TRUE(tbb::task_arena(1).execute([&] { return writePng(alone, rows, encoding).ok(); }));
        for (const int threads : {2, 5}) {
            const std::string shared = path("shared.png");
            ASSERT_TRUE(tbb::task_arena(threads).execute([&] { return writePng(shared, rows, encoding).ok(); }));
            EXPECT_EQ(fileBytes(alone), fileBytes(shared)) << encoding.bitDepth << " bits, " << threads << " threads";
        }
        const std::optional<DecodedPng> image = decodePng(alone);
        ASSERT_TRUE(image) << encoding.bitDepth << " bits";
        if (encoding.bitDepth == 8) {
            for (int y = 0; y < rows.height; ++y) {
                for (int x = 0; x < rows.width; ++x) {
                    const std::uint32_t pixel = rows.pixels[static_cast<std::size_t>(y * rows.width + x)];
                    ASSERT_EQ(image->sample(x, y, 0), (pixel >> 16) & 0xFF) << x << ", " << y;
                    ASSERT_EQ(image->sample(x, y, 2), pixel & 0xFF) << x << ", " << y;
                }
            }
        }
    }
}

TEST_F(PngWriterTest, OnePixelAndVeryWideImagesDecode)
{
    for (const int width : {1, 30000}) {
        Rows rows{width, 2, {}, {}};
        for (int x = 0; x < 2 * width; ++x) {
            rows.pixels.push_back(0x00FF0080u);
            rows.deep.push_back({{}, {1.0f, 0.0f, 0.5f}, static_cast<float>(x % width % 2), 1.0f, {}});
        }
        const std::string file = path("wide.png");
        ASSERT_TRUE(writePng(file, rows, kSixteenBitAlpha).ok()) << width;
        const std::optional<DecodedPng> image = decodePng(file);
        ASSERT_TRUE(image) << width;
        ASSERT_EQ(image->width, width);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint16_t alpha = (x % 2) * 65535;
                ASSERT_EQ(image->sample(x, y, 0), 65535) << x;
                ASSERT_EQ(image->sample(x, y, 2), 32767) << x;
                ASSERT_EQ(image->sample(x, y, 3), alpha) << x;
            }
        }
    }
}

std::size_t heapInUse()
{
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
}

TEST_F(PngWriterTest, RowsStreamThroughWithoutTheWholeImageHeld)
{
    // 24 MB of rows; a writer holding them all would grow by as much.
    constexpr int kWidth = 4000;
    constexpr int kHeight = 2000;
    std::vector<std::uint32_t> row(kWidth);
    const std::string file = path("poster.png");
    std::size_t mostGrowth = 0;
    tbb::task_arena(2).execute([&] {
        const std::size_t before = heapInUse();
        auto writer = pngImageFormat().openRowWriter(file, {kWidth, kHeight, RowOrder::TopFirst, kEightBit}, {});
        ASSERT_TRUE(writer);
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                row[static_cast<std::size_t>(x)] = static_cast<std::uint32_t>(x * 3 + y) & 0xFFFFFFu;
            }
            ASSERT_TRUE((*writer)->writeRow(row.data(), nullptr).ok());
            if (y % 50 == 0) {
                mostGrowth = std::max(mostGrowth, heapInUse() - std::min(heapInUse(), before));
            }
        }
        ASSERT_TRUE((*writer)->finish().ok());
    });
    EXPECT_LT(mostGrowth, 8u << 20);
}

TEST_F(PngWriterTest, SixteenBitsDividedBy257AreTheEightBitImageOnEveryPixel)
{
    FractalParams far = defaultParams();
    far.distance = 9.0f;
    const Gradient colourful({{1.0f, 0.2f, 0.0f}, {0.1f, 0.9f, 0.3f}, {0.2f, 0.1f, 1.0f}});
    const struct {
        const char* name;
        FractalParams params;
    } scenes[] = {{"default", defaultParams()}, {"edgy", edgyScene()}, {"far", far}};
    for (const auto& scene : scenes) {
        Rows rows{48, 36, {}, {}};
        RecordingObserver observer;
        const RenderOutcome outcome =
            renderDeepRows(scene.params, colourful, rows.width, rows.height, observer, kFast,
                           [&](int, const std::uint32_t* pixels, const DeepPixel* deep) {
                               rows.pixels.insert(rows.pixels.end(), pixels, pixels + rows.width);
                               rows.deep.insert(rows.deep.end(), deep, deep + rows.width);
                               return true;
                           });
        ASSERT_EQ(outcome, RenderOutcome::Completed) << scene.name;
        const std::string file = path("deep.png");
        ASSERT_TRUE(writePng(file, rows, kSixteenBit).ok()) << scene.name;
        const std::optional<DecodedPng> image = decodePng(file);
        ASSERT_TRUE(image) << scene.name;
        for (int y = 0; y < rows.height; ++y) {
            for (int x = 0; x < rows.width; ++x) {
                const std::uint32_t pixel = rows.pixels[static_cast<std::size_t>(y * rows.width + x)];
                for (int channel = 0; channel < 3; ++channel) {
                    ASSERT_EQ(image->sample(x, y, channel) / 257, (pixel >> (16 - 8 * channel)) & 0xFF)
                        << scene.name << " at " << x << ", " << y << " channel " << channel;
                }
            }
        }
    }
}

TEST_F(PngWriterTest, EveryMisuseAndWriteFailureIsReported)
{
    const Rows rows = patterned(4, 3);
    const std::string full = fullDeviceIn(scratch_.path());
    const std::vector<PngText> badKeyword{{"", "text", false}};
    const struct {
        const char* name;
        std::string file;
        ImageShape shape;
        int rowCount;
        bool withDeep;
        std::span<const PngText> texts;
        const char* reason;
    } cases[] = {
        {"rows missing", path("a.png"), {4, 3, RowOrder::TopFirst, kEightBit}, 2, false, {}, "given 2 of its 3 rows"},
        {"a row too many", path("a.png"), {4, 2, RowOrder::TopFirst, kEightBit}, 3, false, {}, "more rows than"},
        {"16 bits, no floats", path("a.png"), {4, 3, RowOrder::TopFirst, kSixteenBit}, 3, false, {}, "float values"},
        {"12 bits", path("a.png"), {4, 3, RowOrder::TopFirst, {12, false}}, 3, true, {}, "8 or 16 bits"},
        {"no pixels", path("a.png"), {0, 3, RowOrder::TopFirst, kEightBit}, 0, false, {}, "at least one pixel"},
        {"empty keyword", path("a.png"), {4, 3, RowOrder::TopFirst, kEightBit}, 3, false, badKeyword, "keyword"},
        {"full disk", full, {4, 3, RowOrder::TopFirst, kEightBit}, 3, false, {}, "No space left on device"},
    };
    for (const auto& c : cases) {
        if (c.file.empty()) {
            continue;  // no full device here
        }
        const Result<void> written = writeRows(c.file, c.shape, rows, c.rowCount, c.withDeep, c.texts);
        ASSERT_FALSE(written.ok()) << c.name;
        EXPECT_EQ(written.error().rfind("Could not write PNG image ", 0), 0u) << c.name << ": " << written.error();
        EXPECT_NE(written.error().find(c.reason), std::string::npos) << c.name << ": " << written.error();
    }
}

}  // namespace
}  // namespace tessaform
