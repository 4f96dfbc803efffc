#pragma once

#include <QtGlobal>

#include <array>
#include <cstddef>

class QFile;

namespace tessaform {

// The file header and the start of the bitmap header, as far as the
// checks read: 26 bytes for the short OS/2 header, 50 for the others.
constexpr std::size_t kBmpHeaderBytes = 50;

struct BmpHeader {
    std::array<uchar, kBmpHeaderBytes> bytes{};
    std::size_t length = 0;
};

// Taken before the decoder reads anything, while the file is at its start.
BmpHeader bmpLeadingBytes(QFile& file);

// A BMP stores its rows bottom-up, so the top row comes last in the file.
// The decoder accepts a file cut short and leaves the missing rows
// uninitialized, which would turn stray memory into gradient colours.
bool bmpPixelDataIsComplete(const BmpHeader& header, qint64 fileSize);

}  // namespace tessaform
