#include "image/GradientImage.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QSize>

#include <cstdio>
#include <cstring>

#include "image/AllocationLimit.h"
#include "image/BmpCompleteness.h"
#include "image/GifCompleteness.h"
#include "image/JpegCompleteness.h"
#include "image/PngCompleteness.h"

namespace tessaform {

namespace {

// Opened by the path's bytes rather than through a QString, because a file
// name that is not valid UTF-8 would not survive the round trip. A path with
// an embedded NUL would name a different, shorter path, so it names nothing.
bool openByBytes(const std::string& path, QFile& file)
{
    if (path.empty() || path.find('\0') != std::string::npos) {
        return false;
    }
    std::FILE* handle = std::fopen(path.c_str(), "rb");
    if (handle == nullptr) {
        return false;
    }
    if (!file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        std::fclose(handle);
        return false;
    }
    return true;
}

// The formats the "Load Gradient" picker offers; the decoder knows more, but
// nothing else is meant to be read as a gradient.
bool isOfferedFormat(const QByteArray& format)
{
    return format == "bmp" || format == "gif" || format == "jpeg" || format == "jpg" || format == "png";
}

// Sequential devices (a pipe) cannot be read twice and are left to the
// decoder.
bool checkedFromStart(QFile& file, bool (*check)(QIODevice&))
{
    if (file.isSequential()) {
        return true;
    }
    const bool passed = check(file);
    return file.seek(0) && passed;
}

// Only the top row is wanted; a handler that supports clipping (JPEG) then
// decodes no further than the first rows.
void clipToTopRow(QImageReader& reader, const QSize& size)
{
    if (size.isValid() && size.height() > 1) {
        reader.setClipRect(QRect(0, 0, size.width(), 1));
    }
}

std::vector<std::uint8_t> packedRgb(const QImage& rgbRow)
{
    const auto byteCount = static_cast<std::size_t>(rgbRow.width()) * 3;
    std::vector<std::uint8_t> rgb(byteCount);
    std::memcpy(rgb.data(), rgbRow.constScanLine(0), byteCount);
    return rgb;
}

}  // namespace

Result<std::vector<std::uint8_t>> readTopRowRgb(const std::string& path)
{
    QFile file;
    if (!openByBytes(path, file)) {
        return Failure{kCouldNotLoadImage};
    }
    const BmpHeader header = bmpLeadingBytes(file);
    QImageReader reader(&file);
    // The stored top row, whatever orientation the file's metadata asks for.
    reader.setAutoTransform(false);

    const QByteArray format = reader.format();
    if (!isOfferedFormat(format) || (format == "bmp" && !bmpPixelDataIsComplete(header, file.size())) ||
        (format == "jpeg" && !checkedFromStart(file, jpegReachesItsEnd)) ||
        (format == "png" && !checkedFromStart(file, pngIsWholeAndDecodable)) ||
        (format == "gif" && !checkedFromStart(file, gifFirstFrameIsUsable))) {
        return Failure{kCouldNotLoadImage};
    }
    const QSize size = reader.size();
    if (size.isValid() && !fitsAllocationLimit(size)) {
        return Failure{kCouldNotLoadImage};
    }
    clipToTopRow(reader, size);

    const QImage image = reader.read();
    if (image.isNull() || image.width() <= 0) {
        return Failure{kCouldNotLoadImage};
    }
    // Palette, grey, 16-bit and alpha images all become their displayed
    // 8-bit red, green, blue; alpha is dropped, not blended.
    const QImage rgbRow = image.copy(0, 0, image.width(), 1).convertToFormat(QImage::Format_RGB888);
    if (rgbRow.isNull()) {
        return Failure{kCouldNotLoadImage};
    }
    return packedRgb(rgbRow);
}

}  // namespace tessaform
