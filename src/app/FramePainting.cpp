#include "app/FramePainting.h"

#include <QImage>
#include <QPainter>

#include "app/FrameBuffer.h"

namespace tessaform {

void paintFrameBuffer(QPainter& painter, const FrameBuffer& frame, QPoint origin, qreal devicePixelRatio)
{
    if (frame.width() <= 0 || frame.height() <= 0) {
        return;
    }
    // Format_RGB32 is 0xFFRRGGBB with the top byte ignored: exactly the
    // buffer's layout, so the image wraps the memory without a copy.
    QImage image(reinterpret_cast<const uchar*>(frame.pixels()), frame.width(), frame.height(),
                 static_cast<qsizetype>(frame.width()) * 4, QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    painter.drawImage(origin, image);
}

}  // namespace tessaform
