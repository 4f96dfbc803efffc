#include "params/PngCompleteness.h"

#include <QIODevice>
#include <QtEndian>

#include <array>
#include <cstring>

namespace tessaform {
namespace {

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

}  // namespace

bool pngIsWholeAndDecodable(QIODevice& device)
{
    return pngHeaderFitsDecoder(device) && pngReachesItsEnd(device);
}

}  // namespace tessaform
