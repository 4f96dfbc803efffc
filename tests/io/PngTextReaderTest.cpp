#include "io/PngTextReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

#include "io/ImageOutput.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

// The chunk's CRC made to match its (changed) type and data again.
void fixCrc(std::string& png, std::size_t typeAt)
{
    const auto byte = [&png](std::size_t at) { return static_cast<std::uint8_t>(png[at]); };
    const std::uint32_t length = std::uint32_t{byte(typeAt - 4)} << 24 | std::uint32_t{byte(typeAt - 3)} << 16 |
                                 std::uint32_t{byte(typeAt - 2)} << 8 | byte(typeAt - 1);
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(png.data() + typeAt), length + 4);
    for (int i = 0; i < 4; ++i) {
        png[typeAt + 4 + length + static_cast<std::size_t>(i)] = static_cast<char>(crc >> (24 - 8 * i));
    }
}

class PngTextReaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<std::uint32_t> pixels{0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0x00123456u};
        ASSERT_TRUE(writeImage(pngImageFormat(), path_, pixels.data(), 2, 2, texts_).ok());
        png_ = fileBytes(path_);
    }

    Result<std::vector<PngText>> readAfter(const std::string& bytes)
    {
        writeFileBytes(path_, bytes);
        return readPngTexts(path_);
    }

    const ScratchFolder scratch_{"tessaform-pngtext"};
    const std::string path_ = scratch_.filePath("image.png");
    const std::vector<PngText> texts_{{"Software", "Tessaform 1.1", false},
                                      {"plain", "a=1\nb=2\n", false},
                                      {"deflated", std::string(100000, 'x') + "end", true}};
    std::string png_;
};

TEST_F(PngTextReaderTest, ReadsBackEveryTextAndThePixelsStayAnOrdinaryPng)
{
    const Result<std::vector<PngText>> read = readPngTexts(path_);
    ASSERT_TRUE(read.ok()) << read.error();
    ASSERT_EQ(read->size(), texts_.size());
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        EXPECT_EQ((*read)[i].keyword, texts_[i].keyword);
        EXPECT_EQ((*read)[i].text, texts_[i].text);
        EXPECT_EQ((*read)[i].compressed, texts_[i].compressed);
    }
    EXPECT_NE(png_.find("zTXtdeflated"), std::string::npos);
    const QImage image(QString::fromStdString(path_), "PNG");
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFFu, 0x123456u);
}

TEST_F(PngTextReaderTest, DamagedTextChunksFailTheWholeRead)
{
    const std::size_t plain = png_.find("tEXtplain");
    const std::size_t deflated = png_.find("zTXtdeflated");
    std::string badCrc = png_;
    badCrc[plain + 12] = 'A';
    std::string badMethod = png_;
    badMethod[deflated + 13] = 1;
    fixCrc(badMethod, deflated);
    std::string badDeflate = png_;
    badDeflate[deflated + 20] ^= 0x55;
    fixCrc(badDeflate, deflated);
    // Lengths the file does not hold: refused without making room for them.
    std::string hugeLength = png_;
    hugeLength[plain - 4] = 0x58;
    // Beyond what PNG allows: still a text chunk that is too long.
    std::string lengthOf2To31 = png_;
    lengthOf2To31.replace(plain - 4, 4, std::string("\x80\0\0\0", 4));
    std::string longerThanTheFile = png_.substr(0, plain + 20);
    longerThanTheFile[plain - 2] = 0x10;
    std::string noKeyword = png_;
    noKeyword[plain + 4] = '\0';
    fixCrc(noKeyword, plain);
    const struct {
        std::string bytes;
        std::string reason;
    } cases[] = {
        {png_.substr(0, plain + 10), "cut short"},
        {badCrc, "bad checksum"},
        {badMethod, "unknown method"},
        {badDeflate, "damaged"},
        {noKeyword, "bad keyword"},
        {hugeLength, "too long"},
        {lengthOf2To31, "a text chunk is too long"},
        {longerThanTheFile, "cut short"},
        {"GIF89a", "not a PNG"},
        {"", "not a PNG"},
    };
    for (const auto& c : cases) {
        const Result<std::vector<PngText>> read = readAfter(c.bytes);
        ASSERT_FALSE(read.ok()) << c.reason;
        EXPECT_NE(read.error().find(c.reason), std::string::npos) << read.error();
    }
    EXPECT_FALSE(readPngTexts(scratch_.filePath("missing.png")).ok());
}

TEST_F(PngTextReaderTest, ChunksAfterTheTextsAreNotReadAndMayBeCut)
{
    const std::size_t pixels = png_.find("IDAT");
    const Result<std::vector<PngText>> read = readAfter(png_.substr(0, pixels + 6));
    ASSERT_TRUE(read.ok()) << read.error();
    EXPECT_EQ(read->size(), texts_.size());
}

}  // namespace
}  // namespace tessaform
