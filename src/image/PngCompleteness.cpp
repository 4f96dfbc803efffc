#include "image/PngCompleteness.h"

#include <png.h>
#include <QIODevice>
#include <QSize>
#include <QtEndian>

#include <array>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "image/AllocationLimit.h"

namespace tessaform {
namespace {

constexpr qint64 kPngSignatureBytes = 8;
constexpr qint64 kPngLengthAndTypeBytes = 8;

// libpng refuses, on stderr, a side above its default limit of a million
// pixels, which the decoder keeps; this check refuses it quietly, and an
// image too large to be read before it is decoded.
bool pngHeaderFitsDecoder(QIODevice& device)
{
    constexpr quint32 kLargestSide = 1'000'000;
    std::array<uchar, kPngLengthAndTypeBytes + 8> header{};
    if (!device.seek(kPngSignatureBytes) ||
        device.read(reinterpret_cast<char*>(header.data()), qint64{header.size()}) != qint64{header.size()} ||
        std::memcmp(header.data() + 4, "IHDR", 4) != 0) {
        return false;
    }
    const quint32 width = qFromBigEndian<quint32>(header.data() + 8);
    const quint32 height = qFromBigEndian<quint32>(header.data() + 12);
    return width >= 1 && width <= kLargestSide && height >= 1 && height <= kLargestSide &&
           fitsAllocationLimit(QSize(static_cast<int>(width), static_cast<int>(height)));
}

// libpng reports a file cut short on stderr before the decoder gives up, so
// the chunks are followed by their lengths to the end chunk first, as the
// decoder follows them; a file that fails here fails there too.
bool pngReachesItsEnd(QIODevice& device)
{
    constexpr qint64 kCrcBytes = 4;
    constexpr quint32 kLongestChunk = 0x7FFFFFFF;
    std::array<uchar, kPngLengthAndTypeBytes> lengthAndType{};
    qint64 chunkStart = kPngSignatureBytes;
    while (device.seek(chunkStart) && device.read(reinterpret_cast<char*>(lengthAndType.data()),
                                                  kPngLengthAndTypeBytes) == kPngLengthAndTypeBytes) {
        const quint32 length = qFromBigEndian<quint32>(lengthAndType.data());
        chunkStart += kPngLengthAndTypeBytes + length + kCrcBytes;
        if (length > kLongestChunk || chunkStart > device.size()) {
            return false;
        }
        if (std::memcmp(lengthAndType.data() + 4, "IEND", 4) == 0) {
            return true;
        }
    }
    return false;
}

// The decoder leaves libpng's errors to its default handler, which prints
// them on stderr; these report through the jump back instead, and
// warnings stay silent.
[[noreturn]] void jumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

void readFromDevice(png_structp png, png_bytep data, png_size_t length)
{
    auto* device = static_cast<QIODevice*>(png_get_io_ptr(png));
    if (device->read(reinterpret_cast<char*>(data), static_cast<qint64>(length)) != static_cast<qint64>(length)) {
        png_error(png, "cut short");
    }
}

struct QuietPngReader {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, ignoreWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    png_infop endInfo = info != nullptr ? png_create_info_struct(png) : nullptr;
    std::vector<png_byte> row;

    ~QuietPngReader() { png_destroy_read_struct(&png, &info, &endInfo); }

    // Runs libpng calls on plain data only, so the jump back on an error
    // skips no destructor.
    template <typename Step>
    bool guarded(Step step)
    {
        if (setjmp(png_jmpbuf(png)) != 0) {
            return false;
        }
        step();
        return true;
    }
};

// Damage inside the chunks (a checksum, the compressed data, a missing
// palette) only shows when the image is decoded, so it is decoded once
// here, row by row and with the decoder's settings, where libpng's errors
// reach no terminal; an image that passes decodes there without one.
bool pngDecodesQuietly(QIODevice& device)
{
    QuietPngReader reader;
    if (reader.endInfo == nullptr || !device.seek(0)) {
        return false;
    }
    int passes = 0;
    png_uint_32 height = 0;
    const bool started = reader.guarded([&] {
        png_set_read_fn(reader.png, &device, readFromDevice);
#ifdef PNG_MAXIMUM_INFLATE_WINDOW
        png_set_option(reader.png, PNG_MAXIMUM_INFLATE_WINDOW, PNG_OPTION_ON);
#endif
        png_read_info(reader.png, reader.info);
        passes = png_set_interlace_handling(reader.png);
        png_read_update_info(reader.png, reader.info);
        height = png_get_image_height(reader.png, reader.info);
    });
    if (!started) {
        return false;
    }
    reader.row.resize(png_get_rowbytes(reader.png, reader.info));
    return reader.guarded([&] {
        for (int pass = 0; pass < passes; ++pass) {
            for (png_uint_32 y = 0; y < height; ++y) {
                png_read_row(reader.png, reader.row.data(), nullptr);
            }
        }
        png_read_end(reader.png, reader.endInfo);
    });
}

}  // namespace

bool pngIsWholeAndDecodable(QIODevice& device)
{
    return pngHeaderFitsDecoder(device) && pngReachesItsEnd(device) && pngDecodesQuietly(device);
}

}  // namespace tessaform
