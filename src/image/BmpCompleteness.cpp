#include "image/BmpCompleteness.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <limits>

namespace tessaform {
namespace {

constexpr std::size_t kCoreBmpHeaderBytes = 26;
constexpr qint64 kCoreHeaderSize = 12;

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

}  // namespace

BmpHeader bmpLeadingBytes(QFile& file)
{
    BmpHeader header;
    const qint64 read = file.peek(reinterpret_cast<char*>(header.bytes.data()), kBmpHeaderBytes);
    header.length = read > 0 ? static_cast<std::size_t>(read) : 0;
    return header;
}

bool bmpPixelDataIsComplete(const BmpHeader& header, qint64 fileSize)
{
    if (header.length < kCoreBmpHeaderBytes || (!isCoreHeader(header) && header.length < kBmpHeaderBytes) ||
        !hasKnownHeaderSize(header)) {
        return false;
    }
    const qint64 pixelDataBytes = bmpPixelDataBytes(header);
    return pixelDataBytes <= fileSize && fileSize - pixelDataBytes >= bmpPixelDataStart(header);
}

}  // namespace tessaform
