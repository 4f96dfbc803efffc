#include "io/TgaWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "io/ImageOutput.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<unsigned char>;

class TgaWriterTest : public testing::Test {
protected:
    std::string path(const char* name) const { return (folder_ / name).string(); }

    static Bytes readAll(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static Bytes header(unsigned char widthLow, unsigned char widthHigh, unsigned char heightLow,
                        unsigned char heightHigh)
    {
        return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, widthLow, widthHigh, heightLow, heightHigh, 24, 0};
    }

    const ScratchFolder scratch_{"tessaform-tga"};
    const fs::path folder_ = scratch_.path();
};

TEST_F(TgaWriterTest, OnePixelFileIsHeaderThenBlueGreenRed)
{
    // The top byte is not part of the colour and must not reach the file.
    for (std::uint32_t pixel : {0x00FF8000u, 0xABFF8000u}) {
        const std::string file = path("one.tga");
        ASSERT_TRUE(writeImage(tgaImageFormat(), file, &pixel, 1, 1).ok());
        const Bytes expected{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 0, 128, 255};
        EXPECT_EQ(expected, readAll(file)) << std::hex << pixel;
    }
}

TEST_F(TgaWriterTest, RowsRunBottomUpAndPixelsLeftToRight)
{
    const std::uint32_t topLeft = 0x00010203u;
    const std::uint32_t topRight = 0x00111213u;
    const std::uint32_t bottomLeft = 0x00212223u;
    const std::uint32_t bottomRight = 0x00313233u;
    const std::uint32_t pixels[] = {topLeft, topRight, bottomLeft, bottomRight};
    const std::string file = path("square.tga");
    ASSERT_TRUE(writeImage(tgaImageFormat(), file, pixels, 2, 2).ok());

    Bytes expected = header(2, 0, 2, 0);
    expected.insert(expected.end(), {0x23, 0x22, 0x21, 0x33, 0x32, 0x31, 0x03, 0x02, 0x01, 0x13, 0x12, 0x11});
    EXPECT_EQ(expected, readAll(file));
}

TEST_F(TgaWriterTest, SizesAreStoredLowByteFirst)
{
    const std::vector<std::uint32_t> pixels(1024 * 768, 0x00404040u);
    const std::string file = path("large.tga");
    ASSERT_TRUE(writeImage(tgaImageFormat(), file, pixels.data(), 1024, 768).ok());
    const Bytes written = readAll(file);
    ASSERT_EQ(18u + 3u * 1024u * 768u, written.size());
    EXPECT_EQ(header(0, 4, 0, 3), Bytes(written.begin(), written.begin() + 18));
}

TEST_F(TgaWriterTest, EmptyImageIsHeaderOnly)
{
    const std::uint32_t unused = 0x00FFFFFFu;
    struct Case {
        int width;
        int height;
        Bytes expected;
    };
    const Case cases[] = {{0, 0, header(0, 0, 0, 0)}, {0, 300, header(0, 0, 44, 1)}, {300, 0, header(44, 1, 0, 0)}};
    for (const Case& c : cases) {
        const std::string file = path("empty.tga");
        ASSERT_TRUE(writeImage(tgaImageFormat(), file, &unused, c.width, c.height).ok());
        EXPECT_EQ(c.expected, readAll(file)) << c.width << " x " << c.height;
    }
}

TEST_F(TgaWriterTest, ExistingFileIsReplacedNotAppendedTo)
{
    const std::string file = path("existing.tga");
    std::ofstream(file, std::ios::binary) << std::string(1000, 'x');
    const std::uint32_t pixel = 0x00FF8000u;
    ASSERT_TRUE(writeImage(tgaImageFormat(), file, &pixel, 1, 1).ok());
    EXPECT_EQ(21u, fs::file_size(file));
}

TEST_F(TgaWriterTest, FailuresAreReportedWithTheFileName)
{
    const std::vector<std::uint32_t> pixels(200 * 200, 0x00808080u);
    struct Case {
        std::string file;
        int width;
        int height;
    };
    std::vector<Case> cases = {
        {path("missing/out.tga"), 1, 1},
        {folder_.string(), 1, 1},
    };
    if (fs::exists("/dev/full")) {
        cases.push_back({"/dev/full", 1, 1});      // fails only when the stream is closed
        cases.push_back({"/dev/full", 200, 200});  // fails while the pixels are written
    }
    for (const Case& c : cases) {
        const Result<void> outcome = writeImage(tgaImageFormat(), c.file, pixels.data(), c.width, c.height);
        EXPECT_FALSE(outcome.ok()) << c.file << " " << c.width << " x " << c.height;
        EXPECT_NE(std::string::npos, outcome.error().find(c.file)) << outcome.error();
    }
    EXPECT_FALSE(fs::exists(path("missing")));
}

}  // namespace
}  // namespace tessaform
