#include "image/AllocationLimit.h"

#include <QImageReader>
#include <QSize>

namespace tessaform {

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

}  // namespace tessaform
