#include "image/GradientImage.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The top row, or nothing when the file is refused.
std::optional<Bytes> topRowOf(const std::string& path)
{
    Result<Bytes> rgb = readTopRowRgb(path);
    return rgb ? std::optional(std::move(rgb).value()) : std::nullopt;
}

// A two-frame GIF, 3 x 2: the first frame's top row is red, green, blue over
// a white row; the second frame is all black.
constexpr unsigned char kAnimatedGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x03, 0x00, 0x02, 0x00, 0xf1, 0x03, 0x00, 0xff, 0x00, 0x00, 0x00,
    0xff, 0x00, 0x00, 0x00, 0xff, 0xff, 0xff, 0xff, 0x21, 0xf9, 0x04, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x21,
    0xff, 0x0b, 0x4e, 0x45, 0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03, 0x01, 0x00, 0x00,
    0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x02, 0x00, 0x00, 0x02, 0x03, 0x44, 0x34, 0x59, 0x00,
    0x21, 0xf9, 0x04, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x02, 0x00,
    0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x02, 0x84, 0x5f, 0x00, 0x3b};

// 256 distinct top-row colours, so that a shifted or reordered row shows.
QImage rampWithRowsBelow(QRgb below)
{
    QImage image(256, 4, QImage::Format_RGB32);
    image.fill(below);
    for (int x = 0; x < 256; ++x) {
        image.setPixel(x, 0, qRgb(x, 255 - x, (x * 37) % 256));
    }
    return image;
}

Bytes rampTopRow()
{
    Bytes rgb;
    for (int x = 0; x < 256; ++x) {
        rgb.insert(rgb.end(), {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(255 - x),
                               static_cast<std::uint8_t>((x * 37) % 256)});
    }
    return rgb;
}

std::uint32_t crc32Of(const QByteArray& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= static_cast<std::uint8_t>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

QByteArray pngChunk(const char* type, const QByteArray& data)
{
    std::array<uchar, 4> length{};
    qToBigEndian(static_cast<quint32>(data.size()), length.data());
    const QByteArray typed = QByteArray(type) + data;
    std::array<uchar, 4> crc{};
    qToBigEndian(crc32Of(typed), crc.data());
    return QByteArray(reinterpret_cast<const char*>(length.data()), 4) + typed +
           QByteArray(reinterpret_cast<const char*>(crc.data()), 4);
}

// A valid 8-bit RGB PNG that claims width x height but carries only a
// megabyte of zeros, deflated to about a kilobyte.
QByteArray bombPng(quint32 width, quint32 height)
{
    std::array<uchar, 13> header{};
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8;                                                                 // bits per channel
    header[9] = 2;                                                                 // RGB
    const QByteArray zlibStream = qCompress(QByteArray(1 << 20, '\0'), 9).mid(4);  // less Qt's length prefix
    return QByteArray("\x89PNG\r\n\x1a\n", 8) +
           pngChunk("IHDR", QByteArray(reinterpret_cast<const char*>(header.data()), 13)) +
           pngChunk("IDAT", zlibStream) + pngChunk("IEND", {});
}

QByteArray deflated(const QByteArray& bytes)
{
    return qCompress(bytes).mid(4);  // less Qt's length prefix
}

// A 2 x 1 PNG of 8 bits per channel with the compressed data given, its
// chunks whole and their checksums right.
QByteArray twoPixelPng(char colourType, const QByteArray& compressedRows)
{
    const QByteArray header = QByteArray("\0\0\0\x02\0\0\0\x01\x08", 9) + colourType + QByteArray(3, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", compressedRows) +
           pngChunk("IEND", {});
}

void appendLittleEndianWord(QByteArray& bytes, int value)
{
    bytes.append(static_cast<char>(value & 0xff)).append(static_cast<char>(value >> 8));
}

// A GIF whose screen is screenWidth x 1, with a global table of red and green
// (background red) and one frame of two pixels, colours 0 then 1, at `left`.
// With its own table those colours are blue and white.
QByteArray twoPixelGif(int screenWidth, int left, bool ownTable)
{
    QByteArray gif("GIF89a");
    appendLittleEndianWord(gif, screenWidth);
    appendLittleEndianWord(gif, 1);
    gif.append("\x80\0\0\xff\0\0\0\xff\0", 9);
    gif.append(',');
    for (const int word : {left, 0, 2, 1}) {
        appendLittleEndianWord(gif, word);
    }
    gif.append(ownTable ? QByteArray("\x80\0\0\xff\xff\xff\xff", 7) : QByteArray(1, '\0'));
    // LZW with 2-bit codes: clear, 0, 1, end; then the empty block and the end.
    return gif.append("\x02\x02\x44\x0a\0;", 7);
}

// Noise makes 0xFF bytes in the compressed data, which the format escapes.
QImage noise(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            image.setPixel(x, y, state >> 8);
        }
    }
    return image;
}

class GradientImageTest : public ::testing::Test {
protected:
    std::string pathOf(const char* name) const { return dir_.filePath(name); }

    std::string save(const QImage& image, const char* name, const char* format)
    {
        EXPECT_TRUE(image.save(QString::fromStdString(dir_.filePath(name)), format)) << name;
        return pathOf(name);
    }

    std::string write(const char* name, const QByteArray& bytes)
    {
        QFile file(QString::fromStdString(dir_.filePath(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return pathOf(name);
    }

    QByteArray contentsOf(const std::string& path)
    {
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }

    const ScratchFolder dir_;
};

TEST_F(GradientImageTest, LosslessFormatsGiveTheTopRowAloneAndExactly)
{
    for (const char* format : {"png", "bmp"}) {
        for (const QRgb below : {qRgb(0, 0, 0), qRgb(255, 255, 255)}) {
            const std::string name = std::string("ramp") + std::to_string(below & 0xff) + "." + format;
            const auto rgb = topRowOf(save(rampWithRowsBelow(below), name.c_str(), format));
            ASSERT_TRUE(rgb) << name;
            EXPECT_EQ(*rgb, rampTopRow()) << name;
        }
    }
}

// On Linux a file name is bytes; a Latin-1 name is not valid UTF-8.
TEST_F(GradientImageTest, FileNamesAreTakenAsBytes)
{
    const std::string utf8Name = save(rampWithRowsBelow(qRgb(0, 0, 0)), "caf\u00e9.png", "png");
    const std::string latin1Name = dir_.path().string() + "/caf\xe9.png";
    std::filesystem::copy_file(utf8Name, latin1Name);
    EXPECT_EQ(topRowOf(utf8Name), rampTopRow());
    EXPECT_EQ(topRowOf(latin1Name), rampTopRow());
}

TEST_F(GradientImageTest, StoredPixelFormatsComeOutAsDisplayedRgb)
{
    QImage palette(2, 3, QImage::Format_Indexed8);
    palette.setColorTable({qRgb(255, 0, 128), qRgb(10, 20, 30), qRgb(7, 7, 7)});
    palette.fill(2);
    palette.setPixel(0, 0, 1);
    palette.setPixel(1, 0, 0);

    QImage grey(2, 3, QImage::Format_Grayscale8);
    grey.fill(Qt::white);
    grey.setPixelColor(0, 0, QColor(0, 0, 0));
    grey.setPixelColor(1, 0, QColor(200, 200, 200));

    QImage deep(2, 3, QImage::Format_RGBX64);
    deep.fill(Qt::black);
    deep.setPixelColor(0, 0, QColor::fromRgba64(0xffff, 0, 0x8080));
    deep.setPixelColor(1, 0, QColor::fromRgba64(0x0101, 0x0202, 0x0303));

    QImage translucent(2, 3, QImage::Format_ARGB32);
    translucent.fill(Qt::black);
    translucent.setPixel(0, 0, qRgba(200, 100, 50, 128));
    translucent.setPixel(1, 0, qRgba(1, 2, 3, 0));

    const struct {
        const char* name;
        QImage image;
        Bytes expected;
    } cases[] = {
        {"palette.png", palette, {10, 20, 30, 255, 0, 128}}, {"palette.bmp", palette, {10, 20, 30, 255, 0, 128}},
        {"grey.png", grey, {0, 0, 0, 200, 200, 200}},        {"sixteen-bit.png", deep, {255, 0, 128, 1, 2, 3}},
        {"alpha.png", translucent, {200, 100, 50, 1, 2, 3}},
    };
    for (const auto& c : cases) {
        const auto rgb = topRowOf(save(c.image, c.name, nullptr));
        ASSERT_TRUE(rgb) << c.name;
        EXPECT_EQ(*rgb, c.expected) << c.name;
    }
}

TEST_F(GradientImageTest, OnePixelWideTallImageGivesOnePixel)
{
    QImage column(1, 500, QImage::Format_RGB32);
    column.fill(qRgb(9, 9, 9));
    column.setPixel(0, 0, qRgb(255, 0, 128));
    EXPECT_EQ(topRowOf(save(column, "column.png", "png")), Bytes({255, 0, 128}));
}

// JPEG and GIF are decoded by plugins; both must load in a process without
// an application object, as the tests and the command-line program are.
TEST_F(GradientImageTest, PluginFormatsDecodeWithoutAnApplicationObject)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);

    const auto gif =
        topRowOf(write("animated.gif", QByteArray(reinterpret_cast<const char*>(kAnimatedGif), sizeof kAnimatedGif)));
    EXPECT_EQ(gif, Bytes({255, 0, 0, 0, 255, 0, 0, 0, 255})) << "first frame, top row";

    QImage blocks(64, 32, QImage::Format_RGB32);
    blocks.fill(qRgb(20, 40, 60));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x) {
            blocks.setPixel(x, y, qRgb(240, 160, 40));
        }
    }
    const auto jpeg = topRowOf(save(blocks, "blocks.jpg", "jpeg"));
    ASSERT_TRUE(jpeg);
    ASSERT_EQ(jpeg->size(), 64u * 3);
    const Bytes left{240, 160, 40}, right{20, 40, 60};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR((*jpeg)[i], left[i], 6) << "channel " << i;
        EXPECT_NEAR((*jpeg)[jpeg->size() - 3 + i], right[i], 6) << "channel " << i;
    }
}

TEST_F(GradientImageTest, GifFramesSmallerThanTheScreenShowTheBackground)
{
    const struct {
        const char* what;
        QByteArray gif;
        Bytes expected;
    } cases[] = {
        {"frame fills the screen", twoPixelGif(2, 0, false), {255, 0, 0, 0, 255, 0}},
        {"frame at the left", twoPixelGif(4, 0, false), {255, 0, 0, 0, 255, 0, 255, 0, 0, 255, 0, 0}},
        {"frame at the right", twoPixelGif(4, 2, false), {255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 0}},
        {"frame with its own table", twoPixelGif(2, 0, true), {0, 0, 255, 255, 255, 255}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(topRowOf(write("frame.gif", c.gif)), c.expected) << c.what;
    }
}

TEST_F(GradientImageTest, OddButWholeImagesLoad)
{
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(qRgb(16, 32, 48));
    QImage wide(100000, 1, QImage::Format_RGB32);
    for (int x = 0; x < wide.width(); ++x) {
        wide.setPixel(x, 0, qRgb(x % 256, x / 256 % 256, 7));
    }
    const std::string pngAsJpg = pathOf("png.jpg");
    std::filesystem::copy_file(save(rampWithRowsBelow(qRgb(0, 0, 0)), "ramp.png", "png"), pngAsJpg);
    const std::string jpeg = save(noise(64, 16), "noise.jpg", "jpeg");
    const std::string jpegAsPng = write("jpeg.png", contentsOf(jpeg));
    QImageWriter progressive(QString::fromStdString(dir_.filePath("progressive.jpg")), "jpeg");
    progressive.setProgressiveScanWrite(true);
    ASSERT_TRUE(progressive.write(noise(64, 16)));

    EXPECT_EQ(topRowOf(save(pixel, "pixel.png", "png")), Bytes({16, 32, 48}));
    const auto wideRow = topRowOf(save(wide, "wide.png", "png"));
    ASSERT_TRUE(wideRow);
    ASSERT_EQ(wideRow->size(), 300000u);
    EXPECT_EQ(Bytes(wideRow->end() - 3, wideRow->end()), Bytes({99999 % 256, 99999 / 256 % 256, 7}));
    EXPECT_EQ(topRowOf(pngAsJpg), rampTopRow()) << "recognized by content, not by name";
    const auto jpegRow = topRowOf(jpeg);
    ASSERT_TRUE(jpegRow);
    EXPECT_EQ(topRowOf(jpegAsPng), jpegRow);
    EXPECT_EQ(topRowOf(pathOf("progressive.jpg")).value_or(Bytes()).size(), 64u * 3);
    EXPECT_EQ(topRowOf(write("trailing.jpg", contentsOf(jpeg) + "trailing bytes")), jpegRow);
    // The short OS/2 header makes a whole 3 x 1 one-bit BMP 36 bytes long,
    // shorter than the longer headers alone.
    const char os2[] =
        "BM\x24\0\0\0\0\0\0\0\x20\0\0\0\x0c\0\0\0\x03\0\x01\0\x01\0\x01\0"
        "\x1e\x14\x0a\x80\0\xff\xa0\0\0\0";
    EXPECT_EQ(topRowOf(write("os2.bmp", QByteArray(os2, 36))), Bytes({255, 0, 128, 10, 20, 30, 255, 0, 128}));
}

TEST_F(GradientImageTest, UnusableFilesGiveNothing)
{
    const std::string png = save(rampWithRowsBelow(qRgb(0, 0, 0)), "whole.png", "png");
    const std::string bmp = save(rampWithRowsBelow(qRgb(0, 0, 0)), "whole.bmp", "bmp");
    const QByteArray pngBytes = contentsOf(png);
    const QByteArray bmpBytes = contentsOf(bmp);
    const QByteArray jpegBytes = contentsOf(save(noise(64, 64), "whole.jpg", "jpeg"));
    const qsizetype scanData = jpegBytes.indexOf("\xff\xda") + 14;  // past the scan header of three components
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir_.filePath("folder.png"))));
    const QByteArray rgbRow("\0\1\2\3\4\5\6", 7);
    QByteArray wrongDataChecksum = twoPixelPng(2, deflated(rgbRow));
    wrongDataChecksum[wrongDataChecksum.indexOf("IEND") - 5] ^= 1;
    QByteArray damagedData = deflated(rgbRow);
    damagedData[2] = static_cast<char>(0xFF);

    const struct {
        const char* what;
        std::string path;
    } cases[] = {
        {"text", write("notes.png", "this is not an image\n")},
        {"empty file", write("empty.jpg", "")},
        {"missing file", pathOf("absent.png")},
        {"directory", pathOf("folder.png")},
        {"empty path", ""},
        {"PNG cut after its header", write("cut.png", pngBytes.left(40))},
        {"PNG cut in its data", write("half.png", pngBytes.left(pngBytes.size() / 2))},
        {"PNG cut before its end chunk", write("no-end.png", pngBytes.chopped(12))},
        // BMP rows run bottom-up: the top row is the part that is missing.
        {"BMP cut in its data", write("half.bmp", bmpBytes.left(bmpBytes.size() - 16))},
        {"BMP with a header size of 16",
         write("short-header.bmp", QByteArray(bmpBytes).replace(14, 4, QByteArray("\x10\0\0\0", 4)))},
        // The decoder would make up the missing part, the top row included.
        {"JPEG cut before its data", write("header.jpg", jpegBytes.left(scanData))},
        {"JPEG cut in its top row", write("top.jpg", jpegBytes.left(scanData + 40))},
        {"JPEG cut below its top row", write("bottom.jpg", jpegBytes.left(jpegBytes.size() - 100))},
        {"PNG claiming 100000 x 100000", write("bomb.png", bombPng(100000, 100000))},
        {"PNG claiming one row of 100 million", write("row-bomb.png", bombPng(100'000'000, 1))},
        {"BMP claiming 2^31 x 2^31 at 32 bits",
         write("huge.bmp", QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0"
                                      "\xff\xff\xff\x7f\xff\xff\xff\x7f\x01\0\x20\0",
                                      30) +
                               QByteArray(24, '\0'))},
        {"BMP whose pixel offset points into its headers",
         write("offset.bmp", QByteArray(bmpBytes.left(bmpBytes.size() - 4)).replace(10, 4, QByteArray(4, '\0')))},
        // The screen around the frame would be cleared with a colour from a
        // table not yet read.
        {"GIF frame with its own table, smaller than the screen", write("own.gif", twoPixelGif(4, 0, true))},
        {"GIF cut in its frame's data", write("cut.gif", twoPixelGif(2, 0, false).chopped(3))},
        {"GIF without a frame", write("empty.gif", QByteArray("GIF89a\x02\0\x01\0\0\0\0;", 14))},
        {"format not offered", save(rampWithRowsBelow(qRgb(0, 0, 0)), "ramp.ppm", "ppm")},
        {"NUL inside the path", png + std::string(1, '\0') + "tail"},
        // Whole chunks, damaged inside: only decoding finds these.
        {"PNG with a wrong data checksum", write("crc.png", wrongDataChecksum)},
        {"PNG with damaged compressed data", write("inflate.png", twoPixelPng(2, damagedData))},
        {"PNG with too little data", write("little.png", twoPixelPng(2, deflated(rgbRow.left(3))))},
        {"palette PNG without its palette", write("palette.png", twoPixelPng(3, deflated(QByteArray(3, '\0'))))},
    };
    // The decoders' own complaints must not reach the terminal either.
    ::testing::internal::CaptureStderr();
    for (const auto& c : cases) {
        EXPECT_EQ(topRowOf(c.path), std::nullopt) << c.what;
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace tessaform
