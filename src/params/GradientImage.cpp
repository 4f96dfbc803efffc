#include "params/GradientImage.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QSize>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>

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

// The file header and the start of the bitmap header, as far as the
// checks below read: 26 bytes for the short OS/2 header, 50 for the others.
constexpr std::size_t kBmpHeaderBytes = 50;
constexpr std::size_t kCoreBmpHeaderBytes = 26;
constexpr qint64 kCoreHeaderSize = 12;

struct BmpHeader {
    std::array<uchar, kBmpHeaderBytes> bytes{};
    std::size_t length = 0;
};

template <typename T>
qint64 littleEndianAt(const BmpHeader& header, std::size_t offset)
{
    return qFromLittleEndian<T>(header.bytes.data() + offset);
}

bool isCoreHeader(const BmpHeader& header)
{
    return littleEndianAt<quint32>(header, 14) == kCoreHeaderSize;
}

// The sizes checked above are read where these headers keep them; the
// decoder takes other sizes too, with fields this check cannot find, so
// such files are refused rather than risk a top row it never decoded.
bool hasKnownHeaderSize(const BmpHeader& header)
{
    switch (littleEndianAt<quint32>(header, 14)) {
        case 12:   // OS/2 core
        case 40:   // info
        case 52:   // info with RGB masks
        case 56:   // info with RGBA masks
        case 108:  // version 4
        case 124:  // version 5
            return true;
        default:
            return false;
    }
}

// Rows padded to four bytes; saturates instead of overflowing for the
// sizes a damaged header can claim.
qint64 paddedRowsBytes(qint64 width, qint64 height, qint64 bitsPerPixel)
{
    const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    if (height != 0 && rowBytes > std::numeric_limits<qint64>::max() / height) {
        return std::numeric_limits<qint64>::max();
    }
    return rowBytes * height;
}

// How many bytes the pixel data of a BMP needs, from its headers; 0 when the
// headers do not say (a compressed bitmap without its data size).
qint64 bmpPixelDataBytes(const BmpHeader& header)
{
    if (isCoreHeader(header)) {
        return paddedRowsBytes(littleEndianAt<quint16>(header, 18), littleEndianAt<quint16>(header, 20),
                               littleEndianAt<quint16>(header, 24));
    }
    const qint64 width = littleEndianAt<qint32>(header, 18);
    const qint64 height = littleEndianAt<qint32>(header, 22);
    const qint64 bitsPerPixel = littleEndianAt<quint16>(header, 28);
    const qint64 compression = littleEndianAt<quint32>(header, 30);
    constexpr qint64 kRgb = 0, kBitFields = 3, kAlphaBitFields = 6;
    if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
        return paddedRowsBytes(qAbs(width), qAbs(height), bitsPerPixel);
    }
    return littleEndianAt<quint32>(header, 34);
}

// The masks a 40-byte header keeps after itself for bit-field pixels.
qint64 bmpMaskBytes(const BmpHeader& header)
{
    constexpr qint64 kBitFields = 3, kAlphaBitFields = 6;
    if (littleEndianAt<quint32>(header, 14) != 40) {
        return 0;
    }
    const qint64 compression = littleEndianAt<quint32>(header, 30);
    return compression == kBitFields ? 12 : compression == kAlphaBitFields ? 16 : 0;
}

// Only palette images carry a colour table: three bytes an entry after the
// OS/2 header, four after the others, as many as the header says it uses.
qint64 bmpColourTableBytes(const BmpHeader& header)
{
    if (isCoreHeader(header)) {
        const qint64 bitsPerPixel = littleEndianAt<quint16>(header, 24);
        return bitsPerPixel <= 8 ? qint64{3} << bitsPerPixel : 0;
    }
    const qint64 bitsPerPixel = littleEndianAt<quint16>(header, 28);
    if (bitsPerPixel > 8) {
        return 0;
    }
    const qint64 coloursUsed = littleEndianAt<quint32>(header, 46);
    return 4 * (coloursUsed != 0 ? coloursUsed : qint64{1} << bitsPerPixel);
}

// The decoder reads the colour table first and only moves forward to the
// pixel data, so an offset that points back into the headers or the table
// is passed over and the pixels are read from where the table ends.
qint64 bmpPixelDataStart(const BmpHeader& header)
{
    constexpr qint64 kFileHeaderSize = 14;
    const qint64 tableEnd =
        kFileHeaderSize + littleEndianAt<quint32>(header, 14) + bmpMaskBytes(header) + bmpColourTableBytes(header);
    return std::max(littleEndianAt<quint32>(header, 10), tableEnd);
}

// Taken before the decoder reads anything, while the file is at its start.
BmpHeader leadingBytes(QFile& file)
{
    BmpHeader header;
    const qint64 read = file.peek(reinterpret_cast<char*>(header.bytes.data()), kBmpHeaderBytes);
    header.length = read > 0 ? static_cast<std::size_t>(read) : 0;
    return header;
}

// A BMP stores its rows bottom-up, so the top row comes last in the file.
// The decoder accepts a file cut short and leaves the missing rows
// uninitialized, which would turn stray memory into gradient colours.
bool bmpPixelDataIsComplete(const BmpHeader& header, qint64 fileSize)
{
    if (header.length < kCoreBmpHeaderBytes || (!isCoreHeader(header) && header.length < kBmpHeaderBytes) ||
        !hasKnownHeaderSize(header)) {
        return false;
    }
    const qint64 pixelDataBytes = bmpPixelDataBytes(header);
    return pixelDataBytes <= fileSize && fileSize - pixelDataBytes >= bmpPixelDataStart(header);
}

// Reads a device in blocks, for following a file's structure to its end.
class ByteReader {
public:
    explicit ByteReader(QIODevice& device) : device_(device) {}

    // The next byte, or -1 at the end or on a read error.
    int next()
    {
        if (at_ == end_) {
            const qint64 got = device_.read(buffer_.data(), static_cast<qint64>(buffer_.size()));
            if (got <= 0) {
                return -1;
            }
            at_ = 0;
            end_ = static_cast<std::size_t>(got);
        }
        return static_cast<uchar>(buffer_[at_++]);
    }

    bool skip(int count)
    {
        for (; count > 0; --count) {
            if (next() < 0) {
                return false;
            }
        }
        return count == 0;
    }

private:
    QIODevice& device_;
    std::array<char, 65536> buffer_{};
    std::size_t at_ = 0;
    std::size_t end_ = 0;
};

constexpr int kJpegStartOfImage = 0xD8;
constexpr int kJpegEndOfImage = 0xD9;
constexpr int kJpegStartOfScan = 0xDA;

bool isJpegRestart(int code)
{
    return code >= 0xD0 && code <= 0xD7;
}

// The code of the next marker, or -1 at the end. Stray bytes before a marker
// and fill bytes are passed over, as the decoder does; inside scan data a
// zero after 0xFF is a stuffed byte and a restart marker belongs to the data.
int nextJpegMarker(ByteReader& in, bool inScanData)
{
    for (;;) {
        int byte = in.next();
        while (byte >= 0 && byte != 0xFF) {
            byte = in.next();
        }
        while (byte == 0xFF) {
            byte = in.next();
        }
        if (byte < 0 || !(inScanData && (byte == 0x00 || isJpegRestart(byte)))) {
            return byte;
        }
    }
}

// A JPEG cut short still decodes, with the missing part made up as flat
// grey, so a file cut within its top row would give invented colours. The
// file is whole when its segments, followed from the start, reach the
// end-of-image marker.
bool jpegReachesItsEnd(QIODevice& device)
{
    ByteReader in(device);
    if (in.next() != 0xFF || in.next() != kJpegStartOfImage) {
        return false;
    }
    int code = nextJpegMarker(in, false);
    while (code >= 0 && code != kJpegEndOfImage) {
        const bool hasLength = code != 0x01 && code != kJpegStartOfImage && !isJpegRestart(code);
        if (hasLength) {
            const int high = in.next();
            const int low = in.next();
            if (low < 0 || !in.skip((high << 8 | low) - 2)) {
                return false;
            }
        }
        code = nextJpegMarker(in, code == kJpegStartOfScan);
    }
    return code == kJpegEndOfImage;
}

int nextGifWord(ByteReader& in)
{
    const int low = in.next();
    const int high = in.next();
    return high < 0 ? -1 : high << 8 | low;
}

int gifColourTableBytes(int flags)
{
    constexpr int kHasColourTable = 0x80;
    return (flags & kHasColourTable) != 0 ? 3 * (2 << (flags & 7)) : 0;
}

// Extensions and image data come as sub-blocks ended by an empty one.
bool skipGifSubBlocks(ByteReader& in)
{
    for (int size = in.next(); size != 0; size = in.next()) {
        if (size < 0 || !in.skip(size)) {
            return false;
        }
    }
    return true;
}

// The decoder clears the screen around a first frame that does not cover
// it, but with a colour from that frame's own colour table before it has
// read the table, which would put stray memory into the top row. A frame
// whose data is cut short would leave part of the row made up.
bool gifFrameIsUsable(ByteReader& in, int screenWidth, int screenHeight)
{
    const int left = nextGifWord(in);
    const int top = nextGifWord(in);
    const int width = nextGifWord(in);
    const int height = nextGifWord(in);
    const int flags = in.next();
    if (flags < 0) {
        return false;
    }
    const bool coversScreen = left == 0 && top == 0 && width >= screenWidth && height >= screenHeight;
    const int colourTableBytes = gifColourTableBytes(flags);
    constexpr int kLzwCodeSizeBytes = 1;
    return (coversScreen || colourTableBytes == 0) && in.skip(colourTableBytes + kLzwCodeSizeBytes) &&
           skipGifSubBlocks(in);
}

// Follows the file's blocks from the start to its first frame.
bool gifFirstFrameIsUsable(QIODevice& device)
{
    constexpr int kSignatureBytes = 6;
    constexpr int kExtension = 0x21;
    constexpr int kImage = 0x2C;
    ByteReader in(device);
    if (!in.skip(kSignatureBytes)) {
        return false;
    }
    const int screenWidth = nextGifWord(in);
    const int screenHeight = nextGifWord(in);
    const int screenFlags = in.next();
    constexpr int kBackgroundAndAspectBytes = 2;
    if (screenWidth < 0 || screenHeight < 0 || screenFlags < 0 ||
        !in.skip(kBackgroundAndAspectBytes + gifColourTableBytes(screenFlags))) {
        return false;
    }
    for (;;) {
        const int introducer = in.next();
        if (introducer == kImage) {
            return gifFrameIsUsable(in, screenWidth, screenHeight);
        }
        const int label = introducer == kExtension ? in.next() : -1;
        if (label < 0 || !skipGifSubBlocks(in)) {
            return false;
        }
    }
}

constexpr qint64 kPngSignatureBytes = 8;
constexpr qint64 kPngLengthAndTypeBytes = 8;

// libpng refuses, on stderr, a side above its default limit of a million
// pixels, which the decoder keeps; this check refuses it quietly.
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
    return width >= 1 && width <= kLargestSide && height >= 1 && height <= kLargestSide;
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

bool pngIsWholeAndDecodable(QIODevice& device)
{
    return pngHeaderFitsDecoder(device) && pngReachesItsEnd(device);
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

// The reader's allocation limit guards against decompression bombs, but a
// handler that honours a clip rectangle only allocates the clipped part, so
// the limit is applied to the full image size here as well.
bool fitsAllocationLimit(const QSize& size)
{
    const int limitMegabytes = QImageReader::allocationLimit();
    if (limitMegabytes <= 0) {
        return true;
    }
    constexpr qint64 kBytesPerPixel = 4;
    const qint64 bytes = qint64{size.width()} * size.height() * kBytesPerPixel;
    return bytes <= qint64{limitMegabytes} * 1024 * 1024;
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
    const BmpHeader header = leadingBytes(file);
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
